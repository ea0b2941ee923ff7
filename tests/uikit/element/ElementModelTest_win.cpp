// The element model without painting: creation from XML, attributes, lookup, hit testing, states, notifications
// and the handle registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/WinTestSupport_win.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/element/BkControlCreator.h"
#include "uikit/element/BkElementHandle.h"
#include "uikit/element/CBkButton.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/element/CBkImageWnd.h"
#include "uikit/element/CBkStatic.h"
#include "uikit/element/ElementTestSupport_win.h"

using eltest::Describe;
using eltest::LoadDialog;
using eltest::NotifyWindow;
using eltest::SameRect;

namespace {

// A factory that knows the tag "custom" and remembers every tag it was asked for.
class RecordingCreator : public IBkControlCreator {
public:
    class Custom : public CBkWindow {
    public:
        const char* TagName() const override { return "custom"; }
    };
    std::unique_ptr<CBkWindow> CreateControlByTag(const char* tag) override {
        asked.push_back(tag);
        if (std::string(tag) == "custom") return std::make_unique<Custom>();
        return nullptr;
    }
    std::vector<std::string> asked;
};

// A container that records what its children report.
class WatchingDialog : public CBkDialog {
public:
    void OnChildChanged(CBkWindow* child, const char* what) override {
        changes.push_back(std::to_string(child->GetId()) + ":" + what);
    }
    std::vector<std::string> changes;
};

class ElementModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { eltest::ApplyTestDocuments(); }
};

// ---- creation ----

TEST_F(ElementModel, CreatesByTagThroughTheStages) {
    const size_t baseline = BkElementRegistry::Count();
    RecordingCreator creator;
    {
        auto root = LoadDialog(
            "<dlg>"
            "  <text id='1'>hi</text>"
            "  <unknown id='2'><text id='3'/></unknown>"
            "  <dlg id='4'><custom id='5'/><img id='6'/><dlg id='9'><custom id='10'/></dlg></dlg>"
            "  <button id='7'/>"
            "  <link id='8'/>"
            "</dlg>",
            nullptr, {0, 0, 200, 100}, &creator);
        struct Case {
            UINT id;
            const char* tag;
        };
        const Case cases[] = {{1, "text"},   {4, "dlg"},  {5, "custom"}, {6, "img"},
                              {7, "button"}, {8, "link"}, {10, "custom"}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.id);
            CBkWindow* found = root->FindChild(c.id);
            ASSERT_NE(nullptr, found);
            EXPECT_STREQ(c.tag, found->TagName());
            EXPECT_TRUE(found->MatchesTag(c.tag));
        }
        // The unknown tag is skipped with its subtree; the built-in tags never reach the factory.
        EXPECT_EQ(nullptr, root->FindChild(2));
        EXPECT_EQ(nullptr, root->FindChild(3));
        EXPECT_EQ((std::vector<std::string>{"unknown", "custom", "custom"}), creator.asked);
        EXPECT_EQ(4u, root->Children().size());  // text, dlg, button, link

        // Parents, inherited factory, text.
        auto* inner = dynamic_cast<CBkDialog*>(root->FindChild(4));
        ASSERT_NE(nullptr, inner);
        EXPECT_EQ(&creator, inner->GetControlCreator());
        EXPECT_EQ(root->GetHandle(), inner->GetParentHandle());
        EXPECT_EQ(inner->GetHandle(), root->FindChild(5)->GetParentHandle());
        EXPECT_EQ(inner, root->FindChild(5)->GetParentContainer());
        EXPECT_EQ(std::wstring(L"hi"), root->FindChild(1)->GetText());
        EXPECT_FALSE(root->FindChild(1)->MatchesTag("dlg"));
        EXPECT_FALSE(inner->MatchesTag("window"));  // only its own tag

        // Loading again drops the old children first.
        TiXmlDocument doc;
        ASSERT_TRUE(BkParseXml("<dlg><text id='11'/></dlg>", doc));
        root->LoadChildren(doc.RootElement()->FirstChildElement());
        EXPECT_EQ(1u, root->Children().size());
        EXPECT_EQ(nullptr, root->FindChild(1));
        EXPECT_EQ(baseline + 2, BkElementRegistry::Count());
    }
    EXPECT_EQ(baseline, BkElementRegistry::Count());
}

TEST_F(ElementModel, LoadingExpandsTextAndReadsShow) {
    ASSERT_TRUE(BkStringTable::Instance().ApplyDocument("<string><s id='9101'>宋体</s></string>"));
    auto root = LoadDialog(
        "<dlg><text id='1'>a%str9101%b</text><text id='2' show='0'/><text id='3' show=''/><text id='4' show='x'/>"
        "<dlg id='5' show='1'><!-- no text --><text id='6'/></dlg></dlg>");
    EXPECT_EQ(std::wstring(L"a宋体b"), root->FindChild(1)->GetText());
    EXPECT_TRUE(root->FindChild(2)->IsHidden());
    EXPECT_FALSE(root->FindChild(3)->IsHidden());
    EXPECT_TRUE(root->FindChild(4)->IsHidden());  // not a number: 0
    EXPECT_FALSE(root->FindChild(5)->IsHidden());
    EXPECT_TRUE(root->FindChild(5)->GetText().empty());
}

TEST_F(ElementModel, WithoutFactoryUnknownTagsGiveNothing) {
    CBkDialog dlg;
    EXPECT_EQ(nullptr, dlg.CreateChildByTag("custom"));
    EXPECT_EQ(nullptr, dlg.CreateChildByTag("Text"));  // exact tags only
    EXPECT_EQ(nullptr, BkCreateBuiltinElement("dlg"));
    EXPECT_NE(nullptr, dlg.CreateChildByTag("dlg"));
}

// ---- attributes ----

TEST_F(ElementModel, CommonAttributesTable) {
    struct Case {
        const char* name;
        const char* value;
        int result;
    };
    const int kFail = kBkAttrNotHandled;
    const Case cases[] = {
        {"class", "x", 0},
        {"id", "12", 1},
        {"alphatxt", "200", 0},
        {"crbg", "FF0000", 1},
        {"crtext", "00FF00", 1},
        {"font", "0204", 1},
        {"href", "http://a", 1},
        {"tip", "t", 1},
        {"valign", "top", 0},
        {"valign", "middle", 0},
        {"valign", "bottom", 0},
        {"valign", "center", kFail},
        {"align", "left", 0},
        {"align", "center", 0},
        {"align", "right", 0},
        {"align", "middle", kFail},
        {"pos", "1,2,3,4", 1},
        {"transparent", "1", 1},
        {"headacceptlbtndownmsg", "1", 1},
        {"userdata", "5", 1},
        {"notify", "3", 1},
        {"forceupdatestyle", "1", 0},
        {"autofixtextrect", "0", 0},
        {"border", "1", 0},
        {"correctdrawbg", "0", 0},
        {"layout_width", "10", 0},
        {"layout_margin_left", "3", 0},
        {"layout_", "3", kFail},
        {"layout_bogus", "3", kFail},
        {"onlydrawchild", "1", kFail},  // containers only
        {"bogus", "1", kFail},
        {"Class", "x", kFail},  // case-sensitive
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        CBkStatic text;
        EXPECT_EQ(c.result, text.ApplyAttribute(c.name, c.value, true));
    }
    CBkDialog dlg;
    EXPECT_EQ(0, dlg.ApplyAttribute("onlydrawchild", "1", true));
    EXPECT_TRUE(dlg.OnlyDrawChild());
    EXPECT_EQ(1, dlg.ApplyAttribute("id", "3", true));  // falls through to the common ones
}

TEST_F(ElementModel, CommonAttributesAreStored) {
    auto root = LoadDialog(
        "<dlg><text id='12abc' class='el_margins' crbg='FF0000' crtext='0000FF' font='0204' alphatxt='128'"
        " href='http://例' tip='提示' valign='bottom' align='center' transparent='1' userdata='9' notify='2'"
        " headacceptlbtndownmsg='1' layout_min_width='7'/></dlg>");
    CBkWindow* w = root->FindChild(12);
    ASSERT_NE(nullptr, w);
    EXPECT_EQ("el_margins", w->GetStyleClass());
    EXPECT_EQ(5, w->GetStyle().xMargin);
    EXPECT_EQ(RGB(255, 0, 0), w->GetCrBg());
    EXPECT_EQ(RGB(0, 0, 255), w->GetCrText());
    EXPECT_TRUE(w->HasFontCode());
    EXPECT_EQ(0x0204, w->GetFontCode());
    EXPECT_EQ(128, w->GetTextAlpha());
    EXPECT_EQ(std::wstring(L"http://例"), w->GetLink());
    EXPECT_EQ(std::wstring(L"提示"), w->GetTip());
    EXPECT_EQ(kBkVAlignBottom, w->GetVAlign());
    EXPECT_EQ(kBkAlignCenter, w->GetAlign());
    EXPECT_TRUE(w->IsTransparent());
    EXPECT_EQ(9, w->GetUserData());
    EXPECT_EQ(2u, w->GetNotifyMask());
    EXPECT_TRUE(w->HeadAcceptsButtonDown());
    EXPECT_EQ(7, w->GetLayoutParam().minWidth);

    // A rejected value keeps the stored one.
    EXPECT_EQ(kBkAttrNotHandled, w->ApplyAttribute("valign", "center", false));
    EXPECT_EQ(kBkVAlignBottom, w->GetVAlign());
}

TEST_F(ElementModel, RunTimePositionReplacesAtOnce) {
    auto root = LoadDialog("<dlg><text id='1' pos='10,10,50,30'/><text id='2' pos='5,40'>abc</text></dlg>", nullptr,
                           {100, 100, 300, 200});
    CBkWindow* w = root->FindChild(1);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(SameRect({110, 110, 150, 130}, w->GetRect())) << Describe(w->GetRect());

    EXPECT_EQ(1, w->ApplyAttribute("pos", "-60,20,-0,-10", false));
    EXPECT_TRUE(SameRect({240, 120, 300, 190}, w->GetRect())) << Describe(w->GetRect());

    // While loading, only the items change; the placement waits for the container.
    EXPECT_EQ(1, w->ApplyAttribute("pos", "0,0,10,10", true));
    EXPECT_TRUE(SameRect({240, 120, 300, 190}, w->GetRect())) << Describe(w->GetRect());

    // A run-time layout size on a content-sized element re-places it too.
    CBkWindow* sized = root->FindChild(2);
    ASSERT_NE(nullptr, sized);
    EXPECT_GT(sized->GetRect().right - sized->GetRect().left, 0);
    EXPECT_EQ(0, sized->ApplyAttribute("layout_width", "77", false));
    EXPECT_EQ(77, sized->GetRect().right - sized->GetRect().left);
    EXPECT_EQ(105, sized->GetRect().left);
}

// ---- lookup ----

TEST_F(ElementModel, FindChildSearchesDirectChildrenFirstThenContainersInOrder) {
    auto root = LoadDialog(
        "<dlg>"
        "  <dlg id='1'><dlg id='2'><dlg id='3'><img id='1003'/><text id='50'/></dlg></dlg></dlg>"
        "  <dlg id='4'><text id='60'/></dlg>"
        "  <text id='50'/>"
        "</dlg>");
    CBkWindow* deep = root->FindChild(1003);
    ASSERT_NE(nullptr, deep);
    EXPECT_STREQ("img", deep->TagName());
    EXPECT_EQ(root->FindChild(3)->GetHandle(), deep->GetParentHandle());
    // The direct child with id 50 wins over the deeper one that comes earlier in the document.
    EXPECT_EQ(root->GetHandle(), root->FindChild(50)->GetParentHandle());
    EXPECT_EQ(root->FindChild(4)->GetHandle(), root->FindChild(60)->GetParentHandle());
    EXPECT_EQ(nullptr, root->FindChild(999));
}

// ---- hit testing ----

TEST_F(ElementModel, HitTesting) {
    struct Case {
        const char* what;
        const char* children;
        POINT pt;
        UINT expectedId;  // 0: the root itself; -1: nothing
    };
    const UINT kNothing = static_cast<UINT>(-1);
    const Case cases[] = {
        {"earlier non-floating sibling wins",
         "<text id='1' pos='0,0,100,100'/><text id='2' width='60' height='60'/>",
         {10, 10},
         1},
        {"floating sibling first",
         "<text id='1' pos='0,0,100,100'/><text id='2' width='60' height='60' float='1'/>",
         {10, 10},
         2},
        {"outside the floating one",
         "<text id='1' pos='0,0,100,100'/><text id='2' width='60' height='60' float='1'/>",
         {80, 80},
         1},
        {"transparent image over a button",
         "<img id='2' pos='0,0,100,100' transparent='1'/><button id='1' pos='0,0,100,100'/>",
         {10, 10},
         1},
        {"opaque image over a button",
         "<img id='2' pos='0,0,100,100'/><button id='1' pos='0,0,100,100'/>",
         {10, 10},
         2},
        {"hidden child skipped",
         "<text id='1' pos='0,0,100,100' show='0'/><text id='2' pos='0,0,50,50'/>",
         {10, 10},
         2},
        {"nothing under the point", "<text id='1' pos='0,0,10,10'/>", {150, 50}, 0},
        {"outside the root", "<text id='1' pos='0,0,10,10'/>", {250, 50}, kNothing},
        {"onlydrawchild container reports itself",
         "<dlg id='3' pos='0,0,100,100' onlydrawchild='1'><text id='1' pos='0,0,50,50'/></dlg>",
         {10, 10},
         3},
        {"ordinary container reports its child",
         "<dlg id='3' pos='0,0,100,100'><text id='1' pos='0,0,50,50'/></dlg>",
         {10, 10},
         1},
        {"ordinary container without child there",
         "<dlg id='3' pos='0,0,100,100'><text id='1' pos='0,0,50,50'/></dlg>",
         {70, 70},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto root = LoadDialog(std::string("<dlg>") + c.children + "</dlg>");
        const BkElementHandle hit = root->HitTest(c.pt.x, c.pt.y);
        if (c.expectedId == kNothing) {
            EXPECT_EQ(0u, hit);
        } else if (c.expectedId == 0) {
            EXPECT_EQ(root->GetHandle(), hit);
        } else {
            ASSERT_NE(nullptr, root->FindChild(c.expectedId));
            EXPECT_EQ(root->FindChild(c.expectedId)->GetHandle(), hit);
        }
    }
}

// ---- states ----

TEST_F(ElementModel, HiddenAndDisabledAreInherited) {
    auto root = LoadDialog("<dlg><dlg id='1'><dlg id='2'><text id='3'/></dlg></dlg><text id='4'/></dlg>");
    CBkWindow* middle = root->FindChild(1);
    CBkWindow* leaf = root->FindChild(3);
    CBkWindow* sibling = root->FindChild(4);
    EXPECT_EQ(0u, middle->ModifyState(kBkStateDisabled | kBkStateHidden, 0));
    EXPECT_TRUE(leaf->IsDisabled());
    EXPECT_TRUE(leaf->IsHidden());
    EXPECT_EQ(0u, leaf->GetState());
    EXPECT_EQ(3, leaf->StateIndex());
    EXPECT_FALSE(sibling->IsDisabled());
    EXPECT_FALSE(sibling->IsHidden());
    EXPECT_EQ(kBkStateDisabled | kBkStateHidden, middle->ModifyState(kBkStateHover, kBkStateDisabled));
    EXPECT_FALSE(leaf->IsDisabled());
    EXPECT_TRUE(leaf->IsHidden());
    EXPECT_EQ(kBkStateHover | kBkStateHidden, middle->GetState());
}

TEST_F(ElementModel, VisibilityChangesAreReportedToTheParent) {
    WatchingDialog parent;
    CBkWindow* child = parent.AppendChild(std::make_unique<CBkStatic>());
    child->ApplyAttribute("id", "8", true);
    child->SetVisible(true);  // no change
    child->SendElementMessage(WM_SHOWWINDOW, FALSE);
    EXPECT_TRUE(child->MessageHandled());
    child->SetVisible(false);  // no change
    child->SetVisible(true);
    EXPECT_EQ((std::vector<std::string>{"8:show", "8:show"}), parent.changes);
    EXPECT_FALSE(child->IsHidden());
}

TEST_F(ElementModel, NeedsRedrawOnStateChange) {
    struct Case {
        const char* tag;
        const char* cls;
        bool expected;
    };
    const Case cases[] = {
        {"text", "el_two_frames", true},
        {"text", "el_one_frame", false},
        {"text", "el_one_frame_crhover", true},
        {"text", "el_crbghover", true},
        {"text", "el_crpush", true},
        {"text", "el_hoverfont", true},
        {"text", "el_pushfont", true},
        {"text", "el_crbgpush", true},
        {"text", "no_such_class", false},
        {"img", "el_one_frame", false},
        {"link", "el_two_frames", true},
        {"button", "el_one_frame", true},  // buttons always repaint
        {"button", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + c.cls);
        auto element = BkCreateBuiltinElement(c.tag);
        ASSERT_NE(nullptr, element);
        element->ApplyAttribute("class", c.cls, true);
        EXPECT_EQ(c.expected, element->NeedsRedrawOnStateChange());
    }
}

// ---- notifications ----

class ElementNotify : public ElementModel {
protected:
    NotifyWindow window;
};

TEST_F(ElementNotify, MouseNotificationsFollowTheMask) {
    struct Case {
        const char* notify;
        UINT message;
        int expectedEvent;  // 0: nothing sent
    };
    const Case cases[] = {
        {"1", WM_MOUSEMOVE, kBkElementEventMouseOver},
        {"2", WM_MOUSELEAVE, kBkElementEventMouseLeave},
        {"3", WM_MOUSEMOVE, kBkElementEventMouseOver},
        {"3", WM_MOUSELEAVE, kBkElementEventMouseLeave},
        {"2", WM_MOUSEMOVE, 0},
        {"1", WM_MOUSELEAVE, 0},
        {"0", WM_MOUSEMOVE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("notify ") + c.notify + " message " + std::to_string(c.message));
        window.Records().clear();
        auto root = LoadDialog(std::string("<dlg><text id='55' pos='0,0,50,50' notify='") + c.notify + "'/></dlg>",
                               window.Hwnd());
        CBkWindow* w = root->FindChild(55);
        w->SendElementMessage(c.message, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(w->MessageHandled());
        if (!c.expectedEvent) {
            EXPECT_TRUE(window.Records().empty());
            continue;
        }
        ASSERT_EQ(1u, window.Records().size());
        const eltest::NotifyRecord& r = window.Records()[0];
        EXPECT_EQ(static_cast<WPARAM>(NotifyWindow::kControlId), r.wParam);
        EXPECT_EQ(window.Hwnd(), r.from);
        EXPECT_EQ(static_cast<UINT_PTR>(NotifyWindow::kControlId), r.idFrom);
        EXPECT_EQ(kBkNotifyElementMouse, r.code);
        EXPECT_EQ(55u, r.id);
        EXPECT_EQ("wnd", r.name);
        EXPECT_EQ(c.expectedEvent, r.event);
    }
}

TEST_F(ElementNotify, ContainerPassesMouseMovesToChildrenUnderThePoint) {
    auto root = LoadDialog(
        "<dlg><text id='1' pos='0,0,50,50' notify='1'/><text id='2' pos='60,0,100,50' notify='1'/>"
        "<text id='3' pos='0,0,50,50' notify='1' show='0'/></dlg>",
        window.Hwnd());
    root->SendElementMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_EQ(1u, window.Records().size());
    EXPECT_EQ(1u, window.Records()[0].id);
}

TEST_F(ElementNotify, EventListenerIsToldOfMouseMessages) {
    struct Listener : IBkElementEventListener {
        void OnElementMouseEvent(UINT message, CBkWindow*, const RECT& rc, POINT pt) override {
            calls.push_back({message, pt.x, pt.y, rc.right});
        }
        struct Call {
            UINT message;
            LONG x, y, right;
            bool operator==(const Call& o) const {
                return message == o.message && x == o.x && y == o.y && right == o.right;
            }
        };
        std::vector<Call> calls;
    } listener;
    auto root = LoadDialog("<dlg><text id='5' pos='0,0,40,40'/></dlg>", window.Hwnd());
    CBkWindow* w = root->FindChild(5);
    w->SetEventListener(&listener);
    w->SendElementMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    w->SendElementMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
    w->SendElementMessage(WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    w->SendElementMessage(WM_MOUSELEAVE);
    w->SendElementMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(1, 1));
    EXPECT_FALSE(w->MessageHandled());  // not an element message
    const std::vector<Listener::Call> expected = {
        {0x200, 3, 4, 40}, {WM_LBUTTONDOWN, 5, 6, 40}, {WM_LBUTTONUP, 7, 8, 40}, {0x2A3, 0, 0, 40}};
    EXPECT_EQ(expected, listener.calls);
    EXPECT_TRUE(window.Records().empty());  // no notify mask
}

TEST_F(ElementNotify, InvalidationRequest) {
    auto root =
        LoadDialog("<dlg><text id='5' pos='10,20,40,60'/><text id='6' pos='0,0,5,5' show='0'/></dlg>", window.Hwnd());
    CBkWindow* w = root->FindChild(5);
    w->Invalidate();
    ASSERT_EQ(1u, window.Records().size());
    const eltest::NotifyRecord& r = window.Records()[0];
    EXPECT_EQ(kBkNotifyInvalidate, r.code);
    EXPECT_EQ(static_cast<WPARAM>(NotifyWindow::kControlId), r.wParam);
    EXPECT_EQ(static_cast<UINT_PTR>(NotifyWindow::kControlId), r.idFrom);
    EXPECT_EQ(window.Hwnd(), r.from);
    EXPECT_EQ(w->GetHandle(), r.sender);
    EXPECT_TRUE(SameRect({10, 20, 40, 60}, r.rect)) << Describe(r.rect);

    // Hidden elements, elements under a hidden container and elements without a window ask for nothing.
    root->FindChild(6)->Invalidate();
    root->ModifyState(kBkStateHidden, 0);
    w->Invalidate();
    CBkStatic loose;
    loose.Invalidate();
    EXPECT_EQ(1u, window.Records().size());
}

// ---- the registry ----

TEST_F(ElementModel, RegistryHandlesAreUniqueAndDieWithTheirElements) {
    const size_t baseline = BkElementRegistry::Count();
    BkElementHandle first = 0;
    BkElementHandle last = 0;
    {
        auto a = std::make_unique<CBkStatic>();
        auto b = std::make_unique<CBkDialog>();
        first = a->GetHandle();
        last = b->GetHandle();
        EXPECT_NE(0u, first);
        EXPECT_GT(last, first);
        EXPECT_EQ(a.get(), BkElementRegistry::Find(first));
        EXPECT_EQ(b.get(), BkElementRegistry::Find(last));
        EXPECT_EQ(baseline + 2, BkElementRegistry::Count());
        a.reset();
        EXPECT_EQ(nullptr, BkElementRegistry::Find(first));
    }
    EXPECT_EQ(nullptr, BkElementRegistry::Find(last));
    EXPECT_EQ(nullptr, BkElementRegistry::Find(0));
    CBkStatic next;
    EXPECT_GT(next.GetHandle(), last);  // never reused

    // A child whose parent is gone finds no parent and asks nobody to re-place it.
    {
        auto root = LoadDialog("<dlg><text id='1' pos='0,0,10,10'/></dlg>");
        const BkElementHandle parent = root->GetHandle();
        auto orphan = std::make_unique<CBkStatic>();
        orphan->SetParentHandle(parent);
        root.reset();
        EXPECT_EQ(nullptr, orphan->GetParentContainer());
        EXPECT_EQ(1, orphan->ApplyAttribute("pos", "1,1,5,5", false));
        EXPECT_FALSE(orphan->IsHidden());
    }
    EXPECT_EQ(baseline + 1, BkElementRegistry::Count());
}

// ---- content size ----

TEST_F(ElementModel, ContentSizes) {
    auto root = LoadDialog(
        "<dlg>"
        "<img id='1' pos='10,10' skin='el_strip'/>"
        "<img id='2' pos='10,10' skin='el_strip' use_pos_size='1'/>"
        "<img id='3' pos='0,0,50,50' skin='el_strip'/>"
        "<text id='4' width='33' height='full'>x</text>"
        "<text id='5' pos='0,0' class='el_margins'></text>"
        "<text id='6' pos='0,0'>wide text here</text>"
        "<text id='7' pos='0,0' layout_width='-2' layout_height='12'>x</text>"
        "</dlg>");
    struct Case {
        UINT id;
        int width, height;  // -1: only "more than 0" is known
    };
    const Case cases[] = {{1, 20, 10}, {2, 0, 0}, {3, 20, 10}, {4, 33, 100}, {5, 10, 6}, {6, -1, -1}, {7, 200, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const RECT& rc = root->FindChild(c.id)->GetRect();
        if (c.width < 0) {
            EXPECT_GT(rc.right - rc.left, 20);
            EXPECT_GT(rc.bottom - rc.top, 5);
        } else {
            EXPECT_EQ(c.width, rc.right - rc.left) << Describe(rc);
            EXPECT_EQ(c.height, rc.bottom - rc.top) << Describe(rc);
        }
    }
}

// ---- cursor, DPI, native children ----

TEST_F(ElementModel, ApplyCursorUsesTheStylesCursor) {
    struct Case {
        const char* cls;
        LPCWSTR cursor;
    };
    const Case cases[] = {{"el_hand", IDC_HAND}, {"", IDC_ARROW}, {"no_such_class", IDC_ARROW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        CBkStatic text;
        text.ApplyAttribute("class", c.cls, true);
        text.ApplyCursor();
        EXPECT_EQ(LoadCursorW(nullptr, c.cursor), GetCursor());
    }
}

TEST_F(ElementModel, DpiAwarenessIsInheritedAndScalesPositionsAndSkinSizes) {
    wintest::TempFolder folder(L"uikit_element_dpi");
    CreateDirectoryW((folder.Path() + L"\\data").c_str(), nullptr);
    std::ofstream((folder.Path() + L"\\data\\dpiconfig.ini").c_str())
        << "[basesetting]\r\ndebug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit_element\r\n";
    BkDpiSettings dpi({folder.Path(), L"test_uikit_element"});
    ASSERT_TRUE(dpi.ScalingEnabled());
    BkDpiOverride use(dpi);

    for (bool aware : {true, false}) {
        SCOPED_TRACE(aware);
        TiXmlDocument doc;
        ASSERT_TRUE(
            BkParseXml("<dlg><dlg id='1'><text id='2' pos='20,30,320,64' layout_margin_left='10'/>"
                       "<img id='3' pos='0,0' skin='el_strip'/></dlg></dlg>",
                       doc));
        CBkDialog root;
        root.SetDpiAware(aware);
        root.LoadFromElement(doc.RootElement());
        root.Place({0, 0, 1000, 500, kBkPlaceExact});
        CBkWindow* text = root.FindChild(2);
        EXPECT_EQ(aware, root.FindChild(1)->IsDpiAware());
        EXPECT_EQ(aware, text->IsDpiAware());
        const int f = aware ? 3 : 2;  // the rate is 1.5
        EXPECT_TRUE(SameRect({20 * f / 2, 30 * f / 2, 320 * f / 2, 64 * f / 2}, text->GetRect()))
            << Describe(text->GetRect());
        EXPECT_EQ(10 * f / 2, text->GetLayoutParam().marginLeft);
        EXPECT_EQ(40 * f / 2, text->ScaleForDpi(40));
        EXPECT_EQ(40, text->UnscaleForDpi(40 * f / 2));
        const RECT& img = root.FindChild(3)->GetRect();
        EXPECT_EQ(20 * f / 2, img.right - img.left);
        EXPECT_EQ(10 * f / 2, img.bottom - img.top);
    }
}

// An element that stands for a native-window wrapper: it answers to "realwnd" and records what the host forwards.
class FakeRealWnd : public CBkWindow {
public:
    const char* TagName() const override { return "realwnd"; }
    void OnContainerMessage(UINT message, WPARAM, LPARAM) override { forwarded.push_back(message); }
    std::vector<UINT> forwarded;
};

class RealWndCreator : public IBkControlCreator {
public:
    std::unique_ptr<CBkWindow> CreateControlByTag(const char* tag) override {
        if (std::string(tag) == "realwnd") return std::make_unique<FakeRealWnd>();
        return nullptr;
    }
};

TEST_F(ElementNotify, ContainersShowAndHideNativeChildrenAndForwardHostMessages) {
    HWND native = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window.Hwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(31)), nullptr, nullptr);
    HWND hiddenNative = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window.Hwnd(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(32)), nullptr, nullptr);
    ASSERT_NE(nullptr, native);
    RealWndCreator creator;
    auto root = LoadDialog(
        "<dlg><dlg id='1'><realwnd id='31' pos='0,0,10,10'/></dlg>"
        "<realwnd id='32' pos='0,0,10,10' show='0'/></dlg>",
        window.Hwnd(), {0, 0, 200, 100}, &creator);
    ASSERT_NE(nullptr, root->FindChild(31));
    const auto visible = [](HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0; };

    root->SendElementMessage(WM_SHOWWINDOW, FALSE);
    EXPECT_TRUE(root->IsHidden());
    EXPECT_FALSE(visible(native));
    EXPECT_FALSE(visible(hiddenNative));
    root->SendElementMessage(WM_SHOWWINDOW, TRUE);
    EXPECT_TRUE(visible(native));
    EXPECT_FALSE(visible(hiddenNative));  // its element stays hidden

    root->OnContainerMessage(WM_MOVE, 0, 0);
    root->OnContainerMessage(WM_SHOWWINDOW, 1, 0);
    EXPECT_EQ((std::vector<UINT>{WM_MOVE, WM_SHOWWINDOW}), static_cast<FakeRealWnd*>(root->FindChild(31))->forwarded);
}

}  // namespace
