#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "../common/WinTestSupport_win.h"
#include "../download/ZipTestSupport.h"
#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"
#include "catalog/ToolLauncher.h"
#include "common/ScopedWin.h"
#include "download/CDownLoadTaskMgr.h"
#include "download/DownloadNotify.h"

namespace {

std::string Narrow(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], bytes, nullptr, nullptr);
    return out;
}

// A text as a JSON string literal (the paths here have backslashes).
std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Narrow(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    wintest::ReadWholeFile(path, bytes);
    return bytes;
}

std::wstring MarkerTool() {
    std::wstring path;
    for (const char* p = VELMORA_MARKERTOOL; *p; ++p) path += static_cast<wchar_t>(*p == '/' ? '\\' : *p);
    return path;
}

// What a started marker tool left beside itself: "exe=...\r\nargs=...\r\n", or empty after the time-out.
std::string WaitForMarker(const std::wstring& exe, DWORD timeoutMs = 15000) {
    const std::wstring marker = exe + L".marker.txt";
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (wintest::FileExists(marker)) return ReadBytes(marker);
        Sleep(50);
    }
    return std::string();
}

std::string MarkerText(const std::wstring& exe, const std::string& args) {
    return "exe=" + Narrow(exe) + "\r\nargs=" + args + "\r\n";
}

// A stand-in for the card's report and download hand-over.
struct RecordingSink : IToolClickSink {
    std::vector<int> reports;
    std::vector<std::pair<int, IDownLoadSoftCallback*>> downloads;
    bool useTaskRegistry = false;
    void ReportToolClick(int clickType) override { reports.push_back(clickType); }
    int AddDownloadTask(int softid, IDownLoadSoftCallback* callback) override {
        downloads.emplace_back(softid, callback);
        return useTaskRegistry ? IToolClickSink::AddDownloadTask(softid, callback) : 1;
    }
};

// A message-only window that receives the download messages of a stand-in card.
class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraToolLaunchTestSink";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~MessageWindow() {
        MSG msg;
        while (PeekMessageW(&msg, m_hwnd, UM_DOWNLOAD_NOTIFY, UM_DOWNLOAD_NOTIFY, PM_REMOVE))
            FreeNotifyText(reinterpret_cast<wchar_t*>(msg.wParam));
        DestroyWindow(m_hwnd);
    }
    HWND Get() const { return m_hwnd; }

    // The next download message, or false after the time-out.
    bool Next(DownloadNotify& notify, DWORD timeoutMs) {
        for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
            MSG msg;
            if (PeekMessageW(&msg, m_hwnd, UM_DOWNLOAD_NOTIFY, UM_DOWNLOAD_NOTIFY, PM_REMOVE)) {
                wchar_t* text = reinterpret_cast<wchar_t*>(msg.wParam);
                const bool ok = ParseNotifyJson(text, notify);
                FreeNotifyText(text);
                return ok;
            }
            Sleep(20);
        }
        return false;
    }

private:
    HWND m_hwnd = nullptr;
};

struct StandInCard : IDownLoadSoftCallback {
    HWND hwnd = nullptr;
    void OnProgress(int, int) override {}
    void OnState(int) override {}
    void OnFinish(int, const std::wstring&) override {}
    HWND GetHwnd() override { return hwnd; }
};

const std::wstring kRegPath = L"SOFTWARE\\VelmoraTest\\ToolLaunch" + std::to_wstring(GetCurrentProcessId());
const std::wstring kRegPath32 =
    L"SOFTWARE\\Wow6432Node\\VelmoraTest\\ToolLaunch" + std::to_wstring(GetCurrentProcessId());

// Soft 1: check files a.exe and sub\b.dll; soft 2: none; soft 3: an archive from a port nothing listens on. All
// point at HKLM kRegPath "InstallDir". Table 1: card 1 (soft 1, runs a.exe), card 2 (soft 2, runs run.exe),
// card 3 (soft 99, no entry), card 4 (softid 0: a plain command), card 5 (soft 3). Banners for softs 1 and 2.
std::string CatalogJson(const std::wstring& plainCommand, const std::wstring& downloadName) {
    const std::string reg =
        "\"regRoot\": \"HKEY_LOCAL_MACHINE\", \"regPath\": " + Json(kRegPath) + ", \"regkey\": \"InstallDir\"";
    return "{\"softlist\": ["
           "{\"softid\": 1, \"type\": 1, \"config\": \"http://127.0.0.1:9/a.exe\", " +
           reg +
           ", \"checkFile\": [{\"name\": \"a.exe\"}, {\"name\": \"sub\\\\b.dll\"}]},"
           "{\"softid\": 2, \"type\": 3, \"config\": \"http://127.0.0.1:9/b.zip\", " +
           reg +
           "},"
           "{\"softid\": 3, \"type\": 3, \"config\": \"http://127.0.0.1:9/c.zip\", " +
           reg +
           ", \"checkFile\": [{\"name\": \"never.exe\"}]}"
           "],"
           "\"table\": [{\"id\": 1, \"title\": \"t\", \"softlist\": ["
           "{\"itemid\": 1, \"softid\": 1, \"name\": \"A\", \"runfilename\": \"a.exe\", \"runcmd\": \"/card \\\"two "
           "words\\\"\","
           " \"downloadfilename\": " +
           Json(downloadName) +
           ", \"installcmd\": \"/S /card\"},"
           "{\"itemid\": 2, \"softid\": 2, \"name\": \"B\", \"runfilename\": \"bin\\\\run.exe\", \"runcmd\": "
           "\"/archive\"},"
           "{\"itemid\": 3, \"softid\": 99, \"name\": \"C\", \"runfilename\": \"c.exe\"},"
           "{\"itemid\": 4, \"softid\": 0, \"name\": \"D\", \"runfilename\": " +
           Json(plainCommand) +
           "},"
           "{\"itemid\": 5, \"softid\": 3, \"name\": \"E\", \"runfilename\": \"e.exe\"}"
           "]}],"
           "\"bannerList\": ["
           "{\"softid\": 1, \"title\": \"b1\", \"runfilename\": \"a.exe\", \"runcmd\": \"/banner\", \"installcmd\": "
           "\"/S /banner\"},"
           "{\"softid\": 2, \"title\": \"b2\", \"runfilename\": \"bin\\\\run.exe\", \"runcmd\": \"/archive\"}"
           "]}";
}

class ToolLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_downloadName = L"velmora_setup_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_tempCopy = std::wstring(temp) + m_downloadName;
        CleanTemp();
        ASSERT_TRUE(Load(m_catalog));
        ASSERT_TRUE(m_regValue.SetString(m_toolDir));
    }
    void TearDown() override { CleanTemp(); }
    void CleanTemp() {
        DeleteFileW(m_tempCopy.c_str());
        DeleteFileW((m_tempCopy + L".marker.txt").c_str());
    }
    bool Load(SoftCatalog& catalog) {
        const std::string image = PackCatalogFile(CatalogJson(m_scratch / L"plain.exe", m_downloadName));
        return catalog.LoadFromImage(reinterpret_cast<const unsigned char*>(image.data()), image.size());
    }
    // The marker tool copied to a place in the scratch folder, made with its folders.
    void PlaceTool(const std::wstring& relative) {
        const std::wstring path = m_scratch / relative;
        CreateDirTree(path.substr(0, path.find_last_of(L'\\')));
        ASSERT_TRUE(CopyFileW(MarkerTool().c_str(), path.c_str(), FALSE)) << Narrow(path);
    }
    static void CreateDirTree(const std::wstring& dir) {
        for (size_t i = 3; i <= dir.size(); ++i) {
            if (i == dir.size() || dir[i] == L'\\') CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
        }
    }

    wintest::TempFolder m_scratch{L"launch"};
    std::wstring m_toolDir = m_scratch / L"tool";  // as an installer writes it: no trailing backslash
    wintest::ScratchRegistryValue m_regValue{HKEY_LOCAL_MACHINE, kRegPath, L"InstallDir"};
    SoftCatalog m_catalog;
    std::wstring m_downloadName, m_tempCopy;
};

TEST(ToolRegistryDir, SixtyFourBitViewFirstThenThirtyTwoBitView) {
    struct Case {
        const wchar_t* root;
        const wchar_t* value64;  // null: no value in that view
        const wchar_t* value32;
        const wchar_t* expected;  // null: neither view answers
    } const cases[] = {
        {L"HKEY_LOCAL_MACHINE", L"C:\\Tools\\X64", nullptr, L"C:\\Tools\\X64\\"},
        {L"HKEY_LOCAL_MACHINE", nullptr, L"C:\\Tools\\X32", L"C:\\Tools\\X32\\"},
        {L"HKEY_LOCAL_MACHINE", L"C:\\Tools\\X64\\", L"C:\\Tools\\X32", L"C:\\Tools\\X64\\"},
        {L"hkey_local_machine", nullptr, L"D:\\Lower", L"D:\\Lower\\"},
        {L"HKEY_LOCAL_MACHINE", L"", L"C:\\Tools\\X32", L"C:\\Tools\\X32\\"},  // empty is not a folder
        {L"HKLM", L"C:\\Tools\\X64", L"C:\\Tools\\X32", nullptr},
    };
    for (const Case& c : cases) {
        wintest::ScratchRegistryValue v64(HKEY_LOCAL_MACHINE, kRegPath, L"Dir");
        wintest::ScratchRegistryValue v32(HKEY_LOCAL_MACHINE, kRegPath32, L"Dir");
        if (c.value64) {
            ASSERT_TRUE(v64.SetString(c.value64));
        }
        if (c.value32) {
            ASSERT_TRUE(v32.SetString(c.value32));
        }
        SoftEntry soft;
        soft.regRoot = c.root;
        soft.regPath = kRegPath;
        soft.regkey = L"Dir";
        std::wstring dir;
        const bool read =
            ReadToolRegistryDir(soft, ToolRegView::k64, dir) || ReadToolRegistryDir(soft, ToolRegView::k32, dir);
        EXPECT_EQ(read, c.expected != nullptr) << Narrow(c.root);
        if (c.expected) {
            EXPECT_EQ(ResolveToolDir(soft), c.expected);
        }
    }

    // The current user's key, its root written in any letter case.
    wintest::ScratchRegistryValue user(HKEY_CURRENT_USER, L"Software\\VelmoraTest\\ToolLaunchUser", L"Dir");
    ASSERT_TRUE(user.SetString(L"C:\\User Tools\\Y"));
    SoftEntry soft;
    soft.regRoot = L"HKEY_Current_User";
    soft.regPath = L"Software\\VelmoraTest\\ToolLaunchUser";
    soft.regkey = L"Dir";
    EXPECT_EQ(ResolveToolDir(soft), L"C:\\User Tools\\Y\\");
}

TEST_F(ToolLaunchTest, PresenceFollowsTheCheckFilesInTheRegisteredFolder) {
    struct Case {
        bool banner;
        int itemId;  // cards
        int softid;
        std::vector<const wchar_t*> files;  // made in the tool folder first
        bool present;
        bool remembers;
    } const cases[] = {
        {false, 1, 1, {L"a.exe", L"sub\\b.dll"}, true, true},
        {false, 1, 1, {L"a.exe"}, false, true},
        {false, 1, 1, {}, false, true},
        {true, 0, 1, {L"a.exe", L"sub\\b.dll"}, true, true},
        {true, 0, 1, {L"sub\\b.dll"}, false, true},
        {true, 0, 2, {L"bin\\run.exe"}, false, true},  // a banner without check files always downloads
        {false, 2, 2, {L"bin\\run.exe"}, true, true},  // a card without check files looks for what it runs
        {false, 2, 2, {}, false, true},
        {false, 3, 99, {}, true, false},  // no soft entry: nothing to fetch
    };
    for (const Case& c : cases) {
        wintest::RemoveTree(m_toolDir);
        for (const wchar_t* file : c.files) {
            const std::wstring path = m_toolDir + L"\\" + file;
            CreateDirTree(path.substr(0, path.find_last_of(L'\\')));
            ASSERT_TRUE(wintest::WriteWholeFile(path, "x"));
        }
        CToolLauncher launcher = c.banner ? CToolLauncher::ForBanner(c.softid, &m_catalog)
                                          : CToolLauncher::ForCard(1, c.itemId, c.softid, &m_catalog);
        EXPECT_EQ(launcher.IsToolPresent(), c.present) << c.banner << " " << c.softid << " " << c.files.size();
        EXPECT_EQ(launcher.GetToolDir(), c.remembers ? m_toolDir + L"\\" : L"");
    }
}

TEST_F(ToolLaunchTest, ClickStartsAPresentToolAndHandsAnAbsentOneToTheDownloads) {
    PlaceTool(L"tool\\a.exe");
    CToolLauncher card = CToolLauncher::ForCard(1, 1, 1, &m_catalog);
    StandInCard callback;
    RecordingSink sink;

    // sub\b.dll missing: absent, so reported with click type 1 and handed over with the card as callback.
    card.OnToolClicked(sink, &callback);
    EXPECT_EQ(sink.reports, std::vector<int>{1});
    ASSERT_EQ(sink.downloads.size(), 1u);
    EXPECT_EQ(sink.downloads[0].first, 1);
    EXPECT_EQ(sink.downloads[0].second, &callback);
    EXPECT_FALSE(wintest::FileExists(m_toolDir + L"\\a.exe.marker.txt"));

    ASSERT_TRUE(CreateDirectoryW((m_toolDir + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(wintest::WriteWholeFile(m_toolDir + L"\\sub\\b.dll", "dll"));
    card.OnToolClicked(sink, &callback);
    EXPECT_EQ(sink.reports, (std::vector<int>{1, 2}));
    EXPECT_EQ(sink.downloads.size(), 1u);
    const std::wstring exe = m_toolDir + L"\\a.exe";
    EXPECT_EQ(WaitForMarker(exe), MarkerText(exe, "/card \"two words\""));

    // The banner of the same tool starts the same program with its own command.
    DeleteFileW((exe + L".marker.txt").c_str());
    CToolLauncher banner = CToolLauncher::ForBanner(1, &m_catalog);
    banner.OnToolClicked(sink, &callback);
    EXPECT_EQ(sink.reports, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(WaitForMarker(exe), MarkerText(exe, "/banner"));
}

TEST_F(ToolLaunchTest, APlainCommandCardStartsItsCommandWithoutReport) {
    PlaceTool(L"plain.exe");
    RecordingSink sink;
    StandInCard callback;
    CToolLauncher::ForCard(1, 4, 0, &m_catalog).OnToolClicked(sink, &callback);
    const std::wstring exe = m_scratch / L"plain.exe";
    EXPECT_EQ(WaitForMarker(exe), MarkerText(exe, ""));
    EXPECT_TRUE(sink.reports.empty());
    EXPECT_TRUE(sink.downloads.empty());

    // Without a soft entry the card counts as present but has no folder: reported, nothing started.
    CToolLauncher noEntry = CToolLauncher::ForCard(1, 3, 99, &m_catalog);
    noEntry.OnToolClicked(sink, &callback);
    EXPECT_EQ(sink.reports, std::vector<int>{2});
    EXPECT_FALSE(noEntry.LaunchTool());
}

TEST_F(ToolLaunchTest, AnAbsentToolReachesTheTaskRegistryAndItsMessagesTheCardsWindow) {
    // The registry looks entries up in the process-wide catalogue.
    ASSERT_TRUE(Load(SoftCatalog::Instance()));
    MessageWindow window;
    ASSERT_TRUE(window.Get());
    StandInCard callback;
    callback.hwnd = window.Get();
    RecordingSink sink;
    sink.useTaskRegistry = true;

    CToolLauncher card = CToolLauncher::ForCard(1, 5, 3, &m_catalog);
    card.OnToolClicked(sink, &callback);
    EXPECT_EQ(sink.reports, std::vector<int>{1});

    // Running, then failed: nothing listens on the package's port.
    std::vector<int> states;
    DownloadNotify notify;
    while (window.Next(notify, 20000)) {
        EXPECT_EQ(notify.callback, CallbackAddress(&callback));
        if (notify.msgtype == kMsgState) states.push_back(notify.state);
        if (notify.state == kDownloadFailed) break;
    }
    // State 1 answers the hand-over and is sent again when the worker starts.
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states.front(), kDownloadRunning);
    EXPECT_EQ(states.back(), kDownloadFailed);
    for (int i = 0; i < 200 && CDownLoadTaskMgr::Instance().GetTaskCount() != 0; ++i) Sleep(50);
    EXPECT_EQ(CDownLoadTaskMgr::Instance().GetTaskCount(), 0);
}

TEST_F(ToolLaunchTest, AFinishedInstallerRunsFromATempCopyUnlessOneIsThere) {
    PlaceTool(L"dl\\setup.exe");
    const std::wstring downloaded = m_scratch / L"dl\\setup.exe";
    CToolLauncher card = CToolLauncher::ForCard(1, 1, 1, &m_catalog);

    EXPECT_TRUE(card.OnFinish(1, downloaded));
    EXPECT_EQ(WaitForMarker(m_tempCopy), MarkerText(m_tempCopy, "/S /card"));
    CleanTemp();

    // A file of that name already in the temporary folder is not overwritten: the download itself runs.
    ASSERT_TRUE(wintest::WriteWholeFile(m_tempCopy, "someone else's file"));
    EXPECT_TRUE(card.OnFinish(1, downloaded));
    EXPECT_EQ(WaitForMarker(downloaded), MarkerText(downloaded, "/S /card"));
    EXPECT_EQ(ReadBytes(m_tempCopy), "someone else's file");
    EXPECT_FALSE(wintest::FileExists(m_tempCopy + L".marker.txt"));

    // A banner runs the download where it lies.
    DeleteFileW((downloaded + L".marker.txt").c_str());
    EXPECT_TRUE(CToolLauncher::ForBanner(1, &m_catalog).OnFinish(1, downloaded));
    EXPECT_EQ(WaitForMarker(downloaded), MarkerText(downloaded, "/S /banner"));
}

TEST_F(ToolLaunchTest, AFinishedArchiveIsUnpackedIntoANewFolderAndStartedOnlyWhenWhole) {
    const std::string tool = ReadBytes(MarkerTool());
    ASSERT_FALSE(tool.empty());
    const std::wstring archive = m_scratch / L"tool.zip";
    const std::wstring exe = m_toolDir + L"\\bin\\run.exe";

    // A damaged data file: run.exe comes out, but the tool is incomplete and is not started.
    ziptest::Entry damaged = ziptest::File("data/table.bin", ziptest::SampleText(5000), true);
    damaged.wrongCrc = true;
    ASSERT_TRUE(wintest::WriteWholeFile(archive, ziptest::Build({ziptest::File("run.exe", tool, true), damaged})));
    for (bool banner : {false, true}) {
        CToolLauncher launcher =
            banner ? CToolLauncher::ForBanner(2, &m_catalog) : CToolLauncher::ForCard(1, 2, 2, &m_catalog);
        EXPECT_FALSE(launcher.IsToolPresent());  // remembers the folder, which does not exist yet
        EXPECT_FALSE(launcher.OnFinish(3, archive));
        EXPECT_FALSE(wintest::FileExists(m_toolDir + L"\\bin\\data\\table.bin"));
    }

    wintest::RemoveTree(m_toolDir);
    ASSERT_TRUE(wintest::WriteWholeFile(
        archive, ziptest::Build({ziptest::File("run.exe", tool, true), ziptest::File("data/table.bin", "table", true),
                                 ziptest::File("empty.cfg", "")})));
    CToolLauncher card = CToolLauncher::ForCard(1, 2, 2, &m_catalog);
    EXPECT_FALSE(card.IsToolPresent());
    EXPECT_TRUE(card.OnFinish(4, archive));
    EXPECT_EQ(WaitForMarker(exe), MarkerText(exe, "/archive"));
    EXPECT_EQ(ReadBytes(m_toolDir + L"\\bin\\data\\table.bin"), "table");
    EXPECT_TRUE(wintest::FileExists(m_toolDir + L"\\bin\\empty.cfg"));
    EXPECT_TRUE(card.IsToolPresent());

    // A file set is already in place: it is only started.
    DeleteFileW((exe + L".marker.txt").c_str());
    EXPECT_TRUE(card.OnFinish(2, L""));
    EXPECT_EQ(WaitForMarker(exe), MarkerText(exe, "/archive"));

    // Without a remembered folder nothing is unpacked or started.
    CToolLauncher fresh = CToolLauncher::ForCard(1, 2, 2, &m_catalog);
    EXPECT_FALSE(fresh.OnFinish(3, archive));
    EXPECT_FALSE(fresh.OnFinish(2, L""));
}

}  // namespace
