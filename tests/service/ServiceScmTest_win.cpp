// The service program under Wine's real service control manager. Every test removes the service at its end,
// also when it fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ServiceTestKit_win.h"
#include "shell/Paths.h"

using namespace svctest;

namespace {

size_t CountOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

class ServiceHost : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveServiceCompletely();
        m_dir = GetExeDir() + L"svc root\\";  // a space in the path: the installed path must be quoted
        ASSERT_TRUE(PrepareServiceDir(m_dir, true));
        SetLogSwitch(REG_DWORD, 1);
        ASSERT_TRUE(EnsureUserShellRunning());
    }
    void TearDown() override {
        RemoveServiceCompletely();
        SetLogSwitch(0, 0);
    }

    DWORD RunService(const wchar_t* args) { return RunProgram(L"\"" + m_dir + L"velmorasvc.exe\" " + args); }
    std::string Log() { return ReadWholeFile(m_dir + L"log\\tarnwickservice.exe.log.txt"); }
    bool WaitForState(DWORD wanted, DWORD timeoutMs = 15000) {
        DWORD state = 0, exitCode = 0;
        return WaitUntil([&] { return QueryService(state, exitCode) && state == wanted; }, timeoutMs);
    }
    bool WaitForLog(const char* text, DWORD timeoutMs = 15000) {
        return WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeoutMs);
    }

    std::wstring m_dir;
};

TEST_F(ServiceHost, InstallStartStopAndUninstall) {
    ASSERT_EQ(RunService(L"-install"), 0u);
    ASSERT_TRUE(ServiceExists());
    EXPECT_EQ(ServiceBinaryPath(), L"\"" + m_dir + L"velmorasvc.exe\"");
    DWORD state = 0, exitCode = 0;
    ASSERT_TRUE(QueryService(state, exitCode));
    EXPECT_EQ(state, static_cast<DWORD>(SERVICE_STOPPED));

    // Installing again, even with the start flag, does nothing.
    EXPECT_EQ(RunService(L"-INSTALL -start"), 0u);
    ASSERT_TRUE(QueryService(state, exitCode));
    EXPECT_EQ(state, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(CountOf(Log(), "CNTService::Install:EVMSG_INSTALLED:m_szServiceNameKMerrowSerivce"), 1u);

    // "-start" from a console starts the service, then fails to become a dispatcher itself.
    EXPECT_EQ(RunService(L"-start"), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    EXPECT_NE(Log().find("CNTService::StartService:Error=1063"), std::string::npos);
    ASSERT_TRUE(WaitForLog("CNTService::Run:start"));
    // The crash monitor was opened by the service with the installation id (the default here).
    EXPECT_TRUE(
        WaitUntil([&] { return ReadWholeFile(m_dir + L"orrin_crash.log").find(" 1 ") != std::string::npos; }, 5000));
    EXPECT_NE(ReadWholeFile(m_dir + L"orrin_crash.log").find(" 73728 300"), std::string::npos);

    ASSERT_TRUE(StopService());
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    ASSERT_TRUE(WaitForLog("CNTService::ServiceMain: end"));

    // The status sequence: start pending, running, stop pending, stopped after the workers stopped.
    const std::string log = Log();
    const char* sequence[] = {"CNTService::SetStatus:dwState=2",
                              "CNTService::SetStatus:dwState=4",
                              "CNTService::Initialize end Succsess",
                              "CNTService::HandlerControlCode:dwOpcode=1",
                              "CNTService::SetStatus:dwState=3",
                              "CNTService::OnStop",
                              "CNTService::Run:end",
                              "CWorkMgr Stop Begin",
                              "CWorkMgr Stop End",
                              "CNTService::OnUninit",
                              "CNTService::SetStatus:dwState=1",
                              "CNTService::ServiceMain: end"};
    size_t at = 0;
    for (const char* step : sequence) {
        at = log.find(step, at);
        ASSERT_NE(at, std::string::npos) << step << "\n" << log;
    }

    // Every line carries the date, time and thread prefix; every opening writes the separator.
    size_t lines = 0;
    for (size_t start = log.find("\r\n20"); start != std::string::npos; start = log.find("\r\n20", start + 1)) {
        const std::string prefix = log.substr(start + 2, 27);
        EXPECT_EQ(prefix[4], '-');
        EXPECT_EQ(prefix.substr(19, 2), "|~");
        EXPECT_EQ(prefix.back(), ' ');
        ++lines;
    }
    EXPECT_GT(lines, 20u);
    EXPECT_EQ(log.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_GE(CountOf(log, std::string(69, '=') + "\r\n\r\n"), 3u);

    EXPECT_EQ(RunService(L"-uninstall"), 0u);
    EXPECT_TRUE(WaitUntil([] { return !ServiceExists(); }, 10000));
    EXPECT_NE(Log().find("CNTService:Uninstall EVMSG_REMOVED"), std::string::npos);
    // Removing what is not there ends at once and quietly.
    const DWORD before = GetTickCount();
    EXPECT_EQ(RunService(L"-u"), 0u);
    EXPECT_LT(GetTickCount() - before, 10000u);
    EXPECT_EQ(CountOf(Log(), "EVMSG_REMOVED"), 1u);
}

TEST_F(ServiceHost, SecondCopyStopsAtOnceWhileTheMutexIsHeld) {
    ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"{5CC421CA-122F-4159-8426-F519ED589CB3}"));
    ASSERT_TRUE(mutex);
    ASSERT_EQ(RunService(L"-i"), 0u);
    // Windows answers success, Wine "no answer in time" (1053) once the start ended in "stopped": both will do.
    StartServiceNow();
    // Not left hanging in "start pending": it reports stopped, saying a copy already runs.
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    DWORD state = 0, exitCode = 0;
    ASSERT_TRUE(QueryService(state, exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    ASSERT_TRUE(WaitForLog("ERROR_ALREADY_EXISTS"));
    EXPECT_EQ(Log().find("CWorkMgr Start begin"), std::string::npos);

    // Once the other copy is gone the service starts normally.
    mutex.Reset();
    ASSERT_TRUE(StartServiceNow());
    EXPECT_TRUE(WaitForState(SERVICE_RUNNING));
}

TEST_F(ServiceHost, RunProcessThroughThePipe) {
    ASSERT_EQ(RunService(L"-install -start"), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));

    const std::wstring call = L"\"" + m_dir + L"rerizo_call.exe\" IDmIpcServer RunProcess ";
    struct Case {
        std::wstring args;
        const char* printed;
        const char* logged;
    } cases[] = {
        {L"exe=update.exe \"cmd=marker-0 /x\"", "0", "CEasyIpcManager::RunProcess success"},
        {L"exe=..\\update.exe cmd=marker-2", "-2", "failed exe path container ../ or ..\\"},
        {L"exe=missing.exe cmd=marker-3", "-3", "failed by exe file not exist"},
        {L"exe= \"fullpathexe=" + m_dir + L"update.exe\" cmd=marker-full", "0", nullptr},
    };
    for (const Case& c : cases) {
        std::string output;
        EXPECT_EQ(RunProgram(call + c.args, 30000, &output), 0u) << output;
        EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), c.printed);
        if (c.logged) {
            EXPECT_NE(Log().find(c.logged), std::string::npos) << c.logged;
        }
    }
    // The started programs left their marker: the quoted path, one space, then "cmd" as given.
    const std::wstring marker = m_dir + L"update.started.txt";
    ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(marker).find("marker-full") != std::string::npos; }, 15000));
    const std::string started = ReadWholeFile(marker);
    EXPECT_NE(started.find("update.exe\" marker-0 /x"), std::string::npos) << started;
    EXPECT_EQ(started.find("marker-2"), std::string::npos);
    EXPECT_EQ(started.find("marker-3"), std::string::npos);

    // Nobody serves the interface once the service stopped.
    ASSERT_TRUE(StopService());
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    std::string output;
    EXPECT_EQ(RunProgram(call + L"exe=update.exe", 30000, &output), 2u);
}

TEST_F(ServiceHost, LogSwitchFolderAndTruncation) {
    const std::wstring logDir = m_dir + L"log";
    const std::wstring logFile = logDir + L"\\tarnwickservice.exe.log.txt";
    struct Case {
        DWORD kind, value;
        bool logs;
    } cases[] = {{REG_DWORD, 1, true}, {REG_DWORD, 0, false}, {REG_SZ, 1, false}, {0, 0, false}};
    for (const Case& c : cases) {
        RemoveDirectoryW(logDir.c_str());
        DeleteFileW(logFile.c_str());
        RemoveDirectoryW(logDir.c_str());
        // A file called "log" makes way for the folder.
        CloseHandle(CreateFileW(logDir.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        SetLogSwitch(c.kind, c.value);
        RunService(L"-s");
        EXPECT_TRUE(GetFileAttributesW(logDir.c_str()) & FILE_ATTRIBUTE_DIRECTORY) << c.kind << "/" << c.value;
        EXPECT_EQ(FileExists(logFile), c.logs) << c.kind << "/" << c.value;
    }

    // At most 10 MiB is appended to; one byte more and the next opening starts afresh.
    SetLogSwitch(REG_DWORD, 1);
    for (DWORD size : {10485760u, 10485761u}) {
        {
            ScopedHandle file(CreateFileW(logFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(file);
            std::string block(1 << 20, 'x');
            DWORD written = 0;
            for (DWORD left = size; left > 0; left -= written) {
                WriteFile(file.Get(), block.data(), left < block.size() ? left : static_cast<DWORD>(block.size()),
                          &written, nullptr);
            }
        }
        RunService(L"-s");
        const std::string log = ReadWholeFile(logFile);
        if (size == 10485760u) {
            EXPECT_GT(log.size(), size);
            EXPECT_EQ(log.compare(size, 69, std::string(69, '=')), 0);
        } else {
            EXPECT_LT(log.size(), 4096u);
            EXPECT_EQ(log.compare(0, 3, "\xEF\xBB\xBF"), 0);
            EXPECT_EQ(log.compare(3, 73, std::string(69, '=') + "\r\n\r\n"), 0);
            EXPECT_NE(log.find("|~"), std::string::npos);
            EXPECT_NE(log.find("_tWinMain:lpCmdLine=-s"), std::string::npos);
        }
    }
}

// Takes a minute: the daily program is due sixty seconds after the service started.
TEST_F(ServiceHost, RealTimeDailyProgramAboutAMinuteAfterStart) {
    ASSERT_EQ(RunService(L"-install -start"), 0u);
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    const DWORD started = GetTickCount();
    const std::wstring record = m_dir + L"velmora.started.txt";
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 90000));
    const DWORD elapsed = GetTickCount() - started;
    EXPECT_GE(elapsed, 58000u);
    EXPECT_LE(elapsed, 75000u);
    EXPECT_NE(ReadWholeFile(record).find("velmora.exe\" /svcactive"), std::string::npos);
    EXPECT_FALSE(FileExists(m_dir + L"update.started.txt"));  // the updater is due only after 30 minutes
}

}  // namespace
