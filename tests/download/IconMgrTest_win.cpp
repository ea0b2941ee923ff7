// The icon manager: one worker, the cache named by MD5, message type 4 to a real message-only window.
#include <gtest/gtest.h>

#include "download/CDownloadIconMgr.h"
#include "download/DownloadTestSupport_win.h"
#include "shell/Paths.h"

namespace {

using dltest::ContentServer;
using dltest::NotifyWindow;
using dltest::RecordingCallback;

class IconManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new ContentServer();
        server->Put(L"icon.png", "\x89PNG fake icon bytes");
        server->Put(L"other.png", "other picture");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server->IsUp());
        window.Dispatcher().AddIconCallback(&card);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"dltest_a", L"dltest_b", L"dltest_c", L"dltest_d", L"dltest_e"}) {
            std::wstring path;
            IconCachePath(path, name);
            DeleteFileW(path.c_str());
        }
    }
    // Queues a request that does notify, and waits for it: the one worker fetches in order, so everything
    // queued before it has been handled by then.
    bool Fence(DWORD timeoutMs = 20000) {
        const size_t before = card.events.size();
        CDownloadIconMgr::Instance().AddIconTask(server->Url(L"/other.png"), L"dltest_e", 9999, &card, window.Hwnd());
        return window.PumpUntil([&] { return card.Saw("icon 9999") && card.events.size() > before; }, timeoutMs);
    }

    static ContentServer* server;
    NotifyWindow window;
    RecordingCallback card{nullptr};
};
ContentServer* IconManager::server = nullptr;

TEST(IconCachePath, NamesTheCacheFileAndTellsWhetherItExists) {
    std::wstring path;
    EXPECT_FALSE(IconCachePath(path, L"dltest_none"));
    EXPECT_EQ(path, GetExeDir() + L"data\\drvquillfen\\res\\dltest_none.png");
    ASSERT_TRUE(dltest::WriteWholeFile(path, "x"));
    std::wstring again;
    EXPECT_TRUE(IconCachePath(again, L"dltest_none"));
    EXPECT_EQ(again, path);
    DeleteFileW(path.c_str());
}

TEST_F(IconManager, SameCacheNameTwiceFetchesAndNotifiesTwice) {
    CDownloadIconMgr& mgr = CDownloadIconMgr::Instance();
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/icon.png"), L"dltest_a", 20013, &card, window.Hwnd()));
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/redirect/icon.png"), L"dltest_a", 20014, &card, window.Hwnd()));
    ASSERT_TRUE(window.PumpUntil([&] { return card.events.size() >= 2; }));
    EXPECT_EQ(card.events, (std::vector<std::string>{"icon 20013", "icon 20014"}));
    std::wstring expected;
    IconCachePath(expected, L"dltest_a");
    EXPECT_EQ(card.iconPath, expected);
    std::string got;
    EXPECT_TRUE(dltest::ReadWholeFile(expected, got));
    EXPECT_EQ(got, "\x89PNG fake icon bytes");
}

TEST_F(IconManager, SilentCasesSendNothing) {
    CDownloadIconMgr& mgr = CDownloadIconMgr::Instance();
    EXPECT_FALSE(mgr.AddIconTask(L"", L"dltest_b", 1, &card, window.Hwnd()));
    // Fetched, but nobody to tell.
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/icon.png"), L"dltest_b", 2, nullptr, window.Hwnd()));
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/icon.png"), L"dltest_c", 3, &card, nullptr));
    // Failed fetches.
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/404/icon.png"), L"dltest_d", 4, &card, window.Hwnd()));
    EXPECT_TRUE(mgr.AddIconTask(server->Url(L"/drop/5/icon.png"), L"dltest_d", 5, &card, window.Hwnd()));
    ASSERT_TRUE(Fence());
    EXPECT_EQ(card.events, (std::vector<std::string>{"icon 9999"}));
    std::wstring path;
    EXPECT_TRUE(IconCachePath(path, L"dltest_b"));
    EXPECT_TRUE(IconCachePath(path, L"dltest_c"));
    EXPECT_EQ(mgr.GetQueuedCount(), 0);
}

TEST_F(IconManager, ServerThatStallsPastTheTimeOutFailsTheFetch) {
    const DWORD start = GetTickCount();
    EXPECT_TRUE(CDownloadIconMgr::Instance().AddIconTask(server->Url(L"/stall/13/icon.png"), L"dltest_d", 6, &card,
                                                         window.Hwnd()));
    ASSERT_TRUE(Fence(30000));
    const DWORD spent = GetTickCount() - start;
    EXPECT_EQ(card.events, (std::vector<std::string>{"icon 9999"}));
    EXPECT_GE(spent, 9500u);
    EXPECT_LT(spent, 13000u);
}

}  // namespace
