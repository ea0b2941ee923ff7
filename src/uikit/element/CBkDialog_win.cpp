#include <tinyxml.h>
#include <windowsx.h>

#include <cstring>

#include "uikit/doc/BkStyle.h"
#include "uikit/element/BkAttrTable.h"
#include "uikit/element/BkControlCreator.h"
#include "uikit/element/CBkDialog.h"

CBkDialog::~CBkDialog() { DestroyChildren(); }

bool CBkDialog::LoadFromElement(const TiXmlElement* element) {
    if (!CBkWindow::LoadFromElement(element)) return false;
    LoadChildren(element->FirstChildElement());
    return true;
}

int CBkDialog::ApplyAttribute(const char* name, const char* value, bool loading) {
    using Self = CBkDialog;
    static const BkAttrSetter<Self> kOwn[] = {
        {"onlydrawchild", [](Self& d, const char* v, bool) { return d.m_onlyDrawChild = BkReadInt(v), 0; }},
    };
    const int result = BkApplyFromTable(kOwn, *this, name, value, loading);
    return result != kBkAttrNotHandled ? result : CBkWindow::ApplyAttribute(name, value, loading);
}

void CBkDialog::SetContainer(HWND window) {
    CBkWindow::SetContainer(window);
    for (auto& child : m_children) child->SetContainer(window);
}

void CBkDialog::OnContainerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    for (auto& child : m_children) child->OnContainerMessage(message, wParam, lParam);
}

BkElementHandle CBkDialog::HitTest(int x, int y, int flag) {
    const POINT pt{x, y};
    if (!PtInRect(&m_rc, pt)) return 0;
    if (m_onlyDrawChild) return m_handle;
    // Floating children lie over the others, so they answer first.
    for (bool floating : {true, false}) {
        for (auto& child : m_children) {
            if (child->IsFloating() != floating) continue;
            if ((child->GetState() & kBkStateHidden) || child->IsTransparent()) continue;
            if (BkElementHandle hit = child->HitTest(x, y, flag)) return hit;
        }
    }
    return m_handle;
}

void CBkDialog::Redraw(HDC dc, HRGN region) {
    if (region && !RectInRegion(region, &m_rc)) return;
    CBkWindow::Redraw(dc, region);
    // Children without their own text settings draw with the container's.
    TextDcScope scope(*this, dc);
    for (auto& child : m_children) {
        if (child->GetState() & kBkStateHidden) continue;
        child->Redraw(dc, region);
    }
}

void CBkDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_WINDOWPOSCHANGED:
            CBkWindow::ProcessMessage(window, message, wParam, lParam, result);
            RepositionChildren();
            break;
        case WM_DESTROY:
            DestroyChildren();
            result = 0;
            break;
        case WM_PAINT:
            break;
        case WM_SHOWWINDOW:
            SetVisible(wParam != 0);
            ShowNativeChildren(wParam != 0);
            break;
        case WM_MOUSEMOVE: {
            const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            for (auto& child : m_children) {
                if (child->IsHidden() || !PtInRect(&child->GetRect(), pt)) continue;
                child->SendElementMessage(message, wParam, lParam);
            }
            break;
        }
        default:
            CBkWindow::ProcessMessage(window, message, wParam, lParam, result);
            return;
    }
    m_handled = true;
}

CBkWindow* CBkDialog::FindChild(UINT id) {
    for (auto& child : m_children) {
        if (child->GetId() == id) return child.get();
    }
    for (auto& child : m_children) {
        if (!child->IsContainer()) continue;
        auto* container = dynamic_cast<CBkDialog*>(child.get());
        if (!container) continue;
        if (CBkWindow* found = container->FindChild(id)) return found;
    }
    return nullptr;
}

void CBkDialog::RepositionChildren() {
    for (auto& child : m_children) RepositionChild(child.get());
}

void CBkDialog::RepositionChild(CBkWindow* child) {
    if (!child) return;
    const BkStyle& style = GetStyle();
    const BkRect inner{m_rc.left, m_rc.top, m_rc.right, m_rc.bottom};
    child->Place(BkPlaceChild(inner, style.xMargin, style.yMargin, child->GetPosition()));
}

void CBkDialog::LoadChildren(const TiXmlElement* first) {
    SendElementMessage(WM_DESTROY);
    for (const TiXmlElement* xml = first; xml; xml = xml->NextSiblingElement()) {
        std::unique_ptr<CBkWindow> child = CreateChildByTag(xml->Value());
        if (!child) continue;
        child->SetParentHandle(m_handle);
        child->SetDpiAware(m_dpiAware);
        child->SetContainer(m_container);
        child->LoadFromElement(xml);
        m_children.push_back(std::move(child));
    }
}

void CBkDialog::ShowNativeChildren(bool show) {
    const bool self = !IsHidden();
    for (auto& child : m_children) {
        const bool visible = self && !(child->GetState() & kBkStateHidden) && show;
        if (child->IsContainer()) {
            if (auto* container = dynamic_cast<CBkDialog*>(child.get())) container->ShowNativeChildren(show);
        }
        const char* tag = child->TagName();
        if (tag && (!std::strcmp(tag, "realwnd") || !std::strcmp(tag, "realwnd2")) && m_container) {
            if (HWND native = GetDlgItem(m_container, static_cast<int>(child->GetId()))) {
                ShowWindow(native, visible ? SW_SHOW : SW_HIDE);
            }
        }
    }
}

std::unique_ptr<CBkWindow> CBkDialog::CreateChildByTag(const char* tag) {
    if (!tag) return nullptr;
    if (!std::strcmp(tag, kTag)) {
        auto dialog = std::make_unique<CBkDialog>();
        dialog->SetControlCreator(m_creator);
        return dialog;
    }
    std::unique_ptr<CBkWindow> element = BkCreateBuiltinElement(tag);
    if (element) {
        // Built-in containers (the button-like dialog) take over the factory too.
        if (auto* container = dynamic_cast<CBkDialog*>(element.get())) container->SetControlCreator(m_creator);
        return element;
    }
    return m_creator ? m_creator->CreateControlByTag(tag) : nullptr;
}

CBkWindow* CBkDialog::AppendChild(std::unique_ptr<CBkWindow> child) {
    if (!child) return nullptr;
    child->SetParentHandle(m_handle);
    child->SetDpiAware(m_dpiAware);
    child->SetContainer(m_container);
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

void CBkDialog::DestroyChildren() {
    for (auto& child : m_children) child->SendElementMessage(WM_DESTROY);
    // Moved out first so a child's destructor never sees a half-emptied list.
    std::vector<std::unique_ptr<CBkWindow>> children;
    children.swap(m_children);
    children.clear();
}
