// Containers: elements that own child elements (in document order), place them, hit-test and paint them.
// `dlg` is the plain container; the sections of a host window are `dlg`s too. UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "uikit/element/CBkWindow.h"

class IBkControlCreator;

class CBkContainerWnd : public CBkWindow {
public:
    bool IsContainer() const override { return true; }
};

class CBkPanel : public CBkContainerWnd {};

class CBkDialog : public CBkPanel {
public:
    static constexpr const char* kTag = "dlg";
    const char* TagName() const override { return kTag; }

    CBkDialog() = default;
    ~CBkDialog() override;  // destroys the children

    // The element's own loading, then LoadChildren with the first child element.
    bool LoadFromElement(const TiXmlElement* element) override;
    // `onlydrawchild`, then the common attributes.
    int ApplyAttribute(const char* name, const char* value, bool loading) override;

    void SetContainer(HWND window) override;  // passes the window to every child
    void OnContainerMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BkElementHandle HitTest(int x, int y, int flag = 0) override;
    void Redraw(HDC dc, HRGN region) override;
    void ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The first direct child with this id, else the same search in each child container, in order; null.
    virtual CBkWindow* FindChild(UINT id);
    virtual void RepositionChildren();
    virtual void RepositionChild(CBkWindow* child);
    // A child reports a change ("show" when its visibility changed).
    virtual void OnChildChanged(CBkWindow* /*child*/, const char* /*what*/) {}
    // Drops the present children (WM_DESTROY to itself), then creates, loads and appends one child per XML
    // element from `first` on. Tags nobody creates are skipped with their subtree.
    virtual void LoadChildren(const TiXmlElement* first);
    virtual void ShowNativeChildren(bool show);

    // The creation stages for one tag: `dlg` (inheriting the factory), the built-in types (a built-in container
    // inherits the factory too), then the factory. Null when nobody knows the tag.
    virtual std::unique_ptr<CBkWindow> CreateChildByTag(const char* tag);

    // The element factory asked for tags the built-in types do not know; inherited by child containers. Not owned.
    void SetControlCreator(IBkControlCreator* creator) { m_creator = creator; }
    IBkControlCreator* GetControlCreator() const { return m_creator; }

    // Takes ownership of an element made elsewhere and appends it (parent handle, container window, DPI flag
    // set as loading would).
    CBkWindow* AppendChild(std::unique_ptr<CBkWindow> child);
    const std::vector<std::unique_ptr<CBkWindow>>& Children() const { return m_children; }
    bool OnlyDrawChild() const { return m_onlyDrawChild != 0; }

protected:
    // Sends WM_DESTROY to each child, deletes them and empties the list.
    void DestroyChildren();

    std::vector<std::unique_ptr<CBkWindow>> m_children;
    int m_onlyDrawChild = 0;
    IBkControlCreator* m_creator = nullptr;
};
