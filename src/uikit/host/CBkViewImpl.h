// Element access by id for application window classes: find, show or hide, enable or disable, set text, apply
// an attribute, redraw. Elements are found through the host's sections; every change repaints through the
// host's invalidation (the element's old and new rectangles). UI thread only.
#pragma once

#include <windows.h>

#include <string>

class CBkWindow;

class CBkViewImpl {
public:
    virtual ~CBkViewImpl() = default;

    // The first element with `id` in the header, then the body, then the footer; null when absent.
    CBkWindow* FindViewChild(UINT id) { return ViewFindChild(id); }
    template <class E>
    E* FindViewChildAs(UINT id) {
        return dynamic_cast<E*>(ViewFindChild(id));
    }

    // Each answers false when there is no element with that id.
    bool SetItemVisible(UINT id, bool visible);
    bool IsItemVisible(UINT id);  // false also when an ancestor is hidden
    bool EnableItem(UINT id, bool enable);
    bool IsItemEnabled(UINT id);  // false also when an ancestor is disabled
    bool SetItemText(UINT id, const std::wstring& text);
    std::wstring GetItemText(UINT id);
    // The element's attribute setter at run time (`pos` and "layout_" values re-place it). False also when the
    // element does not handle the name.
    bool SetItemAttribute(UINT id, const char* name, const char* value);
    bool SetItemIntAttribute(UINT id, const char* name, int value);
    bool RedrawItem(UINT id);

protected:
    virtual CBkWindow* ViewFindChild(UINT id) = 0;
    // Repaints a rectangle of the host (client coordinates).
    virtual void ViewInvalidateRect(const RECT& rc) = 0;
};
