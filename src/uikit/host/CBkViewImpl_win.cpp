#include <string>

#include "uikit/doc/BkAttrRead.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/element/CBkWindow.h"
#include "uikit/host/CBkViewImpl.h"

bool CBkViewImpl::SetItemVisible(UINT id, bool visible) {
    CBkWindow* element = ViewFindChild(id);
    if (!element) return false;
    const RECT before = element->GetRect();
    element->SetVisible(visible);
    // Native windows inside a container follow it.
    if (element->IsContainer()) static_cast<CBkDialog*>(element)->ShowNativeChildren(visible);
    ViewInvalidateRect(before);
    ViewInvalidateRect(element->GetRect());
    return true;
}

bool CBkViewImpl::IsItemVisible(UINT id) {
    CBkWindow* element = ViewFindChild(id);
    return element && !element->IsHidden();
}

bool CBkViewImpl::EnableItem(UINT id, bool enable) {
    CBkWindow* element = ViewFindChild(id);
    if (!element) return false;
    if (enable) {
        element->ModifyState(0, kBkStateDisabled);
    } else {
        element->ModifyState(kBkStateDisabled, 0);
    }
    ViewInvalidateRect(element->GetRect());
    return true;
}

bool CBkViewImpl::IsItemEnabled(UINT id) {
    CBkWindow* element = ViewFindChild(id);
    return element && !element->IsDisabled();
}

bool CBkViewImpl::SetItemText(UINT id, const std::wstring& text) {
    CBkWindow* element = ViewFindChild(id);
    if (!element) return false;
    element->SetText(text);
    ViewInvalidateRect(element->GetRect());
    return true;
}

std::wstring CBkViewImpl::GetItemText(UINT id) {
    CBkWindow* element = ViewFindChild(id);
    return element ? element->GetText() : std::wstring();
}

bool CBkViewImpl::SetItemAttribute(UINT id, const char* name, const char* value) {
    CBkWindow* element = ViewFindChild(id);
    if (!element || !name) return false;
    const RECT before = element->GetRect();
    const int handled = element->ApplyAttribute(name, value ? value : "", false);
    ViewInvalidateRect(before);
    ViewInvalidateRect(element->GetRect());
    return handled != kBkAttrNotHandled && handled >= 0;
}

bool CBkViewImpl::SetItemIntAttribute(UINT id, const char* name, int value) {
    return SetItemAttribute(id, name, std::to_string(value).c_str());
}

bool CBkViewImpl::RedrawItem(UINT id) {
    CBkWindow* element = ViewFindChild(id);
    if (!element) return false;
    ViewInvalidateRect(element->GetRect());
    return true;
}
