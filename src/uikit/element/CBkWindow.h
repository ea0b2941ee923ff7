// The element base: a windowless object with a rectangle in its host window's client coordinates, drawn by the
// host into the host's device context and fed mouse messages by the host. Every element lives on the UI thread of
// its host window; only its handle may travel to other threads (see BkElementHandle.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "uikit/doc/BkLayoutParam.h"
#include "uikit/doc/BkPos.h"
#include "uikit/element/BkElementHandle.h"
#include "uikit/element/CBkObject.h"

struct BkStyle;
class CBkDialog;
class CBkWindow;

// State bits; element types add their own above these (0x4 is the checked mark).
enum BkElementState : uint32_t {
    kBkStateHover = 0x1,
    kBkStatePushDown = 0x2,
    kBkStateChecked = 0x4,
    kBkStateHidden = 0x8,
    kBkStateDisabled = 0x10,
};

// `notify` mask bits.
constexpr uint32_t kBkNotifyMaskMouseMove = 0x1;
constexpr uint32_t kBkNotifyMaskMouseLeave = 0x2;

// Alignments stored from `valign` and `align`.
constexpr uint32_t kBkVAlignMiddle = 0x1000;
constexpr uint32_t kBkVAlignBottom = 0x2000;
constexpr uint32_t kBkAlignCenter = 0x4000;
constexpr uint32_t kBkAlignRight = 0x8000;

// WM_NCCALCSIZE of an element is the content-size query: lParam points to this record. `fromPlacement` says the
// query comes from a placement (the rectangle is first stretched to the available extent).
struct BkContentSizeMsg {
    int availWidth = 0;
    int availHeight = 0;
    bool fromPlacement = false;
    SIZE size{};  // the answer
};

// Called around an element's own painting. `rc` is the element rectangle (client coordinates). Answering false
// from the `before` call skips the element's content (its background is already drawn).
class IBkDrawHook {
public:
    virtual ~IBkDrawHook() = default;
    virtual bool OnElementDraw(CBkWindow* element, HDC dc, const RECT& rc, bool before) = 0;
};

// Told of mouse messages an element handles: WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP and WM_MOUSELEAVE
// (0x2A3). `rc` is the element rectangle, `pt` the point of the message (client coordinates; 0,0 for a leave).
class IBkElementEventListener {
public:
    virtual ~IBkElementEventListener() = default;
    virtual void OnElementMouseEvent(UINT message, CBkWindow* element, const RECT& rc, POINT pt) = 0;
};

// The secondary interface every element implements.
class IBkWindow {
public:
    virtual ~IBkWindow() = default;
    // Asks the parent container to place this element again; nothing without a parent.
    virtual void RequestReposition() = 0;
    // value × the DPI rate when this element is DPI-aware and scaling is on, else value.
    virtual int ScaleForDpi(int value) = 0;
    virtual int UnscaleForDpi(int value) = 0;
};

class CBkWindow : public CBkObject, public IBkWindow {
public:
    static constexpr const char* kTag = "window";

    CBkWindow();
    ~CBkWindow() override;  // unregisters the handle
    CBkWindow(const CBkWindow&) = delete;
    CBkWindow& operator=(const CBkWindow&) = delete;

    const char* TagName() const override { return kTag; }

    // Text (expanded), attributes, then the `show`, `width`, `height` and `float` rules.
    bool LoadFromElement(const TiXmlElement* element) override;
    // This type's own attributes, then the common ones. Run-time changes of `pos` or a "layout_" value re-place
    // the element at once.
    int ApplyAttribute(const char* name, const char* value, bool loading) override;

    virtual const std::wstring& GetTip() const { return m_tip; }
    virtual bool HeadAcceptsButtonDown() const { return m_headAcceptsButtonDown != 0; }
    // WM_MOVE, WM_SHOWWINDOW and WM_WINDOWPOSCHANGED of the host window; containers pass them on.
    virtual void OnContainerMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void ApplyCursor();
    // state = (state | add) & ~remove; answers the previous state.
    virtual uint32_t ModifyState(uint32_t add, uint32_t remove);
    virtual void SetContainer(HWND window) { m_container = window; }
    // The handle of the element under the point (client coordinates), or 0.
    virtual BkElementHandle HitTest(int x, int y, int flag = 0);
    virtual bool NeedsRedrawOnStateChange();
    virtual bool IsContainer() const { return false; }
    // Paints when the rectangle meets `region` (null: always).
    virtual void Redraw(HDC dc, HRGN region);
    virtual void DrawBackground(HDC dc);
    // The element's message handler. Sets the handled flag and `result` when it handles the message.
    // WM_PAINT carries the HDC in wParam; WM_WINDOWPOSCHANGED a WINDOWPOS* (x, y = anchor, cx, cy = available
    // extent, flags = placement flags) in lParam; WM_NCCALCSIZE a BkContentSizeMsg* in lParam; mouse messages the
    // client point in lParam.
    virtual void ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Clears the handled flag, runs ProcessMessage with a result of 0 and answers the result.
    LRESULT SendElementMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool MessageHandled() const { return m_handled; }
    void SetMessageHandled(bool handled) { m_handled = handled; }

    // IBkWindow
    void RequestReposition() override;
    int ScaleForDpi(int value) override;
    int UnscaleForDpi(int value) override;

    // Places the element at `place` (anchor, available extent, flags) by the sizing rules; the same as sending it
    // WM_WINDOWPOSCHANGED with the placement in a WINDOWPOS.
    void Place(const BkPlacement& place);
    // The content-size query for an available extent (WM_NCCALCSIZE).
    SIZE QueryContentSize(int availWidth, int availHeight);

    // Asks the container window to repaint this element's rectangle (invalidation request); nothing when the
    // element is hidden or there is no container window.
    void Invalidate();
    void InvalidateRect(const RECT& rc);

    BkElementHandle GetHandle() const { return m_handle; }
    BkElementHandle GetParentHandle() const { return m_parent; }
    void SetParentHandle(BkElementHandle parent) { m_parent = parent; }
    CBkDialog* GetParentContainer() const;  // resolved through the registry; null when gone
    HWND GetContainer() const { return m_container; }
    UINT GetId() const { return m_id; }
    const RECT& GetRect() const { return m_rc; }
    void SetRect(const RECT& rc) { m_rc = rc; }
    uint32_t GetState() const { return m_state; }
    uint32_t GetPosFlags() const { return m_posFlags; }
    const BkPosition& GetPosition() const { return m_pos; }
    const std::wstring& GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text) { m_text = text; }
    const std::wstring& GetLink() const { return m_link; }
    const std::string& GetStyleClass() const { return m_class; }
    const BkStyle& GetStyle() const;  // the registered style of `class`, else the default one
    bool IsTransparent() const { return m_transparent != 0; }
    bool IsFloating() const { return (m_posFlags & kBkPosFloating) != 0; }
    bool IsDpiAware() const { return m_dpiAware; }
    void SetDpiAware(bool aware) { m_dpiAware = aware; }
    uint32_t GetNotifyMask() const { return m_notifyMask; }
    int GetUserData() const { return m_userData; }
    const BkLayoutParam& GetLayoutParam() const { return m_layout; }
    uint32_t GetCrBg() const { return m_crBg; }      // kBkColorNone when unset
    uint32_t GetCrText() const { return m_crText; }  // kBkColorNone when unset
    int GetTextAlpha() const { return m_alphaText; }
    bool HasFontCode() const { return m_hasFontCode; }
    uint16_t GetFontCode() const { return m_fontCode; }
    HFONT GetLastFont() const { return m_font; }  // the font last selected for drawing; not owned
    uint32_t GetAlign() const { return m_align; }
    uint32_t GetVAlign() const { return m_valign; }
    bool HasBorder() const { return m_border != 0; }
    // The skin frame for the state: 3 disabled (with ancestors), else 2 pressed, else 1 hovered, else 0.
    int StateIndex() const;

    // Visibility and enabling: the element's own bit, or the bit on any ancestor.
    bool IsHidden() const;
    bool IsDisabled() const;
    // Sets or clears the hidden bit; when visibility changed the parent is told ("show").
    void SetVisible(bool visible);

    void SetDrawHook(IBkDrawHook* hook) { m_drawHook = hook; }                           // not owned
    void SetEventListener(IBkElementEventListener* listener) { m_listener = listener; }  // not owned
    IBkElementEventListener* GetEventListener() const { return m_listener; }

    // Sends a code-6 element mouse notification to the container window.
    void NotifyMouseEvent(int event);

protected:
    // Text drawing of a plain element (WM_PAINT).
    virtual void PaintText(HDC dc);
    // The content-size query of a plain element; element types refine it. The rectangle is already stretched
    // when the query comes from a placement.
    virtual SIZE MeasureContent(int availWidth, int availHeight);
    // The text measured in a box (already shrunk by the margins and bounded by the layout parameters).
    SIZE MeasureText(int boxWidth, int boxHeight);
    // The font the content-size query measures with (own, style, last drawn, ancestors; hover font; code 0).
    HFONT MeasureFont();
    // Draws `m_text` in `rc` with the prepared device context (GDI+, shadow or DrawTextW as the style says).
    void DrawTextIn(HDC dc, const RECT& rc);

    // Device-context preparation for text: font, colours and background mode as the style and state say.
    // `restore` undoes everything on destruction.
    class TextDcScope {
    public:
        TextDcScope(CBkWindow& element, HDC dc);
        ~TextDcScope();
        TextDcScope(const TextDcScope&) = delete;
        TextDcScope& operator=(const TextDcScope&) = delete;
        const RECT& TextRect() const { return m_textRect; }

    private:
        HDC m_dc;
        RECT m_textRect{};
        HGDIOBJ m_oldFont = nullptr;
        COLORREF m_oldText = CLR_INVALID;
        COLORREF m_oldBk = CLR_INVALID;
        int m_oldBkMode = 0;
        bool m_fontSet = false;
        bool m_textSet = false;
        bool m_bkSet = false;
        bool m_bkModeSet = false;
    };
    friend class TextDcScope;

    BkElementHandle m_handle = 0;
    BkElementHandle m_parent = 0;
    HWND m_container = nullptr;
    UINT m_id = 0;
    RECT m_rc{};
    uint32_t m_posFlags = 0;
    std::wstring m_text;
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    uint32_t m_state = 0;
    uint32_t m_valign = 0;
    uint32_t m_align = 0;
    std::wstring m_link;
    int m_transparent = 0;
    std::wstring m_tip;
    std::string m_class;
    uint32_t m_crBg = 0xFFFFFFFFu;
    uint32_t m_crText = 0xFFFFFFFFu;
    HFONT m_font = nullptr;  // not owned: the font pool's
    uint16_t m_fontCode = 0;
    bool m_hasFontCode = false;
    uint32_t m_textMode = 0;
    int m_alphaText = -1;
    int m_headAcceptsButtonDown = 0;
    BkPosition m_pos;
    IBkDrawHook* m_drawHook = nullptr;              // not owned
    IBkElementEventListener* m_listener = nullptr;  // not owned
    int m_forceUpdateStyle = 0;
    int m_autoFixTextRect = 1;
    int m_border = 0;
    bool m_dpiAware = false;
    int m_userData = 0;
    int m_correctDrawBg = 1;
    BkLayoutParam m_layout;
    bool m_handled = false;
    uint32_t m_notifyMask = 0;
};
