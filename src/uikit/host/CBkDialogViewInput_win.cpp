// The host's input: hit testing, hover and press tracking, clicks, the tooltip, cursors and the border band.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <cstring>

#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/host/BkAppModule.h"
#include "uikit/host/BkDwm.h"
#include "uikit/host/BkWinManager.h"
#include "uikit/host/CBkDialogViewBase.h"

namespace {

constexpr UINT kHitBorderFirst = HTLEFT;        // 10
constexpr UINT kHitBorderLast = HTBOTTOMRIGHT;  // 17
constexpr int kBorderBand = 4;
constexpr UINT_PTR kToolId = 1;
constexpr UINT kSysCommandDragMove = 0xF012;  // SC_MOVE by the caption
constexpr UINT kSysCommandMaximize = 0xF032;
constexpr UINT kSysCommandRestore = 0xF122;

bool IsBorderCode(UINT code) { return code >= kHitBorderFirst && code <= kHitBorderLast; }

bool TagIn(const CBkWindow* element, const char* const* tags, size_t count) {
    if (!element) return false;
    for (size_t i = 0; i < count; ++i) {
        if (element->MatchesTag(tags[i])) return true;
    }
    return false;
}

// The one tool of a host: its whole client area.
TOOLINFOW ClientTool(HWND host) {
    TOOLINFOW ti{};
#ifdef TTTOOLINFOW_V2_SIZE
    ti.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every comctl32 version
#else
    ti.cbSize = sizeof(TOOLINFOW);
#endif
    ti.hwnd = host;
    ti.uId = kToolId;
    return ti;
}

void EnsureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

}  // namespace

// ---- elements ----

CBkWindow* CBkDialogViewBase::HitTestElement(POINT pt) {
    for (CBkDialog* s : {Header(), Body(), Footer()}) {
        if (!s || s->IsHidden()) continue;
        if (const BkElementHandle h = s->HitTest(pt.x, pt.y)) {
            if (CBkWindow* element = BkElementRegistry::Find(h)) return element;
        }
    }
    return nullptr;
}

CBkWindow* CBkDialogViewBase::HoverElement() const { return BkElementRegistry::Find(m_hover); }

CBkWindow* CBkDialogViewBase::PressedElement() const { return BkElementRegistry::Find(m_pressed); }

CBkWindow* CBkDialogViewBase::ViewFindChild(UINT id) {
    for (CBkDialog* s : {Header(), Body(), Footer()}) {
        if (!s) continue;
        if (s->GetId() == id && id != 0) return s;
        if (CBkWindow* found = s->FindChild(id)) return found;
    }
    return nullptr;
}

void CBkDialogViewBase::ViewInvalidateRect(const RECT& rc) {
    if (!IsRectEmpty(&rc)) InvalidateHost(&rc);
}

bool CBkDialogViewBase::IsClickableTag(const CBkWindow* element) {
    static const char* const kTags[] = {"button",      "imgbtn", "dlgbtn", "dlgbtnEx2", "tabctrl",  "link",   "skinbtn",
                                        "imgbtnsized", "check",  "radio",  "slider",    "imgradio", "listwnd"};
    return TagIn(element, kTags, sizeof kTags / sizeof kTags[0]);
}

bool CBkDialogViewBase::IsDoubleClickableTag(const CBkWindow* element) {
    static const char* const kTags[] = {"button",  "imgbtn",      "dlgbtn", "tabctrl", "link",
                                        "skinbtn", "imgbtnsized", "check",  "slider",  "listwnd"};
    return TagIn(element, kTags, sizeof kTags / sizeof kTags[0]);
}

LRESULT CBkDialogViewBase::SendHostNotify(UINT code, UINT id, const char* tag) {
    if (!m_hWnd) return 0;
    BkHostNotify n{};
    n.hdr.hwndFrom = m_hWnd;
    n.hdr.idFrom = static_cast<UINT_PTR>(-1);
    n.hdr.code = code;
    n.id = id;
    n.tag = tag;
    return SendMessageW(m_hWnd, WM_NOTIFY, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&n));
}

void CBkDialogViewBase::ForgetTracking() {
    m_hover = 0;
    m_pressed = 0;
    m_rightPressed = 0;
}

void CBkDialogViewBase::SetHover(CBkWindow* element) {
    const BkElementHandle next = element ? element->GetHandle() : 0;
    if (next == m_hover) return;
    if (CBkWindow* old = HoverElement()) {
        old->ModifyState(0, kBkStateHover);
        if (old->NeedsRedrawOnStateChange()) ViewInvalidateRect(old->GetRect());
        old->SendElementMessage(WM_MOUSELEAVE);
    }
    m_hover = 0;
    // The leave message may have destroyed things: look the new element up again.
    element = BkElementRegistry::Find(next);
    if (element) {
        if (!element->IsDisabled()) {
            element->ModifyState(kBkStateHover, 0);
            if (element->NeedsRedrawOnStateChange()) ViewInvalidateRect(element->GetRect());
        }
        m_hover = next;
        SetToolTipText(element->GetTip());
    } else {
        SetToolTipText(std::wstring());
    }
}

// ---- tooltip ----

void CBkDialogViewBase::RecreateToolTip() {
    if (m_toolTip) ::DestroyWindow(m_toolTip);
    m_toolTip = nullptr;
    EnsureCommonControls();
    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, L"tooltips_class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                CBkAppModule::Instance().GetModuleInstance(), nullptr);
    if (!m_toolTip) return;
    TOOLINFOW ti = ClientTool(m_hWnd);
    GetClientRect(m_hWnd, &ti.rect);
    wchar_t empty[] = L"";
    ti.lpszText = empty;
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(m_toolTip, TTM_ACTIVATE, TRUE, 0);
    SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 5000);
}

void CBkDialogViewBase::UpdateToolTipRect() {
    if (!m_toolTip) return;
    TOOLINFOW ti = ClientTool(m_hWnd);
    GetClientRect(m_hWnd, &ti.rect);
    SendMessageW(m_toolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CBkDialogViewBase::SetToolTipText(const std::wstring& text) {
    if (!m_toolTip) return;
    std::wstring copy = text;
    TOOLINFOW ti = ClientTool(m_hWnd);
    ti.lpszText = &copy[0];
    SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

// ---- mouse ----

bool CBkDialogViewBase::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!m_tracking) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
        m_tracking = TrackMouseEvent(&tme) != FALSE;
    }
    if (m_toolTip) {
        MSG msg{m_hWnd, WM_MOUSEMOVE, wParam, lParam, 0, {0, 0}};
        SendMessageW(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    if (CBkWindow* pressed = PressedElement()) {
        pressed->SendElementMessage(WM_MOUSEMOVE, wParam, lParam);
        return true;
    }
    if (m_lastHitCode != HTCLIENT) {
        SetHover(nullptr);
        return true;
    }
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    if (!hit) {
        SetHover(nullptr);
        return true;
    }
    const BkElementHandle handle = hit->GetHandle();
    const UINT id = hit->GetId();
    if (!hit->IsDisabled()) hit->SendElementMessage(WM_MOUSEMOVE, wParam, lParam);
    SendHostNotify(kBkNotifyMouseOver, id);
    if (handle != m_hover) SetHover(BkElementRegistry::Find(handle));
    return true;
}

void CBkDialogViewBase::OnMouseLeave() {
    UINT lastId = 0;
    if (CBkWindow* hover = HoverElement()) {
        hover->ModifyState(0, kBkStateHover | kBkStatePushDown);
        if (hover->NeedsRedrawOnStateChange()) ViewInvalidateRect(hover->GetRect());
        lastId = hover->GetId();
        hover->SendElementMessage(WM_MOUSELEAVE);
    }
    if (CBkWindow* pressed = PressedElement()) {
        pressed->ModifyState(0, kBkStateHover | kBkStatePushDown);
        if (pressed->NeedsRedrawOnStateChange()) ViewInvalidateRect(pressed->GetRect());
        lastId = pressed->GetId();
    }
    m_hover = 0;
    m_pressed = 0;
    m_tracking = false;
    if (m_captured && GetCapture() == m_hWnd) ReleaseCapture();
    m_captured = false;
    SetToolTipText(std::wstring());
    SendHostNotify(kBkNotifyMouseLeaveWindow, lastId);
}

void CBkDialogViewBase::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    if (m_layer.resizable && IsBorderCode(m_lastHitCode)) {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(m_hWnd, &screen);
        SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, m_lastHitCode, MAKELPARAM(screen.x, screen.y));
        return;
    }
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    const bool takesPress = hit && (IsClickableTag(hit) || hit->HeadAcceptsButtonDown());
    if (!takesPress && !IsChildWindow()) {
        SetFocus(m_hWnd);
        if (!IsIconic(m_hWnd) && !m_layer.noMove) SendMessageW(m_hWnd, WM_SYSCOMMAND, kSysCommandDragMove, 0);
        return;
    }
    if (!hit || hit->IsDisabled()) return;
    const BkElementHandle handle = hit->GetHandle();
    SetCapture(m_hWnd);
    m_captured = true;
    if (handle != m_hover) SetHover(hit);
    hit = BkElementRegistry::Find(handle);
    if (!hit) return;
    m_hover = handle;
    m_pressed = handle;
    hit->ModifyState(kBkStateHover | kBkStatePushDown, 0);
    if (hit->NeedsRedrawOnStateChange()) ViewInvalidateRect(hit->GetRect());
    const UINT id = hit->GetId();
    hit->SendElementMessage(WM_LBUTTONDOWN, wParam, lParam);
    SendHostNotify(kBkNotifyButtonDown, id);
}

void CBkDialogViewBase::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
    SetFocus(m_hWnd);
    if (GetCapture() == m_hWnd) ReleaseCapture();
    m_captured = false;
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    const BkElementHandle hitHandle = hit ? hit->GetHandle() : 0;
    const BkElementHandle pressedHandle = m_pressed;
    m_pressed = 0;
    CBkWindow* pressed = BkElementRegistry::Find(pressedHandle);
    if (!pressed) return;

    pressed->ModifyState(0, kBkStatePushDown);
    if (pressed->NeedsRedrawOnStateChange()) ViewInvalidateRect(pressed->GetRect());
    pressed->SendElementMessage(WM_LBUTTONUP, wParam, lParam);
    pressed = BkElementRegistry::Find(pressedHandle);
    if (!pressed) return;

    if (hitHandle != pressedHandle) {
        // Released off the pressed element: it loses its hover look too.
        pressed->ModifyState(0, kBkStateHover);
        if (pressed->NeedsRedrawOnStateChange()) ViewInvalidateRect(pressed->GetRect());
        if (m_hover == pressedHandle) m_hover = 0;
        pressed->SendElementMessage(WM_MOUSELEAVE);
        return;
    }
    if (!pressed->GetLink().empty()) {
        const std::wstring link = pressed->GetLink();
        ShellExecuteW(m_hWnd, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else if (const UINT id = pressed->GetId()) {
        SendHostNotify(kBkNotifyClick, id, pressed->TagName());
    }
}

void CBkDialogViewBase::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    const bool takesClick = hit && (IsDoubleClickableTag(hit) || hit->HeadAcceptsButtonDown());
    if (!takesClick && m_layer.resizable) {
        SendMessageW(m_hWnd, WM_SYSCOMMAND, IsZoomed(m_hWnd) ? kSysCommandRestore : kSysCommandMaximize, 0);
        return;
    }
    if (!hit) return;
    const UINT id = hit->GetId();
    const char* tag = hit->TagName();
    hit->SendElementMessage(WM_LBUTTONDBLCLK, wParam, lParam);
    SendHostNotify(kBkNotifyDoubleClick, id, tag);
}

void CBkDialogViewBase::OnRButtonDown(WPARAM, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    m_rightPressed = hit ? hit->GetHandle() : 0;
}

void CBkDialogViewBase::OnRButtonUp(WPARAM wParam, LPARAM lParam) {
    if (GetCapture() == m_hWnd) ReleaseCapture();
    m_captured = false;
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CBkWindow* hit = HitTestElement(pt);
    const BkElementHandle down = m_rightPressed;
    m_rightPressed = 0;
    if (!hit || hit->GetHandle() != down) return;
    const UINT id = hit->GetId();
    hit->SendElementMessage(WM_RBUTTONUP, wParam, lParam);
    SendHostNotify(kBkNotifyRightClick, id);
}

bool CBkDialogViewBase::OnSetCursor(WPARAM wParam, LPARAM) {
    if (reinterpret_cast<HWND>(wParam) != m_hWnd) return false;
    const UINT code = m_lastHitCode;
    if (m_layer.resizable && IsBorderCode(code)) {
        const wchar_t* cursor = IDC_ARROW;
        switch (code) {
            case HTLEFT:
            case HTRIGHT:
                cursor = IDC_SIZEWE;
                break;
            case HTTOP:
            case HTBOTTOM:
                cursor = IDC_SIZENS;
                break;
            case HTTOPLEFT:
            case HTBOTTOMRIGHT:
                cursor = IDC_SIZENWSE;
                break;
            default:
                cursor = IDC_SIZENESW;
                break;
        }
        SetCursor(LoadCursorW(nullptr, cursor));
        return true;
    }
    CBkWindow* hover = HoverElement();
    if (!hover) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    if (hover->MatchesTag("realwnd") || hover->MatchesTag("realwnd2")) return false;
    if (hover->IsDisabled()) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    } else {
        hover->ApplyCursor();
    }
    return true;
}

LRESULT CBkDialogViewBase::OnNcHitTest(LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(m_hWnd, &pt);
    UINT code = HTCLIENT;
    if (m_layer.resizable && !IsChildWindow()) {
        RECT rc{};
        GetClientRect(m_hWnd, &rc);
        const bool left = pt.x >= rc.left && pt.x < rc.left + kBorderBand;
        const bool right = pt.x < rc.right && pt.x >= rc.right - kBorderBand;
        const bool top = pt.y >= rc.top && pt.y < rc.top + kBorderBand;
        const bool bottom = pt.y < rc.bottom && pt.y >= rc.bottom - kBorderBand;
        const bool inside = pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
        if (inside) {
            if (top && left) {
                code = HTTOPLEFT;
            } else if (top && right) {
                code = HTTOPRIGHT;
            } else if (bottom && left) {
                code = HTBOTTOMLEFT;
            } else if (bottom && right) {
                code = HTBOTTOMRIGHT;
            } else if (top) {
                code = HTTOP;
            } else if (bottom) {
                code = HTBOTTOM;
            } else if (left) {
                code = HTLEFT;
            } else if (right) {
                code = HTRIGHT;
            }
        }
    }
    m_lastHitCode = code;
    // Windows never sees a border: sizing is started by the button-down handler.
    return HTCLIENT;
}
