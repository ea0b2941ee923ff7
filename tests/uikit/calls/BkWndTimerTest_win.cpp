// Element timers on a real window: firing, re-arming, stopping, refusals and changes made from inside OnTimer.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "uikit/calls/CallsTestWindow_win.h"

using namespace callstest;
using BkTimer::CBkWndTimerMgr;
using BkTimer::IBkWndTimerCallback;

namespace {

class Recorder : public IBkWndTimerCallback {
public:
    void OnTimer(UINT id) override {
        fires[id].push_back(GetTickCount());
        if (onTimer) onTimer(id);
    }
    size_t Count(UINT id) const {
        auto it = fires.find(id);
        return it == fires.end() ? 0 : it->second.size();
    }

    std::map<UINT, std::vector<DWORD>> fires;
    std::function<void(UINT)> onTimer;
};

// True while the shared Win32 timer of the window is set (KillTimer finds it; it is set again after).
bool Win32TimerRunning(HWND hwnd) {
    if (!KillTimer(hwnd, CBkWndTimerMgr::kWin32TimerId)) return false;
    SetTimer(hwnd, CBkWndTimerMgr::kWin32TimerId, CBkWndTimerMgr::kBaseIntervalMs, nullptr);
    return true;
}

class ElementTimers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(window.Hwnd(), nullptr); }
    TestWindow window;
};

TEST_F(ElementTimers, FireRepeatedlyAtRoughlyTheirInterval) {
    Recorder rec;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(window.StartTimer(&rec, 7, 50));
    EXPECT_TRUE(Win32TimerRunning(window.Hwnd()));
    ASSERT_TRUE(PumpUntil([&] { return rec.Count(7) >= 6; }, 5000));
    const auto& t = rec.fires[7];
    EXPECT_GE(t[0] - start, 50u);
    for (size_t i = 1; i < t.size(); ++i) EXPECT_GE(t[i] - t[i - 1], 50u) << "fire " << i;
    // Loose upper bound (six firings of a 50 ms timer take 300 ms): catches a timer that runs at the wrong
    // interval, not a busy machine.
    EXPECT_LT(t[5] - start, 2500u);
}

TEST_F(ElementTimers, StartingAgainReArmsTheOneEntryWithTheNewInterval) {
    Recorder rec;
    ASSERT_TRUE(window.StartTimer(&rec, 1, 100000));
    ASSERT_TRUE(window.StartTimer(&rec, 1, 30));
    EXPECT_EQ(window.EntryCount(), 1u);
    EXPECT_TRUE(PumpUntil([&] { return rec.Count(1) >= 3; }, 2000));

    // Re-arming a stopped entry brings it back instead of adding a second one.
    window.StopTimer(&rec, 1);
    ASSERT_TRUE(window.StartTimer(&rec, 1, 20));
    EXPECT_EQ(window.EntryCount(), 1u);
    const size_t before = rec.Count(1);
    EXPECT_TRUE(PumpUntil([&] { return rec.Count(1) >= before + 2; }, 2000));
}

TEST_F(ElementTimers, StopTimerAndStopAllTimers) {
    Recorder a, b;
    ASSERT_TRUE(window.StartTimer(&a, 1, 20));
    ASSERT_TRUE(window.StartTimer(&a, 2, 20));
    ASSERT_TRUE(window.StartTimer(&b, 1, 20));
    window.StopTimer(&a, 1);
    ASSERT_TRUE(PumpUntil([&] { return a.Count(2) >= 2 && b.Count(1) >= 2; }, 2000));
    EXPECT_EQ(a.Count(1), 0u);

    window.StopAllTimers(&a);
    const size_t a2 = a.Count(2);
    ASSERT_TRUE(PumpUntil([&] { return b.Count(1) >= 5; }, 2000));
    EXPECT_EQ(a.Count(2), a2);
    EXPECT_EQ(window.EntryCount(), 1u);  // a's stopped entries were swept on a tick

    window.StopAllTimers(&b);
    // With nothing left the shared Win32 timer stops.
    EXPECT_TRUE(PumpUntil([&] { return window.EntryCount() == 0 && !Win32TimerRunning(window.Hwnd()); }, 1000));
}

TEST_F(ElementTimers, RefusedWhenUnboundOrGivenZero) {
    Recorder rec;
    struct Case {
        IBkWndTimerCallback* callback;
        UINT id, interval;
    } zeros[] = {{nullptr, 1, 10}, {&rec, 0, 10}, {&rec, 1, 0}};
    for (const Case& c : zeros) EXPECT_FALSE(window.StartTimer(c.callback, c.id, c.interval));
    EXPECT_EQ(window.EntryCount(), 0u);

    CBkWndTimerMgr neverBound;
    EXPECT_FALSE(neverBound.StartTimer(&rec, 1, 10));

    ASSERT_TRUE(window.StartTimer(&rec, 1, 10));
    window.Unbind();
    EXPECT_EQ(window.EntryCount(), 0u);
    EXPECT_FALSE(window.StartTimer(&rec, 1, 10));
    PumpFor(60);
    EXPECT_EQ(rec.Count(1), 0u);
    EXPECT_FALSE(Win32TimerRunning(window.Hwnd()));
}

TEST_F(ElementTimers, CallbacksChangeTimersFromInsideOnTimer) {
    // Same interval, started together: one tick finds both due. The first stops the second, which must not fire
    // later in that tick or afterwards.
    Recorder first, second, self, starter;
    first.onTimer = [&](UINT) { window.StopTimer(&second, 1); };
    ASSERT_TRUE(window.StartTimer(&first, 1, 20));
    ASSERT_TRUE(window.StartTimer(&second, 1, 20));
    // Stops itself: fires once.
    self.onTimer = [&](UINT id) { window.StopTimer(&self, id); };
    ASSERT_TRUE(window.StartTimer(&self, 4, 20));
    // Starts another timer of its own, once.
    starter.onTimer = [&](UINT id) {
        if (id == 1) {
            EXPECT_TRUE(window.StartTimer(&starter, 2, 20));
        }
    };
    ASSERT_TRUE(window.StartTimer(&starter, 1, 40));
    ASSERT_TRUE(PumpUntil([&] { return first.Count(1) >= 3 && starter.Count(2) >= 2; }, 3000));
    EXPECT_EQ(second.Count(1), 0u);
    EXPECT_EQ(self.Count(4), 1u);
}

TEST_F(ElementTimers, CallbackDeletedByAnotherInTheSameTickIsNotCalled) {
    struct Owned final : Recorder {
        CBkWndTimerMgr* mgr = nullptr;
        bool* deleted = nullptr;
        ~Owned() {
            mgr->StopAllTimers(this);
            *deleted = true;
        }
    };
    bool deleted = false;
    auto* victim = new Owned;
    victim->mgr = &window;
    victim->deleted = &deleted;
    victim->onTimer = [](UINT) { ADD_FAILURE() << "a deleted callback was called"; };
    Recorder killer;
    killer.onTimer = [&](UINT) {
        delete victim;
        victim = nullptr;
    };
    ASSERT_TRUE(window.StartTimer(&killer, 1, 20));
    ASSERT_TRUE(window.StartTimer(victim, 1, 20));
    ASSERT_TRUE(PumpUntil([&] { return deleted && killer.Count(1) >= 3; }, 2000));
}

TEST_F(ElementTimers, WindowDestroyedInsideOnTimerEndsTheRound) {
    Recorder killer, after;
    killer.onTimer = [&](UINT) { window.Destroy(); };
    ASSERT_TRUE(window.StartTimer(&killer, 1, 20));
    ASSERT_TRUE(window.StartTimer(&after, 1, 20));
    ASSERT_TRUE(PumpUntil([&] { return killer.Count(1) == 1; }, 2000));
    PumpFor(60);
    EXPECT_EQ(after.Count(1), 0u);
    EXPECT_EQ(killer.Count(1), 1u);
    EXPECT_FALSE(window.StartTimer(&after, 1, 20));
}

}  // namespace
