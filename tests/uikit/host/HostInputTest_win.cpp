// The host turning mouse and keyboard messages into element states and notifications, driven by real messages
// sent to its window.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "uikit/element/BkControlCreator.h"
#include "uikit/host/HostTestSupport_win.h"

using hosttest::RecordingHost;

namespace {

// Header: a button, a link with a harmless target (a file that does not exist) and plain text; body: a
// background with a second button. `root` adds attributes to the root.
std::string InputLayout(const std::string& root) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<layer width=\"300\" height=\"200\" noborder=\"1\" " +
           root +
           ">"
           "<header height=\"50\" crbg=\"FFFFFF\">"
           "<button id=\"11\" pos=\"10,10,110,40\" tip=\"press me\">OK</button>"
           "<link id=\"12\" pos=\"120,10,200,40\" href=\"velmora-host-test-no-such-file.xyz\">link</link>"
           "<text id=\"13\" pos=\"210,10,290,40\">plain</text>"
           "</header>"
           "<body crbg=\"EEEEEE\"><button id=\"14\" pos=\"10,10,110,40\">Two</button></body>"
           "</layer>";
}

class HostInput : public ::testing::Test {
protected:
    void SetUp() override { hosttest::ParkCursor(); }
    void Open(const std::string& root) {
        host = std::make_unique<RecordingHost>();
        host->SetLayoutText(InputLayout(root));
        const RECT rc{0, 0, 300, 200};
        ASSERT_NE(host->Create(nullptr, &rc), nullptr);
    }
    uint32_t State(UINT id) { return host->FindViewChild(id)->GetState(); }

    std::unique_ptr<RecordingHost> host;
};

TEST_F(HostInput, ClickReportsButtonDownThenClickWithIdAndTag) {
    Open("resize=\"1\"");
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    host->Mouse(WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), host->GetHwnd());
    EXPECT_EQ(State(11) & (kBkStateHover | kBkStatePushDown), kBkStateHover | kBkStatePushDown);
    host->Mouse(WM_LBUTTONUP, 52, 22);

    ASSERT_EQ(host->Of(kBkNotifyButtonDown).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyButtonDown)[0].id, 11u);
    ASSERT_EQ(host->Of(kBkNotifyClick).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyClick)[0].id, 11u);
    EXPECT_EQ(host->Of(kBkNotifyClick)[0].tag, "button");
    EXPECT_EQ(State(11) & kBkStatePushDown, 0u);
    EXPECT_EQ(host->PressedElement(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(host->moves.empty());
}

TEST_F(HostInput, PressMoveOffReleaseSendsNoClickAndClearsLooks) {
    Open("resize=\"1\"");
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    host->Mouse(WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);
    // While pressed, moves go to the pressed element only: the hover stays on it.
    host->Mouse(WM_MOUSEMOVE, 150, 120, MK_LBUTTON);
    EXPECT_EQ(host->HoverElement(), host->FindViewChild(11));
    host->Mouse(WM_LBUTTONUP, 150, 120);

    EXPECT_TRUE(host->Of(kBkNotifyClick).empty());
    EXPECT_EQ(State(11) & (kBkStateHover | kBkStatePushDown), 0u);
    EXPECT_EQ(host->PressedElement(), nullptr);
    EXPECT_EQ(host->HoverElement(), nullptr);
}

TEST_F(HostInput, LinkWithHrefOpensTheTargetInsteadOfNotifying) {
    Open("");
    host->Mouse(WM_LBUTTONDOWN, 150, 20, MK_LBUTTON);
    host->Mouse(WM_LBUTTONUP, 150, 20);
    ASSERT_EQ(host->Of(kBkNotifyButtonDown).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyButtonDown)[0].id, 12u);
    EXPECT_TRUE(host->Of(kBkNotifyClick).empty());
}

TEST_F(HostInput, PressOnBackgroundDragsTheWindowUnlessNomove) {
    struct Case {
        const char* root;
        int x, y;
        size_t moves;
    } cases[] = {
        {"", 200, 150, 1},              // body background
        {"", 250, 25, 1},               // plain text is not clickable
        {"nomove=\"1\"", 200, 150, 0},  // dragging switched off
        {"", 50, 20, 0},                // a button takes the press
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        Open(c.root);
        RECT before{}, after{};
        GetWindowRect(host->GetHwnd(), &before);
        host->Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        host->Mouse(WM_LBUTTONUP, c.x, c.y);
        GetWindowRect(host->GetHwnd(), &after);
        ASSERT_EQ(host->moves.size(), c.moves);
        if (c.moves) {
            EXPECT_EQ(host->moves[0], 0xF012u);
        }
        EXPECT_TRUE(EqualRect(&before, &after));
    }
}

TEST_F(HostInput, DoubleClickOnBackgroundTogglesMaximiseOnlyWhenResizable) {
    Open("resize=\"1\"");
    host->Mouse(WM_LBUTTONDBLCLK, 200, 150, MK_LBUTTON);
    EXPECT_TRUE(IsZoomed(host->GetHwnd()));
    host->Mouse(WM_LBUTTONDBLCLK, 200, 150, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(host->GetHwnd()));
    // A double click on a button is the button's.
    host->Mouse(WM_LBUTTONDBLCLK, 50, 20, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(host->GetHwnd()));
    ASSERT_EQ(host->Of(kBkNotifyDoubleClick).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyDoubleClick)[0].id, 11u);
    EXPECT_EQ(host->Of(kBkNotifyDoubleClick)[0].tag, "button");

    Open("");
    host->Mouse(WM_LBUTTONDBLCLK, 200, 150, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(host->GetHwnd()));
}

TEST_F(HostInput, RightClickReportedOnlyWhenReleasedOverTheSameElement) {
    Open("");
    host->Mouse(WM_RBUTTONDOWN, 50, 20);
    host->Mouse(WM_RBUTTONUP, 60, 25);
    host->Mouse(WM_RBUTTONDOWN, 50, 20);
    host->Mouse(WM_RBUTTONUP, 250, 25);
    ASSERT_EQ(host->Of(kBkNotifyRightClick).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyRightClick)[0].id, 11u);
}

TEST_F(HostInput, MovesReportTheElementAndMoveTheHover) {
    Open("");
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    EXPECT_EQ(State(11) & kBkStateHover, kBkStateHover);
    host->Mouse(WM_MOUSEMOVE, 50, 70);  // the body's button
    EXPECT_EQ(State(11) & kBkStateHover, 0u);
    EXPECT_EQ(State(14) & kBkStateHover, kBkStateHover);
    const auto over = host->Of(kBkNotifyMouseOver);
    ASSERT_EQ(over.size(), 2u);
    EXPECT_EQ(over[0].id, 11u);
    EXPECT_EQ(over[1].id, 14u);

    SendMessageW(host->GetHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(State(14) & kBkStateHover, 0u);
    EXPECT_EQ(host->HoverElement(), nullptr);
    ASSERT_EQ(host->Of(kBkNotifyMouseLeaveWindow).size(), 1u);
    EXPECT_EQ(host->Of(kBkNotifyMouseLeaveWindow)[0].id, 14u);
}

TEST_F(HostInput, TooltipHasOneToolOverTheWindowAndFollowsTheHover) {
    Open("");
    HWND tip = host->ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 5000);
    const auto text = [&] {
        wchar_t buffer[64] = {};
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = host->GetHwnd();
        ti.uId = 1;
        ti.lpszText = buffer;
        SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
        return std::wstring(buffer);
    };
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    EXPECT_EQ(text(), L"press me");
    host->Mouse(WM_MOUSEMOVE, 250, 25);
    EXPECT_EQ(text(), L"");
    // A new window replaces the tooltip.
    host->DestroyWindow();
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(HostInput, ChildWindowPressesItsBackgroundInsteadOfDragging) {
    Open("resize=\"1\"");
    RecordingHost child;
    child.SetLayoutText(
        "<layer width=\"100\" height=\"60\" child=\"1\" resize=\"1\"><body id=\"30\" crbg=\"FFFFFF\"/></layer>");
    const RECT rc{150, 100, 250, 160};
    ASSERT_NE(child.Create(host->GetHwnd(), &rc), nullptr);
    EXPECT_TRUE(GetWindowLongW(child.GetHwnd(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(child.HitCodeAt(0, 0), static_cast<UINT>(HTCLIENT));  // no border codes for a child
    child.Mouse(WM_LBUTTONDOWN, 50, 30, MK_LBUTTON);
    EXPECT_TRUE(child.moves.empty());
    ASSERT_EQ(child.Of(kBkNotifyButtonDown).size(), 1u);
    EXPECT_EQ(child.Of(kBkNotifyButtonDown)[0].id, 30u);
    child.Mouse(WM_LBUTTONUP, 50, 30);
    ASSERT_EQ(child.Of(kBkNotifyClick).size(), 1u);
    EXPECT_EQ(child.Of(kBkNotifyClick)[0].tag, "dlg");
    // The child's messages do not reach the parent host.
    EXPECT_TRUE(host->notes.empty());
}

TEST_F(HostInput, DisabledButtonTakesNoPress) {
    Open("");
    ASSERT_TRUE(host->EnableItem(11, false));
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    EXPECT_EQ(State(11) & kBkStateHover, 0u);
    host->Mouse(WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);
    host->Mouse(WM_LBUTTONUP, 50, 20);
    EXPECT_TRUE(host->Of(kBkNotifyButtonDown).empty());
    EXPECT_TRUE(host->Of(kBkNotifyClick).empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(HostInput, HitTestGivesBorderCodesOnlyToResizableWindowsAndAnswersClient) {
    struct Case {
        int x, y;
        UINT code;
    } cases[] = {
        {0, 0, HTTOPLEFT},  {299, 0, HTTOPRIGHT}, {0, 199, HTBOTTOMLEFT}, {299, 199, HTBOTTOMRIGHT}, {3, 3, HTTOPLEFT},
        {150, 0, HTTOP},    {150, 196, HTBOTTOM}, {0, 100, HTLEFT},       {296, 100, HTRIGHT},       {4, 100, HTCLIENT},
        {150, 4, HTCLIENT}, {150, 195, HTCLIENT}, {295, 100, HTCLIENT},   {150, 100, HTCLIENT},
    };
    Open("resize=\"1\"");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        LRESULT answer = 0;
        EXPECT_EQ(host->HitCodeAt(c.x, c.y, &answer), c.code);
        EXPECT_EQ(answer, HTCLIENT);
    }
    Open("");
    for (const Case& c : cases) EXPECT_EQ(host->HitCodeAt(c.x, c.y), static_cast<UINT>(HTCLIENT));
}

TEST_F(HostInput, BorderHitSuppressesHoverAndSetsTheSizingCursor) {
    Open("resize=\"1\"");
    host->Mouse(WM_MOUSEMOVE, 50, 20);
    ASSERT_NE(host->HoverElement(), nullptr);
    host->Mouse(WM_MOUSEMOVE, 1, 20);  // the left border band
    EXPECT_EQ(host->HoverElement(), nullptr);
    EXPECT_EQ(SendMessageW(host->GetHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host->GetHwnd()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

TEST_F(HostInput, KeyboardAndFrameMessages) {
    Open("");
    HWND w = host->GetHwnd();
    EXPECT_EQ(SendMessageW(w, WM_GETDLGCODE, 0, 0), 0x85);
    EXPECT_EQ(SendMessageW(w, WM_NCACTIVATE, FALSE, 0), TRUE);
    SendMessageW(w, WM_COMMAND, IDOK, 0);
    SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(w, WM_COMMAND, 1234, 0);
    const auto clicks = host->Of(kBkNotifyClick);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].id, 1u);
    EXPECT_EQ(clicks[1].id, 2u);
}

TEST_F(HostInput, ElementInvalidationAndViewHelpersRepaintThroughTheHost) {
    Open("");
    HWND w = host->GetHwnd();
    // Only a shown window keeps an update region.
    ShowWindow(w, SW_SHOWNOACTIVATE);
    ValidateRect(w, nullptr);
    host->FindViewChild(13)->Invalidate();
    RECT dirty{};
    ASSERT_TRUE(GetUpdateRect(w, &dirty, FALSE));
    EXPECT_EQ(dirty.left, 210);
    EXPECT_EQ(dirty.top, 10);

    ValidateRect(w, nullptr);
    EXPECT_TRUE(host->SetItemText(13, L"changed"));
    EXPECT_EQ(host->GetItemText(13), L"changed");
    EXPECT_TRUE(GetUpdateRect(w, &dirty, FALSE));

    EXPECT_TRUE(host->SetItemVisible(11, false));
    EXPECT_FALSE(host->IsItemVisible(11));
    host->Mouse(WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);  // the hidden button is not hit: the header is
    EXPECT_TRUE(host->Of(kBkNotifyButtonDown).empty());
    EXPECT_TRUE(host->SetItemVisible(11, true));

    EXPECT_TRUE(host->SetItemAttribute(11, "pos", "10,60,110,90"));
    EXPECT_EQ(host->FindViewChild(11)->GetRect().top, 60);
    EXPECT_FALSE(host->SetItemAttribute(11, "no_such_attribute", "1"));
    EXPECT_FALSE(host->SetItemText(999, L"x"));
    EXPECT_EQ(host->FindViewChild(999), nullptr);
}

// An element that keeps the messages the host forwards to it.
class RecordingElement : public CBkWindow {
public:
    static constexpr const char* kTag = "recorder";
    const char* TagName() const override { return kTag; }
    void ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        received.push_back(message);
        CBkWindow::ProcessMessage(window, message, wParam, lParam, result);
    }
    std::vector<UINT> received;
};

class RecorderCreator : public IBkControlCreator {
public:
    std::unique_ptr<CBkWindow> CreateControlByTag(const char* tag) override {
        if (std::string(tag) != RecordingElement::kTag) return nullptr;
        return std::make_unique<RecordingElement>();
    }
};

TEST_F(HostInput, BorderPressStartsTheSystemResizeWithItsCode) {
    Open("resize=\"1\"");
    std::vector<WPARAM> resizes;
    host->onMessage = [&](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_NCLBUTTONDOWN) return false;
        resizes.push_back(wParam);  // swallowed: the system's size loop would wait for a real release
        result = 0;
        return true;
    };
    struct Case {
        int x, y;
        WPARAM code;
    } const cases[] = {{1, 100, HTLEFT}, {298, 100, HTRIGHT}, {150, 1, HTTOP}, {299, 199, HTBOTTOMRIGHT}};
    for (const Case& c : cases) {
        resizes.clear();
        host->Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        ASSERT_EQ(resizes.size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(resizes[0], c.code) << c.x << "," << c.y;
    }
    EXPECT_TRUE(host->Of(kBkNotifyButtonDown).empty());
    EXPECT_TRUE(host->moves.empty());
}

TEST_F(HostInput, WheelGoesToTheHoveredElement) {
    RecorderCreator creator;
    host = std::make_unique<RecordingHost>();
    host->SetControlCreator(&creator);
    host->SetLayoutText(
        "<layer width=\"200\" height=\"100\" noborder=\"1\"><body crbg=\"FFFFFF\">"
        "<recorder id=\"5\" pos=\"10,10,90,90\"/></body></layer>");
    const RECT rc{0, 0, 200, 100};
    ASSERT_NE(host->Create(nullptr, &rc), nullptr);
    auto* recorder = dynamic_cast<RecordingElement*>(host->FindViewChild(5));
    ASSERT_NE(recorder, nullptr);

    SendMessageW(host->GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);  // nothing hovered yet
    EXPECT_EQ(std::count(recorder->received.begin(), recorder->received.end(), WM_MOUSEWHEEL), 0);
    host->Mouse(WM_MOUSEMOVE, 50, 50);
    SendMessageW(host->GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(std::count(recorder->received.begin(), recorder->received.end(), WM_MOUSEWHEEL), 1);
}

TEST_F(HostInput, FocusGoesToTheFirstTabItem) {
    Open("");
    HWND w = host->GetHwnd();
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60, 100, 20, w, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    SetFocus(w);
    hosttest::Pump(50);
    EXPECT_EQ(GetFocus(), edit);
}

TEST_F(HostInput, FullWindowDraggingIsOffOnlyDuringAMoveWhenAsked) {
    BOOL original = TRUE;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &original, 0));
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    auto fullDrag = [] {
        BOOL full = FALSE;
        SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
        return full != FALSE;
    };

    Open("");
    host->SetSuppressFullDrag(true);
    SendMessageW(host->GetHwnd(), WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_FALSE(fullDrag());
    SendMessageW(host->GetHwnd(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(fullDrag());

    host->SetSuppressFullDrag(false);
    SendMessageW(host->GetHwnd(), WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_TRUE(fullDrag());
    SendMessageW(host->GetHwnd(), WM_EXITSIZEMOVE, 0, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, original, nullptr, 0);
}

}  // namespace
