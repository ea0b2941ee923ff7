// Modal runs of the host: owner disabling, the process-wide modal window, ending from a posted message.
#include <memory>
#include <string>

#include "uikit/host/BkWinManager.h"
#include "uikit/host/HostTestSupport_win.h"

using hosttest::RecordingHost;

namespace {

const char kSmall[] = "<layer width=\"200\" height=\"120\" noborder=\"1\"><body crbg=\"FFFFFF\"/></layer>";
constexpr UINT kEndMessage = WM_APP + 7;

TEST(HostModal, EndModalFromAPostedMessageReturnsTheResultAndRestoresTheOwner) {
    hosttest::ParkCursor();
    RecordingHost owner;
    owner.SetLayoutText(kSmall);
    ASSERT_NE(owner.Create(nullptr), nullptr);
    ShowWindow(owner.GetHwnd(), SW_SHOW);

    RecordingHost dialog;
    dialog.SetLayoutText(kSmall);
    bool ownerEnabledDuring = true;
    HWND modalDuring = nullptr;
    bool visibleDuring = false;
    dialog.onMessage = [&](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message == WM_CREATE) PostMessageW(dialog.GetHwnd(), kEndMessage, 42, 0);
        if (message != kEndMessage) return false;
        ownerEnabledDuring = IsWindowEnabled(owner.GetHwnd()) != FALSE;
        modalDuring = BkWinManager::Instance().GetModalWindow();
        visibleDuring = IsWindowVisible(dialog.GetHwnd()) != FALSE;
        dialog.EndModal(static_cast<INT_PTR>(wParam));
        result = 0;
        return true;
    };
    HWND before = BkWinManager::Instance().GetModalWindow();
    EXPECT_EQ(dialog.RunModal(owner.GetHwnd()), 42);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_NE(modalDuring, nullptr);
    EXPECT_TRUE(visibleDuring);
    EXPECT_TRUE(IsWindowEnabled(owner.GetHwnd()));
    EXPECT_EQ(BkWinManager::Instance().GetModalWindow(), before);
    EXPECT_EQ(dialog.GetHwnd(), nullptr);  // destroyed
}

TEST(HostModal, NestedRunsOwnEachOtherAndAClickCanEndTheRun) {
    hosttest::ParkCursor();
    RecordingHost outer, inner;
    outer.SetLayoutText(kSmall);
    inner.SetLayoutText(
        "<layer width=\"200\" height=\"120\" noborder=\"1\"><body><button id=\"5\" pos=\"0,0,50,50\"/></body></layer>");
    HWND innerOwner = nullptr;
    HWND outerWindow = nullptr;
    outer.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_CREATE) PostMessageW(outer.GetHwnd(), kEndMessage, 0, 0);
        if (message != kEndMessage) return false;
        outerWindow = outer.GetHwnd();
        inner.onMessage = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
            if (m == WM_CREATE) PostMessageW(inner.GetHwnd(), kEndMessage, 0, 0);
            if (m != kEndMessage) return false;
            innerOwner = GetWindow(inner.GetHwnd(), GW_OWNER);
            inner.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
            inner.Mouse(WM_LBUTTONUP, 10, 10);
            return true;
        };
        inner.onNotify = [&](const BkHostNotify& n) {
            if (n.hdr.code == kBkNotifyClick) inner.EndModal(n.id);
        };
        // The owner of the inner run is the current modal window: the outer one.
        const INT_PTR r = inner.RunModal();
        outer.EndModal(r + 100);
        return true;
    };
    EXPECT_EQ(outer.RunModal(), 105);
    EXPECT_NE(outerWindow, nullptr);
    EXPECT_EQ(innerOwner, outerWindow);
}

// A window whose creation fails: WM_NCCREATE answers FALSE.
TEST(HostModal, CreationFailureAnswersZeroAndReenablesTheOwner) {
    hosttest::ParkCursor();
    RecordingHost owner;
    owner.SetLayoutText(kSmall);
    ASSERT_NE(owner.Create(nullptr), nullptr);
    RecordingHost failing;
    failing.SetLayoutText(kSmall);
    failing.onMessage = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_NCCREATE) return false;
        result = FALSE;
        return true;
    };
    failing.EndModal(7);  // outside a run only the result is kept, and the next run starts from 0
    EXPECT_EQ(failing.RunModal(owner.GetHwnd()), 0);
    EXPECT_TRUE(IsWindowEnabled(owner.GetHwnd()));
    EXPECT_EQ(BkWinManager::Instance().GetModalWindow(), nullptr);
}

}  // namespace
