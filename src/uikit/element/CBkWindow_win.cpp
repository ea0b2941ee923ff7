#include <tinyxml.h>
#include <windowsx.h>

#include <cmath>
#include <cstring>

#include "uikit/doc/BkAttrRead.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkFontPool.h"
#include "uikit/doc/BkImagePool.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/doc/BkXml.h"
#include "uikit/element/BkAttrTable.h"
#include "uikit/element/BkElementRules.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/element/CBkWindow.h"

namespace {

BkRect ToBkRect(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
RECT ToRect(const BkRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

int SetFlag(int& field, const char* value) {
    field = BkReadInt(value);
    return 0;
}

// "no element" answers of GetObject are kept out of the arithmetic.
int FontHeight(HFONT font) {
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return 0;
    return lf.lfHeight;
}

using DrawShadowTextFn = int(WINAPI*)(HDC, LPCWSTR, UINT, RECT*, DWORD, COLORREF, COLORREF, int, int);

// DrawShadowText exists only in version 6 of the common controls, so it is looked up by name for each call.
bool DrawShadowTextByName(HDC dc, const std::wstring& text, RECT rc, DWORD mode, COLORREF color, COLORREF shadow) {
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    if (!comctl) return false;
    auto fn = reinterpret_cast<DrawShadowTextFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "DrawShadowText")));
    const bool drawn = fn && fn(dc, text.c_str(), static_cast<UINT>(text.size()), &rc, mode, color, shadow, 2, 2) != 0;
    FreeLibrary(comctl);
    return drawn;
}

// A GDI+ font for the selected GDI font, from the pool's private family when the face has one.
std::unique_ptr<Gdiplus::Font> GdipFontFor(HDC dc, HFONT font) {
    const auto& families = BkFontPool::Instance().PrivateFamilies();
    LOGFONTW lf{};
    if (!families.empty() && font && GetObjectW(font, sizeof lf, &lf)) {
        int style = Gdiplus::FontStyleRegular;
        if (lf.lfWeight >= FW_BOLD) style |= Gdiplus::FontStyleBold;
        if (lf.lfItalic) style |= Gdiplus::FontStyleItalic;
        if (lf.lfUnderline) style |= Gdiplus::FontStyleUnderline;
        const float size = static_cast<float>(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight);
        return std::make_unique<Gdiplus::Font>(families.front().get(), size, style, Gdiplus::UnitPixel);
    }
    return std::make_unique<Gdiplus::Font>(dc, font);
}

void ApplyFormat(Gdiplus::StringFormat& format, const BkGdipFormat& f) {
    format.SetAlignment(static_cast<Gdiplus::StringAlignment>(f.alignment));
    format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(f.lineAlignment));
    if (f.flags) format.SetFormatFlags(f.flags);
    format.SetTrimming(static_cast<Gdiplus::StringTrimming>(f.trimming));
}

}  // namespace

CBkWindow::CBkWindow() { m_handle = BkElementRegistry::Register(this); }

CBkWindow::~CBkWindow() { BkElementRegistry::Unregister(m_handle); }

// ---- loading and attributes ----

bool CBkWindow::LoadFromElement(const TiXmlElement* element) {
    if (!element) return false;
    m_text = BkElementText(element);
    m_posFlags = 0;
    CBkObject::LoadFromElement(element);

    const char* show = element->Attribute("show");
    if (show && *show) {
        if (BkReadInt(show) != 0) {
            ModifyState(0, kBkStateHidden);
        } else {
            ModifyState(kBkStateHidden, 0);
        }
    }

    if (m_pos.count == 0) {
        const BkSizeAttrs attrs =
            BkReadSizeAttrs(element->Attribute("width"), element->Attribute("height"), element->Attribute("float"));
        m_posFlags |= attrs.flags;
        m_fixedWidth = attrs.fixedWidth;
        m_fixedHeight = attrs.fixedHeight;
        if (attrs.flags & (kBkPosWidthContent | kBkPosHeightContent)) {
            const SIZE size = QueryContentSize(0, 0);
            if (attrs.flags & kBkPosWidthContent) m_rc.right = size.cx;
            if (attrs.flags & kBkPosHeightContent) m_rc.bottom = size.cy;
        }
    }
    return true;
}

int CBkWindow::ApplyAttribute(const char* name, const char* value, bool loading) {
    using Self = CBkWindow;
    static const BkAttrSetter<Self> kCommon[] = {
        {"class", [](Self& w, const char* v, bool) { return w.m_class = v, 0; }},
        {"id", [](Self& w, const char* v, bool) { return w.m_id = static_cast<UINT>(BkReadInt(v)), 1; }},
        {"alphatxt", [](Self& w, const char* v, bool) { return w.m_alphaText = BkReadInt(v), 0; }},
        {"crbg", [](Self& w, const char* v, bool) { return w.m_crBg = BkReadColor(v), 1; }},
        {"crtext", [](Self& w, const char* v, bool) { return w.m_crText = BkReadColor(v), 1; }},
        {"font",
         [](Self& w, const char* v, bool) {
             w.m_fontCode = BkReadFontCode(v);
             w.m_hasFontCode = true;
             return 1;
         }},
        {"href", [](Self& w, const char* v, bool) { return w.m_link = BkWide(v), 1; }},
        {"tip", [](Self& w, const char* v, bool) { return w.m_tip = BkWide(v), 1; }},
        {"valign",
         [](Self& w, const char* v, bool) {
             if (!std::strcmp(v, "top")) return w.m_valign = 0, 0;
             if (!std::strcmp(v, "middle")) return w.m_valign = kBkVAlignMiddle, 0;
             if (!std::strcmp(v, "bottom")) return w.m_valign = kBkVAlignBottom, 0;
             return kBkAttrNotHandled;
         }},
        {"align",
         [](Self& w, const char* v, bool) {
             if (!std::strcmp(v, "left")) return w.m_align = 0, 0;
             if (!std::strcmp(v, "center")) return w.m_align = kBkAlignCenter, 0;
             if (!std::strcmp(v, "right")) return w.m_align = kBkAlignRight, 0;
             return kBkAttrNotHandled;
         }},
        {"pos",
         [](Self& w, const char* v, bool loading) {
             const BkScaleFn scale = [&w](int x) { return w.ScaleForDpi(x); };
             if (BkParsePos(v, w.m_pos, w.m_posFlags, scale) && !loading) w.RequestReposition();
             return 1;
         }},
        {"transparent", [](Self& w, const char* v, bool) { return SetFlag(w.m_transparent, v), 1; }},
        {"headacceptlbtndownmsg",
         [](Self& w, const char* v, bool) { return SetFlag(w.m_headAcceptsButtonDown, v), 1; }},
        {"userdata", [](Self& w, const char* v, bool) { return SetFlag(w.m_userData, v), 1; }},
        {"notify",
         [](Self& w, const char* v, bool) { return w.m_notifyMask = static_cast<uint32_t>(BkReadInt(v)), 1; }},
        {"forceupdatestyle", [](Self& w, const char* v, bool) { return SetFlag(w.m_forceUpdateStyle, v); }},
        {"autofixtextrect", [](Self& w, const char* v, bool) { return SetFlag(w.m_autoFixTextRect, v); }},
        {"border", [](Self& w, const char* v, bool) { return SetFlag(w.m_border, v); }},
        {"correctdrawbg", [](Self& w, const char* v, bool) { return SetFlag(w.m_correctDrawBg, v); }},
    };
    const int result = BkApplyFromTable(kCommon, *this, name, value, loading);
    if (result != kBkAttrNotHandled || !name || std::strncmp(name, "layout_", 7) != 0) return result;

    bool changed = false;
    const int layout = m_layout.ApplyAttribute(
        name, value ? value : "", [this](int v) { return ScaleForDpi(v); }, &changed);
    if (layout != kBkAttrNotHandled && changed && !loading) RequestReposition();
    return layout;
}

// ---- state ----

uint32_t CBkWindow::ModifyState(uint32_t add, uint32_t remove) {
    const uint32_t previous = m_state;
    m_state = (m_state | add) & ~remove;
    return previous;
}

CBkDialog* CBkWindow::GetParentContainer() const { return dynamic_cast<CBkDialog*>(BkElementRegistry::Find(m_parent)); }

bool CBkWindow::IsHidden() const {
    for (const CBkWindow* w = this; w; w = BkElementRegistry::Find(w->m_parent)) {
        if (w->m_state & kBkStateHidden) return true;
    }
    return false;
}

bool CBkWindow::IsDisabled() const {
    for (const CBkWindow* w = this; w; w = BkElementRegistry::Find(w->m_parent)) {
        if (w->m_state & kBkStateDisabled) return true;
    }
    return false;
}

int CBkWindow::StateIndex() const { return BkStateIndex(BkDrawStateOf(m_state, IsDisabled())); }

void CBkWindow::SetVisible(bool visible) {
    const uint32_t previous = visible ? ModifyState(0, kBkStateHidden) : ModifyState(kBkStateHidden, 0);
    if ((previous & kBkStateHidden) == (m_state & kBkStateHidden)) return;
    if (CBkDialog* parent = GetParentContainer()) parent->OnChildChanged(this, "show");
}

const BkStyle& CBkWindow::GetStyle() const { return BkStyleRegistry::Instance().Find(m_class); }

bool CBkWindow::NeedsRedrawOnStateChange() {
    const BkStyle& style = GetStyle();
    if (!style.skin.empty()) {
        CBkSkinBase* skin = BkSkinRegistry::Instance().Find(style.skin);
        if (skin && !skin->IgnoreState()) return true;
    }
    return style.crHover != kBkColorNone || style.hoverFont != 0 || style.crBgHover != kBkColorNone ||
           style.crPush != kBkColorNone || style.pushFont != 0 || style.crBgPush != kBkColorNone;
}

BkElementHandle CBkWindow::HitTest(int x, int y, int) {
    const POINT pt{x, y};
    return PtInRect(&m_rc, pt) ? m_handle : 0;
}

void CBkWindow::ApplyCursor() { SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(GetStyle().cursor))); }

// ---- IBkWindow ----

void CBkWindow::RequestReposition() {
    if (CBkDialog* parent = GetParentContainer()) parent->RepositionChild(this);
}

int CBkWindow::ScaleForDpi(int value) { return m_dpiAware ? BkDpiSettings::Instance().Scale(value) : value; }

int CBkWindow::UnscaleForDpi(int value) { return m_dpiAware ? BkDpiSettings::Instance().Unscale(value) : value; }

// ---- placement and content size ----

void CBkWindow::Place(const BkPlacement& place) {
    WINDOWPOS wp{};
    wp.x = place.x;
    wp.y = place.y;
    wp.cx = place.width;
    wp.cy = place.height;
    wp.flags = place.flags;
    SendElementMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

SIZE CBkWindow::QueryContentSize(int availWidth, int availHeight) {
    BkContentSizeMsg msg;
    msg.availWidth = availWidth;
    msg.availHeight = availHeight;
    SendElementMessage(WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&msg));
    return msg.size;
}

SIZE CBkWindow::MeasureContent(int availWidth, int availHeight) {
    const BkStyle& style = GetStyle();
    BkContentQuery q;
    q.pos = &m_pos;
    q.layout = &m_layout;
    q.availWidth = availWidth;
    q.availHeight = availHeight;
    q.xMargin = style.xMargin;
    q.yMargin = style.yMargin;
    q.textBox = {m_rc.right - m_rc.left, m_rc.bottom - m_rc.top};
    const BkSize size = BkQueryContentSize(q, [&](BkSize box) -> BkSize {
        if (m_text.empty()) return {};
        if (style.gdiplus && m_container) {
            // GDI+ measures in the container window's box, bounded by the layout parameters.
            RECT client{};
            GetClientRect(m_container, &client);
            box = {client.right - client.left, client.bottom - client.top};
            if (m_layout.width >= 0) box.cx = m_layout.width;
            if (m_layout.width == kBkLayoutFill) box.cx = availWidth;
            if (m_layout.height >= 0) box.cy = m_layout.height;
            if (m_layout.height == kBkLayoutFill) box.cy = availHeight;
            box.cx = std::max(m_layout.minWidth, std::min(box.cx, m_layout.maxWidth));
            box.cy = std::max(m_layout.minHeight, std::min(box.cy, m_layout.maxHeight));
        }
        const SIZE text = MeasureText(box.cx, box.cy);
        return {text.cx, text.cy};
    });
    return {size.cx, size.cy};
}

HFONT CBkWindow::MeasureFont() {
    BkFontPool& pool = BkFontPool::Instance();
    const BkStyle& style = GetStyle();
    HFONT font = nullptr;
    if (m_hasFontCode) {
        font = pool.GetFont(m_fontCode, m_dpiAware);
    } else if (style.font != 0) {
        font = pool.GetFont(style.font, m_dpiAware);
    } else {
        for (CBkWindow* w = this; w && !font; w = BkElementRegistry::Find(w->m_parent)) {
            if (w == this) {
                font = m_font;
                continue;
            }
            if (w->m_hasFontCode) {
                font = pool.GetFont(w->m_fontCode, m_dpiAware);
            } else if (w->GetStyle().font != 0) {
                font = pool.GetFont(w->GetStyle().font, m_dpiAware);
            } else {
                font = w->m_font;
            }
        }
    }
    if (m_state & kBkStateHover) {
        for (CBkWindow* w = this; w; w = BkElementRegistry::Find(w->m_parent)) {
            if (w->GetStyle().hoverFont != 0) {
                font = pool.GetFont(w->GetStyle().hoverFont, m_dpiAware);
                break;
            }
        }
    }
    return font ? font : pool.GetFont(0, m_dpiAware);
}

SIZE CBkWindow::MeasureText(int boxWidth, int boxHeight) {
    if (m_text.empty()) return {0, 0};
    const BkStyle& style = GetStyle();
    HFONT font = MeasureFont();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return {0, 0};
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE out{0, 0};
    const UINT mode = style.textMode & ~0xFu;
    if (style.gdiplus && BkStartGdiplus()) {
        Gdiplus::Graphics g(dc);
        auto gfont = GdipFontFor(dc, font);
        Gdiplus::StringFormat format;
        ApplyFormat(format, BkGdipFormatFor(mode, style.textModeEx));
        Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(boxWidth), static_cast<Gdiplus::REAL>(boxHeight));
        if (mode & DT_WORDBREAK) layout.Height = 32767;
        Gdiplus::RectF bound;
        g.MeasureString(m_text.c_str(), static_cast<INT>(m_text.size()), gfont.get(), layout, &format, &bound);
        out = {static_cast<LONG>(std::ceil(bound.Width)), static_cast<LONG>(std::ceil(bound.Height))};
    } else {
        RECT rc{0, 0, boxWidth, boxHeight};
        if (mode & DT_WORDBREAK) rc.bottom = 32767;
        DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &rc, mode | DT_CALCRECT);
        out = {rc.right - rc.left, rc.bottom - rc.top};
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return out;
}

// ---- painting ----

CBkWindow::TextDcScope::TextDcScope(CBkWindow& element, HDC dc) : m_dc(dc) {
    const BkStyle& style = element.GetStyle();
    m_textRect = element.m_rc;
    InflateRect(&m_textRect, -style.xMargin, -style.yMargin);
    if (!style.skin.empty()) {
        m_oldBkMode = SetBkMode(dc, TRANSPARENT);
        m_bkModeSet = true;
    }
    const uint32_t bg = element.m_crBg != kBkColorNone ? element.m_crBg : style.crBg;
    if (bg != kBkColorNone) {
        m_oldBk = SetBkColor(dc, bg);
        m_bkSet = true;
    }
    const BkTextLook look = BkChooseTextLook(BkDrawStateOf(element.m_state, element.IsDisabled()),
                                             element.m_hasFontCode, element.m_fontCode, element.m_crText, style);
    HFONT font = BkFontPool::Instance().GetFont(look.fontCode, element.m_dpiAware);
    if (font) {
        m_oldFont = SelectObject(dc, font);
        m_fontSet = true;
        element.m_font = font;
    }
    if (look.color != kBkColorNone) {
        m_oldText = SetTextColor(dc, look.color);
        m_textSet = true;
    }
}

CBkWindow::TextDcScope::~TextDcScope() {
    if (m_fontSet) SelectObject(m_dc, m_oldFont);
    if (m_textSet) SetTextColor(m_dc, m_oldText);
    if (m_bkSet) SetBkColor(m_dc, m_oldBk);
    if (m_bkModeSet) SetBkMode(m_dc, m_oldBkMode);
}

void CBkWindow::Redraw(HDC dc, HRGN region) {
    if (region && !RectInRegion(region, &m_rc)) return;
    DrawBackground(dc);
    const bool paint = !m_drawHook || m_drawHook->OnElementDraw(this, dc, m_rc, true);
    if (paint) SendElementMessage(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    if (m_drawHook) m_drawHook->OnElementDraw(this, dc, m_rc, false);
}

void CBkWindow::DrawBackground(HDC dc) {
    const BkStyle& style = GetStyle();
    if (m_border) Rectangle(dc, m_rc.left, m_rc.top, m_rc.right, m_rc.bottom);
    CBkSkinBase* skin = style.skin.empty() ? nullptr : BkSkinRegistry::Instance().Find(style.skin);
    const BkDrawState state = BkDrawStateOf(m_state, IsDisabled());
    if (skin) {
        const int frame = m_correctDrawBg ? BkStateIndex(state) : static_cast<int>(m_state);
        skin->DrawDpiAlpha(dc, m_rc.left, m_rc.top, m_rc.right, m_rc.bottom, frame, m_dpiAware, 255);
        return;
    }
    const uint32_t color = BkChooseBackground(state, m_crBg, style);
    if (color == kBkColorNone) return;
    if (style.bgGdiplus && BkStartGdiplus()) {
        Gdiplus::Graphics g(dc);
        Gdiplus::SolidBrush brush(
            Gdiplus::Color(static_cast<BYTE>(style.alphaBg), GetRValue(color), GetGValue(color), GetBValue(color)));
        g.FillRectangle(&brush, static_cast<INT>(m_rc.left), static_cast<INT>(m_rc.top),
                        static_cast<INT>(m_rc.right - m_rc.left), static_cast<INT>(m_rc.bottom - m_rc.top));
        return;
    }
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &m_rc, brush);
    DeleteObject(brush);
}

void CBkWindow::PaintText(HDC dc) {
    if (m_text.empty()) return;
    TextDcScope scope(*this, dc);
    const BkStyle& style = GetStyle();
    if (m_textMode == 0 || m_forceUpdateStyle) m_textMode = style.textMode;
    if (m_border) {
        // An outline only: the background is already painted.
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, m_rc.left, m_rc.top, m_rc.right, m_rc.bottom);
        SelectObject(dc, oldBrush);
    }
    DrawTextIn(dc, scope.TextRect());
}

void CBkWindow::DrawTextIn(HDC dc, const RECT& textRect) {
    const BkStyle& style = GetStyle();
    RECT rc = textRect;
    BkFontPool& pool = BkFontPool::Instance();
    if (pool.IsYaHei() && style.yhResizeDisable != 1) {
        const int defaultHeight = m_dpiAware ? ScaleForDpi(pool.DefaultHeight()) : pool.DefaultHeight();
        HFONT selected = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        rc = ToRect(
            BkYaHeiTextRect(ToBkRect(rc), m_textMode, defaultHeight, FontHeight(selected), m_autoFixTextRect != 0));
    }

    if (style.gdiplus && BkStartGdiplus()) {
        Gdiplus::Graphics g(dc);
        g.SetTextRenderingHint(static_cast<Gdiplus::TextRenderingHint>(style.textRenderingHint));
        auto font = GdipFontFor(dc, static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)));
        const COLORREF color = ::GetTextColor(dc);
        const BYTE alpha = static_cast<BYTE>(BkGdipTextAlpha(m_alphaText, style.alphaText));
        Gdiplus::SolidBrush brush(Gdiplus::Color(alpha, GetRValue(color), GetGValue(color), GetBValue(color)));
        Gdiplus::StringFormat format;
        ApplyFormat(format, BkGdipFormatFor(m_textMode, style.textModeEx));
        const Gdiplus::RectF box(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                                 static_cast<Gdiplus::REAL>(rc.right - rc.left),
                                 static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
        g.DrawString(m_text.c_str(), static_cast<INT>(m_text.size()), font.get(), box, &format, &brush);
        return;
    }
    if (style.shadow && DrawShadowTextByName(dc, m_text, rc, m_textMode, ::GetTextColor(dc), style.crShadow)) return;
    DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &rc, m_textMode);
}

// ---- messages ----

LRESULT CBkWindow::SendElementMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    m_handled = false;
    LRESULT result = 0;
    ProcessMessage(m_container, message, wParam, lParam, result);
    return result;
}

void CBkWindow::ProcessMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CREATE:
            result = 1;
            break;
        case WM_DESTROY:
            result = 0;
            break;
        case WM_PAINT:
            PaintText(reinterpret_cast<HDC>(wParam));
            break;
        case WM_SHOWWINDOW:
            SetVisible(wParam != 0);
            break;
        case WM_WINDOWPOSCHANGED: {
            const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!wp) return;
            BkPlacement place{wp->x, wp->y, wp->cx, wp->cy, wp->flags};
            const BkRect rc = BkSizeChild(place, m_posFlags, m_fixedWidth, m_fixedHeight, [&]() -> BkSize {
                OffsetRect(&m_rc, place.x - m_rc.left, place.y - m_rc.top);
                BkContentSizeMsg msg;
                msg.availWidth = place.width;
                msg.availHeight = place.height;
                msg.fromPlacement = true;
                const bool handled = m_handled;
                LRESULT ignored = 0;
                ProcessMessage(m_container, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&msg), ignored);
                m_handled = handled;
                return {msg.size.cx, msg.size.cy};
            });
            m_rc = ToRect(rc);
            break;
        }
        case WM_NCCALCSIZE: {
            auto* msg = reinterpret_cast<BkContentSizeMsg*>(lParam);
            if (!msg) return;
            if (msg->fromPlacement) {
                m_rc.right = m_rc.left + msg->availWidth;
                m_rc.bottom = m_rc.top + msg->availHeight;
            }
            msg->size = MeasureContent(msg->availWidth, msg->availHeight);
            break;
        }
        case WM_MOUSEMOVE: {
            if (m_notifyMask & kBkNotifyMaskMouseMove) NotifyMouseEvent(kBkElementEventMouseOver);
            if (m_listener)
                m_listener->OnElementMouseEvent(WM_MOUSEMOVE, this, m_rc, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (m_listener)
                m_listener->OnElementMouseEvent(message, this, m_rc, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        case WM_MOUSELEAVE:
            if (m_notifyMask & kBkNotifyMaskMouseLeave) NotifyMouseEvent(kBkElementEventMouseLeave);
            if (m_listener) m_listener->OnElementMouseEvent(WM_MOUSELEAVE, this, m_rc, {0, 0});
            break;
        default:
            return;
    }
    m_handled = true;
}

// ---- notifications ----

void CBkWindow::NotifyMouseEvent(int event) {
    if (!m_container) return;
    BkElementNotify record{};
    record.hdr.hwndFrom = m_container;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_container));
    record.hdr.code = kBkNotifyElementMouse;
    record.id = m_id;
    record.name = "wnd";
    record.event = event;
    SendMessageW(m_container, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

void CBkWindow::Invalidate() { InvalidateRect(m_rc); }

void CBkWindow::InvalidateRect(const RECT& rc) {
    if (!m_container || IsHidden()) return;
    BkInvalidateNotify record{};
    record.hdr.hwndFrom = m_container;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_container));
    record.hdr.code = kBkNotifyInvalidate;
    record.sender = m_handle;
    record.rect = rc;
    SendMessageW(m_container, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}
