// The host: documents and sections, painting, window life, sizing and the message dispatch.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <cstring>

#include "uikit/doc/BkDib.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/host/BkAppModule.h"
#include "uikit/host/BkDwm.h"
#include "uikit/host/BkWinManager.h"
#include "uikit/host/CBkDialogViewBase.h"

CBkDialogViewBase::CBkDialogViewBase(DWORD defaultStyle, DWORD defaultExStyle)
    : m_defaultStyle(defaultStyle), m_defaultExStyle(defaultExStyle) {}

CBkDialogViewBase::~CBkDialogViewBase() {
    // The window goes first, while the sections are still there for its WM_DESTROY.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CBkDialogViewBase::SetLayoutId(int id) {
    m_layoutId = id;
    m_fromText = false;
}

void CBkDialogViewBase::SetLayoutText(const std::string& utf8) {
    m_layoutText = utf8;
    m_fromText = true;
}

bool CBkDialogViewBase::Load(int id) {
    m_layoutId = id;
    m_fromText = false;
    if (BkLoadLayout(id, *this)) return true;
    // A missing document never reached ResetLayout: empty the sections here too.
    ResetLayout(BkLayerInfo());
    m_style = m_exStyle = 0;
    return false;
}

bool CBkDialogViewBase::LoadText(const std::string& utf8) {
    m_layoutText = utf8;
    m_fromText = true;
    if (BkLoadLayoutText(utf8, *this)) return true;
    ResetLayout(BkLayerInfo());
    m_style = m_exStyle = 0;
    return false;
}

HWND CBkDialogViewBase::Create(HWND owner, const RECT* rc) {
    if (m_hWnd) return nullptr;
    if (m_fromText) {
        LoadText(m_layoutText);
    } else {
        Load(m_layoutId);
    }
    const DWORD style = m_style ? m_style : m_defaultStyle;
    const DWORD exStyle = m_exStyle ? m_exStyle : m_defaultExStyle;
    const RECT r = rc ? *rc : RECT{0, 0, m_layer.width, m_layer.height};
    if (!CreateBound(WndClassInfo(), owner, &r, m_layer.title.c_str(), style, exStyle)) return nullptr;
    ArrangeSections();
    return m_hWnd;
}

CBkDialog* CBkDialogViewBase::SectionObject(BkSection section) {
    switch (section) {
        case BkSection::Header:
            return m_header.get();
        case BkSection::Body:
            return m_body.get();
        case BkSection::Footer:
            return m_footer.get();
    }
    return nullptr;
}

std::unique_ptr<CBkDialog> CBkDialogViewBase::CreateSection() { return std::make_unique<CBkDialog>(); }

void CBkDialogViewBase::ResetLayout(const BkLayerInfo& defaults) {
    m_layer = defaults;
    m_style = defaults.style;
    m_exStyle = defaults.exStyle;
    for (std::unique_ptr<CBkDialog>* section : {&m_header, &m_body, &m_footer}) {
        if (*section) (*section)->SendElementMessage(WM_DESTROY);
        // A fresh object: no attribute of the previous document survives.
        *section = CreateSection();
        (*section)->SetControlCreator(m_creator);
        (*section)->SetContainer(m_hWnd);
    }
    m_hasHeader = m_hasBody = m_hasFooter = false;
    m_headerFills = false;
    m_loaded = false;
    ForgetTracking();
}

void CBkDialogViewBase::ApplyLayer(const BkLayerInfo& layer) {
    m_layer = layer;
    m_style = layer.style;
    m_exStyle = layer.exStyle;
}

void CBkDialogViewBase::LoadSection(BkSection section, const TiXmlElement& element, bool dpiAware) {
    CBkDialog* s = SectionObject(section);
    if (!s) return;
    s->SetDpiAware(dpiAware);
    s->SetControlCreator(m_creator);
    s->SetContainer(m_hWnd);
    s->LoadFromElement(&element);
    s->SetContainer(m_hWnd);
    switch (section) {
        case BkSection::Header:
            m_hasHeader = true;
            break;
        case BkSection::Body:
            m_hasBody = true;
            break;
        case BkSection::Footer:
            m_hasFooter = true;
            break;
    }
}

void CBkDialogViewBase::SetSectionPos(BkSection section, const std::string& pos) {
    if (CBkDialog* s = SectionObject(section)) s->ApplyAttribute("pos", pos.c_str(), true);
}

void CBkDialogViewBase::OnLayoutLoaded(bool headerFills) {
    m_loaded = true;
    m_headerFills = headerFills;
    if (!m_hWnd) return;
    for (CBkDialog* s : {Header(), Body(), Footer()}) {
        if (s) s->SetContainer(m_hWnd);
    }
    ArrangeSections();
    ForgetTracking();
}

RECT CBkDialogViewBase::ContentRect() const {
    RECT client{};
    if (m_hWnd) GetClientRect(m_hWnd, &client);
    return client;
}

void CBkDialogViewBase::ArrangeSections() {
    if (!m_hWnd) return;
    const RECT rc = ContentRect();
    const int width = rc.right - rc.left;
    if (width <= 0) return;
    BkPlacement place;
    place.x = rc.left;
    place.y = rc.top;
    place.width = width;
    place.height = rc.bottom - rc.top;
    int headerBottom = rc.top;
    if (CBkDialog* header = Header()) {
        header->Place(place);
        headerBottom = header->GetRect().bottom;
    }
    int footerHeight = 0;
    if (CBkDialog* footer = Footer()) {
        footer->Place(place);
        footerHeight = footer->GetRect().bottom - footer->GetRect().top;
        BkPlacement again = place;
        again.y = rc.bottom - footerHeight;
        again.height = footerHeight;
        footer->Place(again);
    }
    if (CBkDialog* body = Body()) {
        BkPlacement middle = place;
        middle.y = headerBottom;
        middle.height = rc.bottom - footerHeight - headerBottom;
        body->Place(middle);
    }
    InvalidateHost(nullptr);
    const std::vector<IBkRelayoutListener*> listeners = m_relayoutListeners;
    for (IBkRelayoutListener* l : listeners) l->OnRelayout(m_hWnd, rc);
}

void CBkDialogViewBase::AddRelayoutListener(IBkRelayoutListener* listener) {
    if (listener &&
        std::find(m_relayoutListeners.begin(), m_relayoutListeners.end(), listener) == m_relayoutListeners.end())
        m_relayoutListeners.push_back(listener);
}

void CBkDialogViewBase::RemoveRelayoutListener(IBkRelayoutListener* listener) {
    m_relayoutListeners.erase(std::remove(m_relayoutListeners.begin(), m_relayoutListeners.end(), listener),
                              m_relayoutListeners.end());
}

void CBkDialogViewBase::EnableRoundRectFrame(int cornerWidth, int cornerHeight) {
    if (!m_roundFrame) m_roundFrame = std::make_unique<CWHRoundRectFrameHelper>();
    m_roundFrame->SetRoundCorner(cornerWidth, cornerHeight);
    m_roundFrame->Reset();
    if (m_hWnd && !IsChildWindow()) m_roundFrame->OnSize(m_hWnd, SIZE_RESTORED);
}

void CBkDialogViewBase::EnableShadow(const std::string& skinName, int band) {
    if (!m_shadow) m_shadow = std::make_unique<WndShadowHelper>();
    m_shadow->SetShadow(skinName, band);
    if (m_hWnd && !IsChildWindow()) m_shadow->Attach(m_hWnd);
}

UINT CBkDialogViewBase::LayeredPaintMessage() {
    static const UINT id = RegisterWindowMessageW(L"BkLayeredPaint_{6A0F3C52-8E1D-4B7A-9C44-2D5E7B19A0C3}");
    return id;
}

bool CBkDialogViewBase::IsLayered() const {
    return m_hWnd && (GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

void CBkDialogViewBase::InvalidateHost(const RECT* rc) {
    if (!m_hWnd) return;
    ::InvalidateRect(m_hWnd, rc, FALSE);
    // A layered window shows only what UpdateLayeredWindow gave it; the system does not ask it to paint.
    if (IsLayered() && !m_layeredPaintPending) {
        m_layeredPaintPending = PostMessageW(m_hWnd, LayeredPaintMessage(), 0, 0) != FALSE;
    }
}

bool CBkDialogViewBase::IsChildWindow() const {
    if (m_hWnd) return (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0;
    return m_layer.child;
}

// ---- painting ----

void CBkDialogViewBase::RenderTo(HDC dc, HRGN clip) {
    const RECT content = ContentRect();
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (clip) SelectClipRgn(dc, clip);
    m_paintClip = clip;
    if (!m_layer.frame.empty()) {
        if (CBkSkinBase* frame = BkSkinRegistry::Instance().Find(m_layer.frame)) frame->Draw(dc, content, 0);
    }
    for (CBkDialog* s : {Header(), Body(), Footer()}) {
        if (s && !s->IsHidden()) s->Redraw(dc, clip);
    }
    if (m_roundFrame && !IsChildWindow()) CWHRoundRectFrameHelper::DrawBorder(dc, content);
    m_paintClip = nullptr;
    if (clip) SelectClipRgn(dc, nullptr);
    SetBkMode(dc, oldMode);
}

void CBkDialogViewBase::OnPaint() {
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    const int kind = update ? GetUpdateRgn(m_hWnd, update, FALSE) : ERROR;
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(m_hWnd, &ps);
    const bool layered = (GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (dc && width > 0 && height > 0) {
        BkWinManager::PaintLock lock;
        BkDibCanvas buffer(width, height, dc);
        if (buffer.Ok()) {
            // A layered window is always copied whole, so it is always drawn whole.
            const bool clipped = !layered && (kind == SIMPLEREGION || kind == COMPLEXREGION);
            RenderTo(buffer.Dc(), clipped ? update : nullptr);
            if (layered) {
                RECT wr{};
                GetWindowRect(m_hWnd, &wr);
                POINT at{wr.left, wr.top};
                POINT zero{0, 0};
                SIZE size{width, height};
                BLENDFUNCTION blend{AC_SRC_OVER, 0, m_alpha, AC_SRC_ALPHA};
                HDC screen = GetDC(nullptr);
                UpdateLayeredWindow(m_hWnd, screen, &at, &size, buffer.Dc(), &zero, 0, &blend, ULW_ALPHA);
                ReleaseDC(nullptr, screen);
            } else {
                BitBlt(dc, 0, 0, width, height, buffer.Dc(), 0, 0, SRCCOPY);
            }
        }
    }
    EndPaint(m_hWnd, &ps);
    if (update) DeleteObject(update);
}

// ---- window life and sizing ----

void CBkDialogViewBase::OnCreateWindow() {
    for (CBkDialog* s : {m_header.get(), m_body.get(), m_footer.get()}) {
        if (s) s->SetContainer(m_hWnd);
    }
    if (m_roundFrame && !IsChildWindow()) {
        m_roundFrame->Reset();
        m_roundFrame->OnSize(m_hWnd, SIZE_RESTORED);
    }
    RecreateToolTip();
    UpdateComposition();
    if (m_shadow && !IsChildWindow()) m_shadow->Attach(m_hWnd);
}

void CBkDialogViewBase::OnDestroyWindow() {
    for (CBkDialog* s : {m_header.get(), m_body.get(), m_footer.get()}) {
        if (s) s->SendElementMessage(WM_DESTROY);
    }
    ForgetTracking();
    if (m_toolTip) ::DestroyWindow(m_toolTip);
    m_toolTip = nullptr;
    if (m_shadow) m_shadow->Detach();
    if (m_fullDragChanged) {
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_savedFullDrag, nullptr, 0);
        m_fullDragChanged = false;
    }
    m_tracking = false;
    m_captured = false;
    // A window destroyed during its modal run ends the run.
    if (m_modalRunning) {
        m_modalRunning = false;
        if (m_modalLoop) m_modalLoop->Quit(0);
    }
}

void CBkDialogViewBase::OnSize(UINT type) {
    if (type == SIZE_MINIMIZED) return;
    if (m_roundFrame && !IsChildWindow()) m_roundFrame->OnSize(m_hWnd, type);
    ArrangeSections();
    UpdateToolTipRect();
}

void CBkDialogViewBase::OnGetMinMaxInfo(MINMAXINFO* info) {
    const int w = m_layer.width, h = m_layer.height;
    if (m_layer.resizable) {
        HMONITOR monitor = MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (monitor && GetMonitorInfoW(monitor, &mi)) {
            const RECT& work = mi.rcWork;
            info->ptMaxPosition = POINT{work.left - mi.rcMonitor.left, work.top - mi.rcMonitor.top};
            info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
            info->ptMaxTrackSize = info->ptMaxSize;
        }
    } else if (w > 0 && h > 0) {
        info->ptMaxPosition = POINT{0, 0};
        info->ptMaxSize = POINT{w, h};
        info->ptMaxTrackSize = POINT{w, h};
    }
    // The smallest size: the document's min_width × min_height where given, else its own size.
    const int minW = m_layer.minWidth > 0 ? m_layer.minWidth : w;
    const int minH = m_layer.minHeight > 0 ? m_layer.minHeight : h;
    if (minW > 0) info->ptMinTrackSize.x = minW;
    if (minH > 0) info->ptMinTrackSize.y = minH;
}

void CBkDialogViewBase::OnWindowPosChanging(WINDOWPOS* pos) {
    if (!pos || (pos->flags & SWP_NOSIZE)) return;
    if (m_layer.holdSize && m_layer.width > 0 && m_layer.height > 0) {
        pos->cx = m_layer.width;
        pos->cy = m_layer.height;
        return;
    }
    // The window itself never gets smaller than the document allows, so the client area always fits it.
    if (!IsChildWindow()) {
        if (pos->cx < m_layer.minWidth) pos->cx = m_layer.minWidth;
        if (pos->cy < m_layer.minHeight) pos->cy = m_layer.minHeight;
    }
}

LRESULT CBkDialogViewBase::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    if (!wParam) return 0;  // the whole window rectangle is client area
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    if (!params || (params->lppos && (params->lppos->flags & SWP_NOSIZE))) return 0;
    RECT& rc = params->rgrc[0];
    if (m_layer.holdSize && m_layer.width > 0 && m_layer.height > 0) {
        rc.right = rc.left + m_layer.width;
        rc.bottom = rc.top + m_layer.height;
        return 0;
    }
    if (rc.right - rc.left < m_layer.minWidth) rc.right = rc.left + m_layer.minWidth;
    if (rc.bottom - rc.top < m_layer.minHeight) rc.bottom = rc.top + m_layer.minHeight;
    return 0;
}

void CBkDialogViewBase::UpdateComposition() {
    if (!m_useComposition || !m_hWnd || IsChildWindow()) return;
    const LONG ex = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
    if (BkDwm::BlurWantedOnThisSystem() && BkDwm::IsCompositionEnabled()) {
        HRGN region = CreateBlurRegion();
        const HRESULT hr = BkDwm::EnableBlurBehindWindow(m_hWnd, true, region);
        if (region) DeleteObject(region);
        if (SUCCEEDED(hr)) {
            m_blurActive = true;
            if (ex & WS_EX_LAYERED) SetWindowLongW(m_hWnd, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        }
        return;
    }
    if (m_blurActive) BkDwm::EnableBlurBehindWindow(m_hWnd, false, nullptr);
    m_blurActive = false;
    if ((m_exStyle & WS_EX_LAYERED) && !(ex & WS_EX_LAYERED)) SetWindowLongW(m_hWnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
}

// ---- dispatch ----

bool CBkDialogViewBase::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (message == LayeredPaintMessage()) {
        m_layeredPaintPending = false;
        if (IsLayered() && IsWindowVisible(m_hWnd)) OnPaint();
        return true;
    }
    switch (message) {
        case WM_CREATE:
            OnCreateWindow();
            return false;
        case WM_DESTROY:
            OnDestroyWindow();
            return false;
        case WM_PAINT:
            OnPaint();
            return true;
        case WM_ERASEBKGND:
            result = TRUE;
            return true;
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr && hdr->code == kBkNotifyInvalidate) {
                const auto* n = reinterpret_cast<const BkInvalidateNotify*>(lParam);
                InvalidateHost(&n->rect);
                return true;
            }
            return false;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return true;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return true;
        case WM_LBUTTONDOWN:
            OnLButtonDown(wParam, lParam);
            return true;
        case WM_LBUTTONUP:
            OnLButtonUp(wParam, lParam);
            return true;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(wParam, lParam);
            return true;
        case WM_RBUTTONDOWN:
            OnRButtonDown(wParam, lParam);
            return true;
        case WM_RBUTTONUP:
            OnRButtonUp(wParam, lParam);
            return true;
        case WM_MOUSEWHEEL:
            if (CBkWindow* hover = HoverElement()) result = hover->SendElementMessage(WM_MOUSEWHEEL, wParam, lParam);
            return true;
        case WM_SETCURSOR:
            if (!OnSetCursor(wParam, lParam)) return false;
            result = TRUE;
            return true;
        case WM_NCHITTEST:
            result = OnNcHitTest(lParam);
            return true;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam));
            return true;
        case WM_WINDOWPOSCHANGING:
            OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
            return false;
        case WM_NCCALCSIZE:
            result = OnNcCalcSize(wParam, lParam);
            return true;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return true;
        case WM_ENTERSIZEMOVE:
            if (m_suppressFullDrag) {
                BOOL full = TRUE;
                SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
                m_savedFullDrag = full;
                SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
                m_fullDragChanged = true;
            }
            return false;
        case WM_EXITSIZEMOVE:
            if (m_fullDragChanged) {
                SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_savedFullDrag, nullptr, 0);
                m_fullDragChanged = false;
            }
            return false;
        case WM_NCPAINT:
            // The region belongs to the system, which frees it after the message.
            return true;
        case WM_NCACTIVATE:
            result = TRUE;
            return true;
        case WM_GETDLGCODE:
            result = DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
            return true;
        case WM_SETFOCUS:
            if (HWND first = GetNextDlgTabItem(m_hWnd, nullptr, FALSE)) {
                if (first != m_hWnd) SetFocus(first);
            }
            return false;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                SendHostNotify(kBkNotifyClick, LOWORD(wParam));
                return true;
            }
            return false;
        case WM_MOVE:
        case WM_SHOWWINDOW:
        case WM_WINDOWPOSCHANGED:
            for (CBkDialog* s : {Header(), Body(), Footer()}) {
                if (s) s->OnContainerMessage(message, wParam, lParam);
            }
            if (message == WM_WINDOWPOSCHANGED && m_shadow) m_shadow->Follow();
            if (message == WM_SHOWWINDOW && wParam) InvalidateHost(nullptr);
            return false;
        case WM_DWMCOMPOSITIONCHANGED:
            UpdateComposition();
            return false;
        default:
            return false;
    }
}
