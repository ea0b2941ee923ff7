// Cross-thread calls against a real window on the test thread and real worker threads.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "uikit/calls/CallsTestWindow_win.h"

using namespace callstest;

namespace {

class RunnableCalls : public ::testing::Test {
protected:
    void SetUp() override {
        LiveRunnables() = 0;
        ASSERT_NE(window.Hwnd(), nullptr);
    }
    void TearDown() override {
        window.Destroy();
        PumpFor(20);
        EXPECT_EQ(LiveRunnables(), 0) << "a pending call kept its runnable";
    }

    TestWindow window;
};

TEST(BkTickElapsed, CountsAcrossTheTickWrap) {
    struct Case {
        DWORD now, since, wait;
        bool due;
    } cases[] = {
        {1000, 500, 500, true},
        {999, 500, 500, false},
        {500, 500, 0, true},
        {10, 0xFFFFFF00, 266, true},
        {10, 0xFFFFFF00, 267, false},
        {0xFFFFFFFF, 0xFFFFFFF0, 15, true},
        {0, 0, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BkWin::BkTickElapsed(c.now, c.since, c.wait), c.due) << c.now << " " << c.since << " " << c.wait;
    }
}

TEST_F(RunnableCalls, SendFromWorkerRunsOnWindowThreadAndWaits) {
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> finished{false};
    auto probe = MakeProbe([&] {
        Sleep(50);
        finished = true;
    });
    std::atomic<int> answer{-1};
    std::atomic<bool> sawFinishedOnReturn{false};
    std::thread worker([&] {
        answer = window.Send(probe.Get()) ? 1 : 0;
        sawFinishedOnReturn = finished.load();
    });
    ASSERT_TRUE(PumpUntil([&] { return answer != -1; }, 5000));
    worker.join();
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(sawFinishedOnReturn);
    EXPECT_EQ(probe->m_runs, 1);
    EXPECT_EQ(probe->m_lastThread, uiThread);
}

TEST_F(RunnableCalls, SendOnWindowThreadRunsAtOnce) {
    auto probe = MakeProbe();
    EXPECT_TRUE(window.Send(probe.Get()));
    EXPECT_EQ(probe->m_runs, 1);
    EXPECT_FALSE(window.Send(nullptr));
    EXPECT_EQ(window.Post(nullptr, 0), 0u);
}

TEST_F(RunnableCalls, SendAndPostAfterTheWindowIsGoneAnswerFalseAndZero) {
    auto probe = MakeProbe();
    window.Destroy();
    EXPECT_FALSE(window.Send(probe.Get()));
    EXPECT_EQ(window.Post(probe.Get(), 0), 0u);
    EXPECT_EQ(window.Post(probe.Get(), 0, 7), 0u);
    std::atomic<int> workerSend{-1}, workerPost{-1};
    std::thread worker([&] {
        workerSend = window.Send(probe.Get()) ? 1 : 0;
        workerPost = static_cast<int>(window.Post(probe.Get(), 0));
    });
    worker.join();
    EXPECT_EQ(workerSend, 0);
    EXPECT_EQ(workerPost, 0);
    PumpFor(30);
    EXPECT_EQ(probe->m_runs, 0);
}

TEST_F(RunnableCalls, DetachedContextRefusesCallsWhileTheWindowLives) {
    auto probe = MakeProbe();
    window.DetachRunnableWindow();
    EXPECT_FALSE(window.Send(probe.Get()));
    EXPECT_EQ(window.Post(probe.Get(), 0), 0u);
    window.AttachRunnableWindow(window.Hwnd());
    EXPECT_NE(window.Post(probe.Get(), 0), 0u);
    EXPECT_TRUE(PumpUntil([&] { return probe->m_runs == 1; }, 2000));
}

TEST_F(RunnableCalls, DelayedPostRunsNoEarlierThanItsDelayAndCancelByIdPreventsIt) {
    auto late = MakeProbe();
    auto cancelled = MakeProbe();
    const DWORD posted = GetTickCount();
    const UINT lateId = window.Post(late.Get(), 500);
    const UINT cancelledId = window.Post(cancelled.Get(), 300);
    ASSERT_NE(lateId, 0u);
    ASSERT_NE(cancelledId, 0u);
    EXPECT_NE(lateId, cancelledId);
    PumpFor(100);
    window.Cancel(cancelledId);
    ASSERT_TRUE(PumpUntil([&] { return late->m_runs == 1; }, 3000));
    EXPECT_GE(late->m_lastTick - posted, 500u);
    EXPECT_EQ(cancelled->m_runs, 0);
    PumpFor(400);
    EXPECT_EQ(cancelled->m_runs, 0);
    EXPECT_EQ(late->m_runs, 1);
}

TEST_F(RunnableCalls, CancelByKeyRemovesOnlyThatKey) {
    auto a1 = MakeProbe(), a2 = MakeProbe(), b = MakeProbe(), none = MakeProbe();
    ASSERT_NE(window.Post(a1.Get(), 0, 0xA), 0u);
    ASSERT_NE(window.Post(a2.Get(), 50, 0xA), 0u);
    ASSERT_NE(window.Post(b.Get(), 50, 0xB), 0u);
    ASSERT_NE(window.Post(none.Get(), 0), 0u);
    window.CancelByKey(0xA);
    window.CancelByKey(0);  // "no key": leaves the unkeyed call alone
    ASSERT_TRUE(PumpUntil([&] { return b->m_runs == 1 && none->m_runs == 1; }, 3000));
    PumpFor(100);
    EXPECT_EQ(a1->m_runs, 0);
    EXPECT_EQ(a2->m_runs, 0);
}

struct Target {
    int hits = 0;
    void Hit() { ++hits; }
};

TEST_F(RunnableCalls, MemberFunctionCallsAndCancelByObject) {
    Target kept, dropped;
    EXPECT_TRUE(BkWin::SendClassFunc(window, &kept, &Target::Hit));
    EXPECT_EQ(kept.hits, 1);
    EXPECT_NE(BkWin::PostClassFunc(window, &kept, &Target::Hit), 0u);
    EXPECT_NE(BkWin::PostClassFunc(window, &dropped, &Target::Hit, 20), 0u);
    window.CancelByKey(reinterpret_cast<UINT_PTR>(&dropped));
    ASSERT_TRUE(PumpUntil([&] { return kept.hits == 2; }, 2000));
    PumpFor(60);
    EXPECT_EQ(dropped.hits, 0);
}

TEST_F(RunnableCalls, PostsWithoutDelayRunInPostingOrder) {
    std::vector<int> order;
    auto first = MakeProbe([&] { order.push_back(1); });
    auto second = MakeProbe([&] { order.push_back(2); });
    auto third = MakeProbe([&] { order.push_back(3); });
    window.Post(first.Get(), 0);
    window.Post(second.Get(), 0);
    window.Post(third.Get(), 0);
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 3; }, 2000));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(RunnableCalls, ManyPostsFromSeveralThreadsRunExactlyOnceInEachThreadsOrder) {
    constexpr int kThreads = 4, kPerThread = 300;
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<std::vector<int>> seen(kThreads);  // touched on the window thread only
    std::atomic<int> total{0};
    std::atomic<bool> offThread{false};
    std::mutex idsLock;
    std::set<UINT> ids;
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                auto probe = MakeProbe([&, t, i] {
                    if (GetCurrentThreadId() != uiThread) offThread = true;
                    seen[t].push_back(i);
                    ++total;
                });
                const UINT id = window.Post(probe.Get(), 0);
                if (id == 0) {
                    ++refused;
                    continue;
                }
                std::lock_guard<std::mutex> lock(idsLock);
                ids.insert(id);
            }
        });
    }
    ASSERT_TRUE(PumpUntil([&] { return total == kThreads * kPerThread || refused > 0; }, 10000));
    for (auto& w : workers) w.join();
    PumpFor(50);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(total, kThreads * kPerThread);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kThreads * kPerThread));
    EXPECT_EQ(ids.count(0u), 0u);
    EXPECT_FALSE(offThread);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<size_t>(kPerThread));
        for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(seen[t][i], i) << "thread " << t;
    }
}

TEST_F(RunnableCalls, RunnableMayPostSendAndCancelFromInsideRun) {
    auto inner = MakeProbe();
    auto sent = MakeProbe();
    auto victim = MakeProbe();
    UINT victimId = 0;
    bool innerPosted = false, sentOk = false;
    auto outer = MakeProbe([&] {
        innerPosted = window.Post(inner.Get(), 0) != 0;
        sentOk = window.Send(sent.Get());
        window.Cancel(victimId);
    });
    victimId = window.Post(victim.Get(), 30);
    window.Post(outer.Get(), 0);
    ASSERT_TRUE(PumpUntil([&] { return inner->m_runs == 1; }, 2000));
    EXPECT_TRUE(innerPosted);
    EXPECT_TRUE(sentOk);
    EXPECT_EQ(sent->m_runs, 1);
    PumpFor(80);
    EXPECT_EQ(victim->m_runs, 0);
    EXPECT_EQ(outer->m_runs, 1);
}

TEST_F(RunnableCalls, SelfRepostingRunnableDoesNotStarveTheMessageLoop) {
    // Each run posts the next one (a bounded chain here, an endless one in a real fault). One dispatched message
    // must run one link and return to the loop; the re-post waits for its own message.
    constexpr int kChain = 50;
    BkWin::BkRefPtr<Probe> again;
    auto probe = MakeProbe([&] {
        if (again->m_runs < kChain) window.Post(again.Get(), 0);
    });
    again = probe;
    window.Post(probe.Get(), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, window.Hwnd(), CBkWndMsgFunction::PostMessageId(),
                             CBkWndMsgFunction::PostMessageId(), PM_REMOVE));
    DispatchMessageW(&msg);
    EXPECT_EQ(probe->m_runs, 1);
    EXPECT_TRUE(PumpUntil([&] { return probe->m_runs == kChain; }, 3000));
    again.Reset();
}

TEST_F(RunnableCalls, QueuedCallsDieWithTheWindowWithoutRunning) {
    std::vector<ProbePtr> probes;
    for (int i = 0; i < 20; ++i) {
        probes.push_back(MakeProbe());
        ASSERT_NE(window.Post(probes.back().Get(), i % 2 ? 0 : 10000), 0u);
    }
    // The POST messages are still in this thread's queue when the window goes.
    window.Destroy();
    PumpFor(50);
    for (auto& p : probes) EXPECT_EQ(p->m_runs, 0);
    const int liveWhileHeld = LiveRunnables();
    EXPECT_EQ(liveWhileHeld, 20);
    probes.clear();
    EXPECT_EQ(LiveRunnables(), 0) << "the queue kept references after the window went";
}

TEST_F(RunnableCalls, RunnableThatDestroysTheWindowDropsTheRest) {
    auto later = MakeProbe();
    auto killer = MakeProbe([&] { window.Destroy(); });
    window.Post(killer.Get(), 0);
    window.Post(later.Get(), 0);
    ASSERT_TRUE(PumpUntil([&] { return killer->m_runs == 1; }, 2000));
    PumpFor(50);
    EXPECT_EQ(later->m_runs, 0);
    EXPECT_EQ(window.Post(later.Get(), 0), 0u);
}

TEST(RunnableCallsOwner, RunnableMayDeleteTheObjectThatOwnsTheQueue) {
    LiveRunnables() = 0;
    auto* owner = new TestWindow;
    ASSERT_NE(owner->Hwnd(), nullptr);
    auto later = MakeProbe();
    auto killer = MakeProbe([&] { delete owner; });
    owner->Post(killer.Get(), 0);
    owner->Post(later.Get(), 0);
    ASSERT_TRUE(PumpUntil([&] { return killer->m_runs == 1; }, 2000));
    PumpFor(30);
    EXPECT_EQ(later->m_runs, 0);
    killer.Reset();
    later.Reset();
    EXPECT_EQ(LiveRunnables(), 0);
}

TEST_F(RunnableCalls, WorkersPostingWhileTheWindowGoesLeakNothing) {
    std::atomic<bool> stop{false};
    std::atomic<int> accepted{0}, refusedAfterEnd{0}, ran{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&] {
            while (!stop) {
                auto probe = MakeProbe([&] { ++ran; });
                if (window.Post(probe.Get(), (accepted % 3) * 5)) ++accepted;
                Sleep(0);
            }
            auto probe = MakeProbe();
            if (window.Post(probe.Get(), 0) == 0 && !window.Send(probe.Get())) ++refusedAfterEnd;
        });
    }
    PumpFor(150);
    window.Destroy();
    stop = true;
    for (auto& w : workers) w.join();
    PumpFor(30);
    EXPECT_GT(accepted, 0);
    EXPECT_LE(ran, accepted);
    EXPECT_EQ(refusedAfterEnd, 3);
    EXPECT_EQ(LiveRunnables(), 0);
}

TEST_F(RunnableCalls, ForgedSendMessageIsIgnored) {
    // Anyone can send the registered message; a pointer that no Send of ours handed out is never followed.
    const LRESULT answer = SendMessageW(window.Hwnd(), CBkWndMsgFunction::SendMessageId(), 0, 0x12345678);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(SendMessageW(window.Hwnd(), CBkWndMsgFunction::SendMessageId(), 0, 0), 1);
}

TEST_F(RunnableCalls, MessagesAreRegisteredUnderTheirNames) {
    EXPECT_EQ(CBkWndMsgFunction::SendMessageId(),
              RegisterWindowMessageW(L"SEND_{D07BC72F-4EAE-4c53-921B-5B576AD6192E}"));
    EXPECT_EQ(CBkWndMsgFunction::PostMessageId(),
              RegisterWindowMessageW(L"POST_{D07BC72F-4EAE-4c53-921B-5B576AD6192E}"));
    EXPECT_NE(CBkWndMsgFunction::SendMessageId(), CBkWndMsgFunction::PostMessageId());
}

}  // namespace
