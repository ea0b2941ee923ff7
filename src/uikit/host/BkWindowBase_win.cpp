#include "uikit/host/BkAppModule.h"
#include "uikit/host/BkWindowBase.h"

namespace {

// The object whose window this thread is creating right now: CreateWindowEx sends WM_GETMINMAXINFO before
// WM_NCCREATE, when the window carries nothing yet.
thread_local CBkWindowImplBase* t_creating = nullptr;

}  // namespace

CBkWindowImplBase::~CBkWindowImplBase() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // Unbind first: the object is half destroyed, its overrides must not run.
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

HWND CBkWindowImplBase::CreateBound(CBkWndClassInfo& info, HWND parent, const RECT* rc, const wchar_t* title,
                                    DWORD style, DWORD exStyle, HMENU menuOrId) {
    if (m_hWnd) return nullptr;
    HINSTANCE instance = CBkAppModule::Instance().GetModuleInstance();
    if (!info.Register(instance, &CBkWindowImplBase::WindowProc)) return nullptr;
    RECT r = rc ? *rc : RECT{0, 0, 0, 0};
    CBkWindowImplBase* outer = t_creating;
    t_creating = this;
    HWND window = CreateWindowExW(exStyle, info.Name(), title ? title : L"", style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, parent, menuOrId, instance, this);
    t_creating = outer;
    if (!window) m_hWnd = nullptr;
    return window;
}

BOOL CBkWindowImplBase::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CBkWindowImplBase* CBkWindowImplBase::FromHandle(HWND window) {
    if (!window) return nullptr;
    // Only windows of our procedure carry our pointer in their user data.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &CBkWindowImplBase::WindowProc)
        return nullptr;
    return reinterpret_cast<CBkWindowImplBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool CBkWindowImplBase::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CBkWindowImplBase::DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CBkWindowImplBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CBkWindowImplBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        self = t_creating;
        if (message == WM_NCCREATE) {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            if (cs && cs->lpCreateParams) self = static_cast<CBkWindowImplBase*>(cs->lpCreateParams);
        }
        if (!self || (self->m_hWnd && self->m_hWnd != window)) return ::DefWindowProcW(window, message, wParam, lParam);
        self->m_hWnd = window;
        if (message == WM_NCCREATE) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }

    LRESULT result = 0;
    if (!self->ProcessWindowMessage(window, message, wParam, lParam, result)) {
        result = self->DefWindowProcW(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->OnFinalMessage(window);
    }
    return result;
}
