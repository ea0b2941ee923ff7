// Window sizing of the host (minimum size, hold size, min/max info) and the arrangement of its sections.
#include <memory>
#include <string>

#include "uikit/host/HostTestSupport_win.h"

using hosttest::RecordingHost;

namespace {

std::string SizingLayout(const std::string& root) {
    return "<layer width=\"400\" height=\"300\" noborder=\"1\" " + root +
           ">"
           "<header height=\"40\"/><body/><footer height=\"30\"/>"
           "</layer>";
}

class CountingListener : public IBkRelayoutListener {
public:
    void OnRelayout(HWND, const RECT& content) override {
        ++calls;
        last = content;
    }
    int calls = 0;
    RECT last{};
};

struct Sizing : ::testing::Test {
    void Open(const std::string& root) {
        host = std::make_unique<RecordingHost>();
        host->SetLayoutText(SizingLayout(root));
        ASSERT_NE(host->Create(nullptr), nullptr);
    }
    SIZE WindowSize() {
        RECT rc{};
        GetWindowRect(host->GetHwnd(), &rc);
        return {rc.right - rc.left, rc.bottom - rc.top};
    }
    SIZE ClientSize() {
        RECT rc{};
        GetClientRect(host->GetHwnd(), &rc);
        return {rc.right, rc.bottom};
    }
    void Resize(int w, int h) { SetWindowPos(host->GetHwnd(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER); }
    std::unique_ptr<RecordingHost> host;
};

TEST_F(Sizing, WholeWindowIsClientAndSectionsFollowTheSize) {
    Open("resize=\"1\"");
    CountingListener listener;
    host->AddRelayoutListener(&listener);
    EXPECT_EQ(WindowSize().cx, 400);
    EXPECT_EQ(ClientSize().cx, 400);
    EXPECT_EQ(ClientSize().cy, 300);
    Resize(500, 360);
    EXPECT_EQ(ClientSize().cx, 500);
    EXPECT_EQ(ClientSize().cy, 360);
    const RECT h = host->Header()->GetRect(), b = host->Body()->GetRect(), f = host->Footer()->GetRect();
    EXPECT_EQ(h.bottom, 40);
    EXPECT_EQ(h.right, 500);
    EXPECT_EQ(b.top, 40);
    EXPECT_EQ(b.bottom, 330);
    EXPECT_EQ(f.top, 330);
    EXPECT_EQ(f.bottom, 360);
    EXPECT_GE(listener.calls, 1);
    EXPECT_EQ(listener.last.right, 500);
    host->RemoveRelayoutListener(&listener);
}

TEST_F(Sizing, ShrinkingBelowTheMinimumIsRefused) {
    Open("resize=\"1\" min_width=\"300\" min_height=\"200\"");
    Resize(100, 80);
    EXPECT_EQ(WindowSize().cx, 300);
    EXPECT_EQ(WindowSize().cy, 200);
    EXPECT_EQ(ClientSize().cx, 300);
    EXPECT_EQ(ClientSize().cy, 200);
    Resize(350, 250);
    EXPECT_EQ(WindowSize().cx, 350);
    EXPECT_EQ(ClientSize().cy, 250);
}

TEST_F(Sizing, HoldsizeKeepsTheDocumentSize) {
    Open("holdsize=\"1\"");
    Resize(150, 600);
    EXPECT_EQ(WindowSize().cx, 400);
    EXPECT_EQ(WindowSize().cy, 300);
    EXPECT_EQ(ClientSize().cx, 400);
    EXPECT_EQ(ClientSize().cy, 300);
}

TEST_F(Sizing, MinMaxInfoOfAFixedWindowIsTheDocumentSize) {
    Open("");
    MINMAXINFO info{};
    SendMessageW(host->GetHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, 400);
    EXPECT_EQ(info.ptMaxSize.y, 300);
    EXPECT_EQ(info.ptMaxTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);

    Open("resize=\"1\" min_width=\"250\"");
    info = MINMAXINFO{};
    SendMessageW(host->GetHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(info.ptMaxSize.x, work.right - work.left);
    EXPECT_EQ(info.ptMinTrackSize.x, 250);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);
}

TEST_F(Sizing, DocumentStylesAndMissingDocuments) {
    Open("resize=\"1\"");
    const LONG style = GetWindowLongW(host->GetHwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(host->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // A broken document still gives a window, with the traits' default styles and no elements.
    hosttest::ParkCursor();
    RecordingHost owner;
    owner.SetLayoutText(SizingLayout(""));
    ASSERT_NE(owner.Create(nullptr), nullptr);
    RecordingHost broken;
    broken.SetLayoutText("<layer><header height=\"10\">");
    RECT rc{0, 0, 50, 50};
    ASSERT_NE(broken.Create(owner.GetHwnd(), &rc), nullptr);
    EXPECT_FALSE(broken.IsLoaded());
    EXPECT_EQ(broken.Header(), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(broken.GetHwnd(), GWL_STYLE)) & 0xFFFF0000u, 0x52010000u);

    // Loading a good document into the existing window arranges it at once.
    ASSERT_TRUE(broken.LoadText(SizingLayout("")));
    ASSERT_NE(broken.Header(), nullptr);
    EXPECT_EQ(broken.Header()->GetRect().bottom, 40);
    EXPECT_EQ(broken.Header()->GetRect().right, 50);
}

}  // namespace
