#include "uikit/host/CShadowWnd.h"

namespace {

CBkWndClassInfo& ShadowClass() {
    static CBkWndClassInfo info(CShadowWnd::kClassName, 0);
    return info;
}

}  // namespace

bool CShadowWnd::Create(HWND target, int band, const std::string& skinName) {
    if (!target || !::IsWindow(target) || m_hWnd) return false;
    m_target = target;
    m_band = band;
    m_drawable.Load(skinName);
    const DWORD exStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    // Not owned by the target: an owned window always stays above its owner, the shadow must go below it.
    return CreateBound(ShadowClass(), nullptr, nullptr, L"", WS_POPUP, exStyle) != nullptr;
}

bool CShadowWnd::Follow() {
    if (!m_hWnd) return false;
    if (!m_drawable.IsValid() || !::IsWindow(m_target) || !::IsWindowVisible(m_target) || IsIconic(m_target) ||
        IsZoomed(m_target)) {
        ShowWindow(m_hWnd, SW_HIDE);
        return false;
    }
    RECT rc{};
    GetWindowRect(m_target, &rc);
    InflateRect(&rc, m_band, m_band);
    const SIZE size{rc.right - rc.left, rc.bottom - rc.top};
    if (size.cx <= 0 || size.cy <= 0) return false;

    // Just below the target, then the picture.
    SetWindowPos(m_hWnd, m_target, rc.left, rc.top, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    BkDibCanvas canvas(size.cx, size.cy);
    if (!canvas.Ok()) return false;
    const RECT all{0, 0, size.cx, size.cy};
    m_drawable.Draw(canvas.Dc(), all);
    POINT at{rc.left, rc.top};
    POINT zero{0, 0};
    SIZE sz = size;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC screen = GetDC(nullptr);
    const BOOL ok = UpdateLayeredWindow(m_hWnd, screen, &at, &sz, canvas.Dc(), &zero, 0, &blend, ULW_ALPHA);
    ReleaseDC(nullptr, screen);
    return ok != FALSE;
}

bool CShadowWnd::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_NCHITTEST:
            result = HTTRANSPARENT;
            return true;
        case WM_MOUSEACTIVATE:
            result = MA_NOACTIVATE;
            return true;
        default:
            return false;
    }
}
