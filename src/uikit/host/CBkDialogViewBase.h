// The dialog host: the native window that owns a layout document. It creates the window from the document's
// root attributes, holds the three sections (header, body, footer), paints them double-buffered, turns mouse and
// keyboard messages into element state changes and notifications to its own window, shows tooltips, lets the
// window be dragged and resized by its background and border, and runs modally.
//
// Coordinates: elements keep rectangles in the host's client coordinates; the whole window is client area (no
// non-client part). Notifications (BkHostNotify, wParam -1) are sent to the host window itself, so a derived
// window class handles them in its WM_NOTIFY handler (ProcessWindowMessage) and passes the rest to this class.
// Everything here runs on the window's UI thread; only the paint lock (BkWinManager) is process-wide.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "uikit/doc/BkLayoutDoc.h"
#include "uikit/element/BkElementHandle.h"
#include "uikit/host/BkMessageLoop.h"
#include "uikit/host/BkWindowBase.h"
#include "uikit/host/CBkViewImpl.h"
#include "uikit/host/CWHRoundRectFrameHelper.h"
#include "uikit/host/WndShadowHelper.h"

class CBkDialog;
class CBkWindow;
class IBkControlCreator;

// Told after every arrangement of the sections. `content` is the area the sections were arranged in (client
// coordinates).
class IBkRelayoutListener {
public:
    virtual ~IBkRelayoutListener() = default;
    virtual void OnRelayout(HWND host, const RECT& content) = 0;
};

class CBkDialogViewBase : public CBkWindowImplBase, public IBkLayoutHost, public CBkViewImpl {
public:
    // The window styles used when no document gave any (a missing or broken document).
    CBkDialogViewBase(DWORD defaultStyle, DWORD defaultExStyle);
    ~CBkDialogViewBase() override;

    // Where the document comes from: a layout resource id, or UTF-8 text (built-in documents).
    void SetLayoutId(int id);
    void SetLayoutText(const std::string& utf8);

    // Loads the document and creates the window (owned by `owner`, or its child for a `child` document). `rc` in
    // screen coordinates (the parent's client coordinates for a child), null: at 0,0 with the document's size. A
    // document that cannot be loaded still gives a window, with the default styles and no elements. Null when the
    // window cannot be created.
    HWND Create(HWND owner, const RECT* rc = nullptr);
    // Loads a new document into the window (or ahead of Create) and arranges the sections. False when the
    // document is missing or broken (the sections are then empty).
    bool Load(int id);
    bool LoadText(const std::string& utf8);

    // Runs the window modally and answers the modal result (0 when the window cannot be created). Owner: the
    // current modal window, else the active window, unless `owner` is given.
    INT_PTR RunModal(HWND owner = nullptr);
    // Ends the modal run with `result`; outside a modal run it only records the result.
    void EndModal(INT_PTR result);
    bool IsModalRunning() const { return m_modalRunning; }
    INT_PTR GetModalResult() const { return m_modalResult; }

    // Sections (null when the document has none). Not owned by the caller.
    CBkDialog* Header() { return m_hasHeader ? m_header.get() : nullptr; }
    CBkDialog* Body() { return m_hasBody ? m_body.get() : nullptr; }
    CBkDialog* Footer() { return m_hasFooter ? m_footer.get() : nullptr; }
    bool IsLoaded() const { return m_loaded; }
    const BkLayerInfo& Layer() const { return m_layer; }
    // Hit test through header, body, footer (client coordinates); null outside every section.
    CBkWindow* HitTestElement(POINT pt);

    // Elements being hovered, pressed, right-pressed (null when none or gone).
    CBkWindow* HoverElement() const;
    CBkWindow* PressedElement() const;
    UINT LastHitTestCode() const { return m_lastHitCode; }
    HWND ToolTipWindow() const { return m_toolTip; }

    // Relayout listeners: not owned, called after every arrangement.
    void AddRelayoutListener(IBkRelayoutListener* listener);
    void RemoveRelayoutListener(IBkRelayoutListener* listener);
    // Arranges the sections in the content area now (also done on WM_SIZE and after each load).
    void ArrangeSections();

    // Options a window class sets before Create.
    void SetControlCreator(IBkControlCreator* creator) { m_creator = creator; }  // not owned; for the sections
    void EnableRoundRectFrame(int cornerWidth, int cornerHeight);
    // A drop shadow in a band around the window (a layered companion window, see WndShadowHelper.h); shown from
    // window creation on when the skin exists.
    void EnableShadow(const std::string& skinName = WndShadowHelper::kDefaultSkin,
                      int band = WndShadowHelper::kDefaultBand);
    HWND ShadowWindow() const { return m_shadow ? m_shadow->ShadowWindow() : nullptr; }
    // A layered window (`layered` document) is copied with per-pixel alpha and this constant alpha: what GDI
    // draws has alpha 0 there, so such windows are built from skins.
    void SetLayeredAlpha(BYTE alpha) { m_alpha = alpha; }
    BYTE LayeredAlpha() const { return m_alpha; }
    void SetSuppressFullDrag(bool suppress) { m_suppressFullDrag = suppress; }
    void SetBringToFront(bool bring) { m_bringToFront = bring; }
    // Composition effects: blur behind the window where the system wants it (see CreateBlurRegion).
    void SetUseComposition(bool use) { m_useComposition = use; }
    bool IsBlurActive() const { return m_blurActive; }

    // Renders the window as WM_PAINT does (frame skin, sections, border) into `dc` for the whole client area.
    void RenderTo(HDC dc, HRGN clip = nullptr);

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // IBkLayoutHost
    HWND LayoutWindow() override { return m_hWnd; }
    void ResetLayout(const BkLayerInfo& defaults) override;
    void ApplyLayer(const BkLayerInfo& layer) override;
    void LoadSection(BkSection section, const TiXmlElement& element, bool dpiAware) override;
    void SetSectionPos(BkSection section, const std::string& pos) override;
    void OnLayoutLoaded(bool headerFills) override;

protected:
    // The window class (and with it the class name) of this host.
    virtual CBkWndClassInfo& WndClassInfo() = 0;
    // A fresh, empty section container.
    virtual std::unique_ptr<CBkDialog> CreateSection();
    // The blur region for the composition hook; the caller owns the region. Null: the whole window.
    virtual HRGN CreateBlurRegion() { return nullptr; }
    // The area the sections are arranged in: the client rectangle.
    RECT ContentRect() const;

    // Sends a host notification (wParam -1) to this window.
    LRESULT SendHostNotify(UINT code, UINT id, const char* tag = nullptr);

    // Message handlers.
    bool OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnMouseLeave();
    void OnLButtonDown(WPARAM wParam, LPARAM lParam);
    void OnLButtonUp(WPARAM wParam, LPARAM lParam);
    void OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    void OnRButtonDown(WPARAM wParam, LPARAM lParam);
    void OnRButtonUp(WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnPaint();
    void OnSize(UINT type);
    void OnCreateWindow();
    void OnDestroyWindow();
    void OnGetMinMaxInfo(MINMAXINFO* info);
    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    void OnWindowPosChanging(WINDOWPOS* pos);
    void UpdateComposition();

    // Clickable tags (pressing, and the smaller list for double clicks).
    static bool IsClickableTag(const CBkWindow* element);
    static bool IsDoubleClickableTag(const CBkWindow* element);

    CBkViewImpl* View() { return this; }
    CBkWindow* ViewFindChild(UINT id) override;
    void ViewInvalidateRect(const RECT& rc) override;

private:
    void ForgetTracking();
    void SetHover(CBkWindow* element);
    void SetToolTipText(const std::wstring& text);
    void RecreateToolTip();
    void UpdateToolTipRect();
    CBkDialog* SectionObject(BkSection section);
    // Repaints a rectangle (null: all); a layered window is redrawn whole from a posted message.
    void InvalidateHost(const RECT* rc);
    bool IsLayered() const;
    static UINT LayeredPaintMessage();
    bool IsChildWindow() const;

    DWORD m_defaultStyle;
    DWORD m_defaultExStyle;
    int m_layoutId = 0;
    std::string m_layoutText;
    bool m_fromText = false;

    std::unique_ptr<CBkDialog> m_header;
    std::unique_ptr<CBkDialog> m_body;
    std::unique_ptr<CBkDialog> m_footer;
    bool m_hasHeader = false;
    bool m_hasBody = false;
    bool m_hasFooter = false;
    bool m_headerFills = false;
    bool m_loaded = false;
    BkLayerInfo m_layer;
    DWORD m_style = 0;  // 0: the default style
    DWORD m_exStyle = 0;
    IBkControlCreator* m_creator = nullptr;  // not owned

    BkElementHandle m_hover = 0;
    BkElementHandle m_pressed = 0;
    BkElementHandle m_rightPressed = 0;
    bool m_tracking = false;
    bool m_captured = false;
    UINT m_lastHitCode = HTCLIENT;
    HWND m_toolTip = nullptr;                               // owned
    HRGN m_paintClip = nullptr;                             // the clip of the paint in progress, not owned
    std::vector<IBkRelayoutListener*> m_relayoutListeners;  // not owned

    bool m_modalRunning = false;
    INT_PTR m_modalResult = 0;
    CBkMessageLoop* m_modalLoop = nullptr;  // the loop of the modal run in progress, on the stack of RunModal
    BYTE m_alpha = 255;
    bool m_layeredPaintPending = false;
    bool m_suppressFullDrag = false;
    BOOL m_savedFullDrag = TRUE;
    bool m_fullDragChanged = false;
    bool m_bringToFront = false;
    bool m_useComposition = false;
    bool m_blurActive = false;

    std::unique_ptr<CWHRoundRectFrameHelper> m_roundFrame;
    std::unique_ptr<WndShadowHelper> m_shadow;
};
