// The extended host: cross-thread calls and element timers wired to the host window's life.
#include <atomic>
#include <memory>
#include <thread>

#include "uikit/host/BkDialogViewExtend.h"
#include "uikit/host/HostTestSupport_win.h"

namespace {

class ExtendedHost : public BkDialogViewExtend<ExtendedHost> {};

class CountingTimer : public BkTimer::IBkWndTimerCallback {
public:
    void OnTimer(UINT id) override {
        lastId = id;
        ++fired;
    }
    int fired = 0;
    UINT lastId = 0;
};

class ThreadProbe : public BkWin::BkRefImpl<BkWin::IRunnable> {
public:
    void Run() override { ranOn = GetCurrentThreadId(); }
    std::atomic<DWORD> ranOn{0};
};

const char kLayout[] =
    "<layer width=\"120\" height=\"80\" noborder=\"1\"><body><button id=\"3\" pos=\"0,0,20,20\"/></body></layer>";

TEST(HostExtend, CallsFromAWorkerRunOnTheWindowThreadWhileTheWindowLives) {
    ExtendedHost host;
    host.SetLayoutText(kLayout);
    ASSERT_NE(host.Create(nullptr), nullptr);
    BkWin::IBkRunnableContext* calls = host.GetRunnableContext();
    BkWin::BkRefPtr<ThreadProbe> posted(new ThreadProbe);
    BkWin::BkRefPtr<ThreadProbe> sent(new ThreadProbe);
    std::atomic<bool> sendOk{false};
    std::atomic<UINT> postId{0};
    std::thread worker([&] {
        postId = calls->Post(posted.Get(), 0);
        sendOk = calls->Send(sent.Get());
    });
    // The window thread pumps until the worker's synchronous call has been served.
    const DWORD until = GetTickCount() + 3000;
    while (!sendOk && static_cast<LONG>(until - GetTickCount()) > 0) hosttest::Pump(10);
    worker.join();
    hosttest::Pump(30);
    EXPECT_TRUE(sendOk);
    EXPECT_NE(postId.load(), 0u);
    EXPECT_EQ(posted->ranOn.load(), GetCurrentThreadId());
    EXPECT_EQ(sent->ranOn.load(), GetCurrentThreadId());

    host.DestroyWindow();
    BkWin::BkRefPtr<ThreadProbe> late(new ThreadProbe);
    EXPECT_EQ(calls->Post(late.Get(), 0), 0u);
    EXPECT_FALSE(calls->Send(late.Get()));
}

TEST(HostExtend, TimersAreBoundForTheLifeOfTheWindow) {
    ExtendedHost host;
    host.SetLayoutText(kLayout);
    CountingTimer timer;
    EXPECT_FALSE(host.GetWndTimer()->StartTimer(&timer, 1, 10));  // no window yet
    ASSERT_NE(host.Create(nullptr), nullptr);
    ASSERT_TRUE(host.GetWndTimer()->StartTimer(&timer, 9, 10));
    hosttest::Pump(150);
    EXPECT_GT(timer.fired, 0);
    EXPECT_EQ(timer.lastId, 9u);
    EXPECT_EQ(host.GetDialogWnd(), host.GetHwnd());

    host.DestroyWindow();
    EXPECT_EQ(host.TimerMgr().EntryCount(), 0u);
    EXPECT_FALSE(host.GetWndTimer()->StartTimer(&timer, 9, 10));
    // The host's own handling still works through the extended chain: the elements were dropped.
    EXPECT_EQ(host.FindViewChild(3), nullptr);
}

}  // namespace
