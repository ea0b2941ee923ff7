// Download tasks end to end: the catalogue, the registry, real worker threads, libcurl over loopback to the
// content server, and the messages they post to a real message-only window.
#include <gtest/gtest.h>

#include <new>

#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"
#include "common/WinTestSupport_win.h"
#include "download/CDownLoadTask.h"
#include "download/CDownLoadTaskMgr.h"
#include "download/DownloadTestSupport_win.h"
#include "download/KFileIndex.h"
#include "shell/Paths.h"

namespace {

using dltest::ContentServer;
using dltest::NotifyWindow;
using dltest::RecordingCallback;
using Events = std::vector<std::string>;

const wchar_t kNetKey[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client";

class DownloadTasks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new ContentServer();
        if (!server->IsUp()) return;
        big = dltest::PatternBytes(3 * 1024 * 1024 + 11, 3);
        // Tasks that run at once save under their own names.
        for (const wchar_t* name : {L"big.bin", L"b102.bin", L"b104.bin", L"b105.bin", L"b111.bin"})
            server->Put(name, big);
        server->Put(L"small.bin", "small body");
        server->Put(L"t1file.bin", "type one");
        server->Put(L"t4tool.bin", "type four");
        server->Put(L"list.json", "{\"filelist\":[{\"name\":\"one.dll\"},{\"name\":\"two.txt\"}]}");
        server->Put(L"empty_list.json", "{\"filelist\":[]}");
        const std::string base = ContentServer::Narrow(server->Url(L""));
        const std::pair<int, std::string> softs[] = {
            {101, "3,\"config\":\"" + base + "/big.bin\""},
            {102, "3,\"config\":\"" + base + "/404/b102.bin\""},
            {103, "3,\"config\":\"" + base + "/redirect/small.bin\""},
            {104, "3,\"config\":\"" + base + "/nolength/b104.bin\""},
            {105, "3,\"config\":\"" + base + "/drop/100000/b105.bin\""},
            {106, "3,\"config\":\"" + base + "/small.bin?v=1\""},
            {107, "1,\"config\":\"" + base + "/t1file.bin\""},
            {108, "2,\"config\":\"" + base + "/list.json\""},
            {109, "2,\"config\":\"" + base + "/empty_list.json\""},
            {110, "4,\"config\":\"" + base + "/t4tool.bin\""},
            {111, "3,\"config\":\"" + base + "/slow/128/b111.bin\""},
            {112, "7,\"config\":\"" + base + "/small.bin\""},
            {113, "3,\"config\":\"" + base + "/garbage/small.bin\""},
            {114, "3,\"config\":\"\""},
        };
        std::string json = "{\"softlist\":[";
        for (const auto& s : softs) {
            if (json.back() == '}') json += ',';
            json += "{\"softid\":" + std::to_string(s.first) + ",\"type\":" + s.second + "}";
        }
        json += "]}";
        const std::string image = PackCatalogFile(json);
        SoftCatalog::Instance().LoadFromImage(reinterpret_cast<const unsigned char*>(image.data()), image.size());
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server->IsUp());
        ASSERT_NE(SoftCatalog::Instance().FindSoft(101), nullptr);
        ASSERT_NE(window.Hwnd(), nullptr);
        ASSERT_EQ(CDownLoadTaskBase::LiveCount(), 0);
    }
    void TearDown() override {
        EXPECT_TRUE(dltest::WaitForTasksGone(window, &CDownLoadTaskBase::LiveCount));
        EXPECT_EQ(CDownLoadTaskMgr::Instance().GetTaskCount(), 0);
    }

    // A card known to the window.
    std::unique_ptr<RecordingCallback> Card() {
        auto card = std::make_unique<RecordingCallback>(window.Hwnd());
        window.Dispatcher().AddSoftCallback(card.get());
        return card;
    }
    bool RunToEnd() { return dltest::WaitForTasksGone(window, &CDownLoadTaskBase::LiveCount); }

    static void ExpectRisingTo100(const RecordingCallback& card) {
        ASSERT_FALSE(card.progress.empty());
        EXPECT_LE(card.progress.size(), 100u);
        for (size_t i = 1; i < card.progress.size(); ++i) EXPECT_GT(card.progress[i], card.progress[i - 1]);
        EXPECT_GE(card.progress.front(), 1);
        EXPECT_EQ(card.progress.back(), 100);
    }

    static ContentServer* server;
    static std::string big;
    NotifyWindow window;
};
ContentServer* DownloadTasks::server = nullptr;
std::string DownloadTasks::big;

TEST_F(DownloadTasks, ArchiveDownloadReportsRisingProgressAndTheFile) {
    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(101, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 2", "finish 3"}));
    ExpectRisingTo100(*card);
    EXPECT_EQ(card->lastSoftid, 101);
    std::wstring temp;
    TempDownloadDir(temp);
    EXPECT_EQ(card->finishedPath, temp + L"big.bin");
    std::string got;
    ASSERT_TRUE(dltest::ReadWholeFile(card->finishedPath, got));
    EXPECT_TRUE(got == big);
    DeleteFileW(card->finishedPath.c_str());
    EXPECT_EQ(window.Ignored(), 0);
}

TEST_F(DownloadTasks, OutcomesOfEachKindOfAnswer) {
    struct Case {
        int softid;
        Events milestones;
        int progress;  // 0 none, 1 some, -1 either (an error page with a length reports its own progress)
    } cases[] = {
        {102, {"state 1", "state 3"}, -1},
        {103, {"state 1", "state 2", "finish 3"}, 1},
        // No announced length: the fraction stays 0, so no progress message at all.
        {104, {"state 1", "state 2", "finish 3"}, 0},
        {105, {"state 1", "state 3"}, 1},
        // The name "small.bin?v=1" cannot be a file: a failure, not a success naming a missing file.
        {106, {"state 1", "state 3"}, -1},
        {113, {"state 1", "state 3"}, 0},
        // A file list that cannot be fetched into place ends with state 3, twice.
        {108, {"state 1", "state 3", "state 3"}, 0},
        {109, {"state 1", "state 3", "state 3"}, 0},
        // An entry without a URL: the task ends quietly.
        {114, {"state 1"}, 0},
    };
    KFileIndex::Instance().Reset();
    std::vector<std::unique_ptr<RecordingCallback>> cards;
    // All at once: every task on its own worker.
    for (const Case& c : cases) {
        cards.push_back(Card());
        ASSERT_EQ(CDownLoadTaskMgr::Instance().AddTask(c.softid, cards.back().get()), 1) << c.softid;
    }
    ASSERT_TRUE(RunToEnd());
    std::wstring temp;
    TempDownloadDir(temp);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const RecordingCallback& card = *cards[i];
        EXPECT_EQ(card.Milestones(), c.milestones) << c.softid;
        if (c.progress >= 0) {
            EXPECT_EQ(card.progress.empty() ? 0 : 1, c.progress) << c.softid;
        }
        if (card.Saw("finish 3")) {
            std::string got;
            EXPECT_TRUE(dltest::ReadWholeFile(card.finishedPath, got)) << c.softid;
            EXPECT_TRUE(got == big || got == "small body") << c.softid;
            DeleteFileW(card.finishedPath.c_str());
        }
    }
    for (const wchar_t* name : {L"b102.bin", L"b104.bin", L"b105.bin"}) DeleteFileW((temp + name).c_str());
}

TEST_F(DownloadTasks, TwoCardsShareOneTaskAndACardIsNeverAddedTwice) {
    auto first = Card();
    auto second = Card();
    CDownLoadTaskMgr& mgr = CDownLoadTaskMgr::Instance();
    EXPECT_EQ(mgr.AddTask(101, first.get()), 1);
    EXPECT_EQ(mgr.AddTask(101, second.get()), 1);
    EXPECT_EQ(mgr.AddTask(101, first.get()), 1);  // refused inside the task: no second state 1
    EXPECT_EQ(mgr.GetTaskCount(), 1);
    EXPECT_EQ(CDownLoadTaskBase::LiveCount(), 1);
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ(first->Milestones(), (Events{"state 1", "state 2", "finish 3"}));
    EXPECT_EQ(first->Count("state 1"), 2u);  // its AddCallback and the worker's start, not the refused third
    EXPECT_EQ(second->Milestones(), first->Milestones());
    ExpectRisingTo100(*first);
    // The second card joined a running task: it sees the rest of the same progress.
    ASSERT_FALSE(second->progress.empty());
    EXPECT_EQ(second->progress.back(), 100);
    const size_t skipped = first->progress.size() - second->progress.size();
    EXPECT_TRUE(std::equal(second->progress.begin(), second->progress.end(), first->progress.begin() + skipped));
    EXPECT_EQ(first->finishedPath, second->finishedPath);
    DeleteFileW(first->finishedPath.c_str());

    // Once the task is gone a new request makes a new one.
    auto third = Card();
    EXPECT_EQ(mgr.AddTask(103, third.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(third->Saw("finish 3"));
    DeleteFileW(third->finishedPath.c_str());
}

TEST_F(DownloadTasks, InstallerGoesToTheUserDownloadFolder) {
    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(107, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 2", "finish 1"}));
    EXPECT_EQ(card->finishedPath, GetDownloadDir() + L"t1file.bin");
    std::string got;
    EXPECT_TRUE(dltest::ReadWholeFile(card->finishedPath, got));
    EXPECT_EQ(got, "type one");
    DeleteFileW(card->finishedPath.c_str());
}

TEST_F(DownloadTasks, FileSetIsFetchedInflatedAndPutInPlace) {
    const std::string one = dltest::PatternBytes(300000, 5);
    const std::string two = "second file";
    const std::wstring dir = server->Root();
    for (const wchar_t* part : {L"\\c", L"\\c\\9", L"\\c\\9\\cratel", L"\\c\\9\\cratel\\r"})
        CreateDirectoryW((dir + part).c_str(), nullptr);
    ASSERT_TRUE(dltest::WriteWholeFile(dir + L"\\c\\9\\cratel\\r\\one.z", dltest::ZlibCompress(one)));
    ASSERT_TRUE(dltest::WriteWholeFile(dir + L"\\c\\9\\cratel\\r\\two.z", dltest::ZlibCompress(two)));
    KIniWrapEx ini;
    ASSERT_TRUE(
        ini.Parse(L"[one.dll]\nSFN=one.z\nRP=r\nLP=%P\\dltest_set\n"
                  L"[two.txt]\nSFN=two.z\nRP=r\nLP=%P\\dltest_set\\sub\n"));
    KFileIndex::Instance().Load(ini, 9, server->Url(L"/c"));

    // A plain file where the folder must go is replaced by the folder.
    const std::wstring target = GetExeDir() + L"dltest_set";
    wintest::RemoveTree(target);
    ASSERT_TRUE(dltest::WriteWholeFile(target, "in the way"));

    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(108, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    KFileIndex::Instance().Reset();
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 2", "finish 2", "state 3"}));
    EXPECT_EQ(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(card->finishedPath, L"");
    ExpectRisingTo100(*card);
    std::string got;
    EXPECT_TRUE(dltest::ReadWholeFile(target + L"\\one.dll", got));
    EXPECT_TRUE(got == one);
    EXPECT_TRUE(dltest::ReadWholeFile(target + L"\\sub\\two.txt", got));
    EXPECT_EQ(got, two);
    std::wstring temp;
    TempDownloadDir(temp);
    for (const wchar_t* left : {L"one.dll", L"two.txt", L"one.dll.z", L"two.txt.z"})
        EXPECT_FALSE(dltest::FileExists(temp + left)) << left;
    wintest::RemoveTree(target);
}

TEST_F(DownloadTasks, ToolNeedingTheFrameworkSkipsItWhenInstalled) {
    wintest::ScratchRegistryValue install(HKEY_LOCAL_MACHINE, kNetKey, L"Install");
    ASSERT_TRUE(install.SetDword(1));
    CDownLoadFerruleTask::FrameworkUrl() = server->Url(L"/framework/present.exe");
    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(110, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 2", "finish 4"}));
    EXPECT_EQ(card->progress.back(), 100);
    EXPECT_EQ(server->CountRequests("/framework/present.exe"), 0u);
    std::string got;
    EXPECT_TRUE(dltest::ReadWholeFile(card->finishedPath, got));
    EXPECT_EQ(got, "type four");
    DeleteFileW(card->finishedPath.c_str());
}

TEST_F(DownloadTasks, FrameworkThatCannotBeFetchedStopsTheTool) {
    wintest::ScratchRegistryValue install(HKEY_LOCAL_MACHINE, kNetKey, L"Install");
    ASSERT_TRUE(install.SetDword(0));
    CDownLoadFerruleTask::FrameworkUrl() = server->Url(L"/404/framework.exe");
    const size_t toolRequests = server->CountRequests("/t4tool.bin");
    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(110, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1"}));
    EXPECT_EQ(server->CountRequests("/404/framework.exe"), 1u);
    EXPECT_EQ(server->CountRequests("/t4tool.bin"), toolRequests);
}

TEST_F(DownloadTasks, FrameworkFromAServerWithoutAValidCertificateIsNeverRun) {
    // Before, the installer was fetched with certificate checks off and then started.
    ContentServer tls(L" --tls");
    ASSERT_TRUE(tls.IsUp());
    ASSERT_TRUE(tls.Put(L"framework.exe", "tampered installer"));
    wintest::ScratchRegistryValue install(HKEY_LOCAL_MACHINE, kNetKey, L"Install");
    install.Remove();
    CDownLoadFerruleTask::FrameworkUrl() = tls.Url(L"/framework.exe");
    std::wstring installer;
    TempDownloadDir(installer);
    installer += L"framework4.exe";
    DeleteFileW(installer.c_str());

    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(110, card.get()), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1"}));
    EXPECT_EQ(tls.CountRequests("/framework.exe"), 0u);  // refused at the handshake
    std::string got;
    dltest::ReadWholeFile(installer, got);
    EXPECT_EQ(got, "");
    DeleteFileW(installer.c_str());
}

TEST_F(DownloadTasks, RemovingATaskAbortsItsTransfer) {
    auto card = Card();
    CDownLoadTaskMgr& mgr = CDownLoadTaskMgr::Instance();
    EXPECT_EQ(mgr.AddTask(111, card.get()), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return !card->progress.empty(); }, 20000));
    EXPECT_TRUE(mgr.RemoveTask(111));
    EXPECT_FALSE(mgr.RemoveTask(111));
    ASSERT_TRUE(dltest::WaitForTasksGone(window, &CDownLoadTaskBase::LiveCount, 5000));
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 3"}));
    EXPECT_LT(card->progress.back(), 100);
    std::wstring temp;
    TempDownloadDir(temp);
    DeleteFileW((temp + L"b111.bin").c_str());  // what the aborted transfer had written stays, as for any failure
}

TEST_F(DownloadTasks, NoTaskForUnknownEntriesOrTypes) {
    auto card = Card();
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(112, card.get()), 0);  // type 7
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(999, card.get()), 0);  // no entry
    EXPECT_EQ(CDownLoadTaskMgr::CreateTask(999), nullptr);
    window.PumpFor(100);
    EXPECT_TRUE(card->events.empty());
}

TEST_F(DownloadTasks, WindowIgnoresCallbacksItDidNotHandOut) {
    // A card that went away while its download ran: its messages must not reach it.
    auto gone = Card();
    auto kept = Card();
    CDownLoadTaskMgr& mgr = CDownLoadTaskMgr::Instance();
    EXPECT_EQ(mgr.AddTask(103, gone.get()), 1);
    EXPECT_EQ(mgr.AddTask(103, kept.get()), 1);
    window.Dispatcher().RemoveSoftCallback(gone.get());
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(gone->events.empty());
    EXPECT_TRUE(kept->Saw("finish 3"));
    const int ignored = window.Ignored();
    EXPECT_GE(ignored, 3);  // at least state 2 and the finished message, besides state 1
    DeleteFileW(kept->finishedPath.c_str());

    // A forged text naming an object the window never registered.
    RecordingCallback stranger(window.Hwnd());
    DownloadNotify forged;
    forged.msgtype = kMsgState;
    forged.callback = CallbackAddress(static_cast<IDownLoadSoftCallback*>(&stranger));
    forged.state = 2;
    PostMessageW(window.Hwnd(), UM_DOWNLOAD_NOTIFY, reinterpret_cast<WPARAM>(MakeNotifyText(BuildNotifyJson(forged))),
                 0);
    PostMessageW(window.Hwnd(), UM_DOWNLOAD_NOTIFY, reinterpret_cast<WPARAM>(MakeNotifyText(L"not json")), 0);
    window.Drain();
    EXPECT_TRUE(stranger.events.empty());
    EXPECT_EQ(window.Ignored(), ignored + 2);
}

#if defined(_WIN64)
TEST_F(DownloadTasks, CallbackAboveFourGigabytesIsReachedThroughItsWholeAddress) {
    void* block = nullptr;
    for (std::uintptr_t at = 0x0000001000000000ull; block == nullptr && at < 0x00007f0000000000ull; at <<= 1)
        block = VirtualAlloc(reinterpret_cast<void*>(at), 65536, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    ASSERT_GT(reinterpret_cast<std::uintptr_t>(block), 0xffffffffull);
    auto* card = new (block) RecordingCallback(window.Hwnd());
    window.Dispatcher().AddSoftCallback(card);
    EXPECT_EQ(CDownLoadTaskMgr::Instance().AddTask(103, card), 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(card->Milestones(), (Events{"state 1", "state 2", "finish 3"}));
    EXPECT_EQ(window.Ignored(), 0);
    DeleteFileW(card->finishedPath.c_str());
    window.Dispatcher().RemoveSoftCallback(card);
    card->~RecordingCallback();
    VirtualFree(block, 0, MEM_RELEASE);
}
#endif

}  // namespace
