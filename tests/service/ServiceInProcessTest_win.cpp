// The service's parts driven inside the test process: the log's lock, the ticking thread's stop, RunProcess's
// refusals and the IPC library's wire format.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RerizoWire.h"
#include "ServiceTestKit_win.h"
#include "service/CEasyIpcManager.h"
#include "service/CWorkMgr.h"
#include "service/KServiceLog.h"
#include "shell/Paths.h"

using namespace svctest;

namespace {

TEST(ServiceLog, LinesOfManyThreadsStayWholeAndOffWritesNothing) {
    const std::wstring path = GetExeDir() + L"service_log_threads.txt";
    DeleteFileW(path.c_str());
    {
        KServiceLog off(path, false);
        off.Line(L"nothing");
        EXPECT_FALSE(FileExists(path));
    }
    {
        KServiceLog log(path, true);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < 200; ++i) log.Line(L"thread ", t, L" line ", i, L" end");
            });
        }
        for (auto& thread : threads) thread.join();
    }
    const std::string text = ReadWholeFile(path);
    size_t lines = 0;
    for (size_t start = text.find("\r\n20"); start != std::string::npos; start = text.find("\r\n20", start + 1)) {
        const size_t end = text.find("\r\n", start + 2);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start + 2, end - start - 2);
        EXPECT_EQ(line.find("thread "), 27u) << line;
        EXPECT_EQ(line.rfind(" end"), line.size() - 4) << line;
        ++lines;
    }
    EXPECT_EQ(lines, 800u);
    DeleteFileW(path.c_str());
}

class CountingWorker : public IWorker {
public:
    explicit CountingWorker(std::atomic<int>& ticks) : m_ticks(ticks) {}
    int Begin() override { return 1; }
    void End() override {}
    void SetExePath(const std::wstring&) override {}
    void SetParams(const std::wstring&) override {}
    void SetFirstDelay(uint32_t) override {}
    void SetInterval(uint32_t) override {}
    int Tick() override { return ++m_ticks; }

private:
    std::atomic<int>& m_ticks;
};

TEST(WorkMgr, TicksAddedWorkersAndStopsWithinAStep) {
    std::atomic<int> ticks{0};
    CWorkMgr manager;
    ASSERT_TRUE(manager.StartThread());
    manager.AddWorker(std::make_unique<CountingWorker>(ticks));
    manager.AddWorker(std::make_unique<CountingWorker>(ticks));
    // The first pass may come before the workers were added; the one five seconds later sees both.
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 2; }, 8000));
    Sleep(300);  // well inside the five-second pause
    const DWORD before = GetTickCount();
    manager.Stop();
    EXPECT_LT(GetTickCount() - before, 400u);
    EXPECT_EQ(manager.WorkerCount(), 0u);
    const int seen = ticks;
    Sleep(200);
    EXPECT_EQ(ticks, seen);
}

TEST(WorkMgr, StartAddsTheTwoScheduledPrograms) {
    struct NoLaunchClock : SystemWorkerClock {};
    NoLaunchClock clock;
    std::vector<std::wstring> launched;
    CWorkMgr manager(&clock, [&](const std::wstring& exe, const std::wstring& params) {
        launched.push_back(exe + params);
        return true;
    });
    EXPECT_TRUE(manager.Start(L"C:\\svc\\"));
    EXPECT_EQ(manager.WorkerCount(), 2u);
    manager.Stop();
    EXPECT_TRUE(launched.empty());  // nothing is due in the first minute
}

// A request object the way the library hands one over.
class FakeRequest final : public easyipc::IEasyIpcParam {
public:
    std::vector<std::pair<std::wstring, std::wstring>> values;
    void Release() override {}
    void SetValue(const wchar_t* k, const wchar_t* v) override { values.emplace_back(k, v); }
    int GetCount() override { return static_cast<int>(values.size()); }
    const wchar_t* GetKeyAt(int i) override { return values[i].first.c_str(); }
    const wchar_t* GetValueAt(int i) override { return values[i].second.c_str(); }
    void Clear() override { values.clear(); }
    const wchar_t* GetValue(const wchar_t* key, const wchar_t* def) override {
        for (auto& v : values) {
            if (v.first == key) return v.second.c_str();
        }
        return def;
    }
};

TEST(RunProcess, RefusalsNeedNoLaunch) {
    const std::wstring dir = GetExeDir() + L"runprocess dir\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW((dir + L"sub").c_str(), nullptr);
    // A file beside the folder, reachable only by stepping out of it.
    const std::wstring outside = GetExeDir() + L"runprocess dir-outside.exe";
    CloseHandle(CreateFileW(outside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    CEasyIpcManager manager;
    manager.SetServiceDir(dir);
    EXPECT_EQ(manager.RunProcess(nullptr, nullptr), kRunNoRequest);

    struct Case {
        std::wstring exe, fullpath;
        int expected;
    } cases[] = {
        {L"..\\runprocess dir-outside.exe", L"", kRunBadExePath},
        {L"sub/../../runprocess dir-outside.exe", L"", kRunBadExePath},
        {L"..", L"", kRunBadExePath},  // the parent folder itself
        {L"sub\\..", L"", kRunBadExePath},
        {L"missing.exe", L"", kRunNoFile},
        {L"", L"", kRunNoFile},
        {L"", dir + L"missing.exe", kRunNoFile},
        {L"missing.exe", outside, kRunNoFile},  // "exe" wins over the full path
    };
    for (const Case& c : cases) {
        FakeRequest request;
        request.SetValue(L"exe", c.exe.c_str());
        if (!c.fullpath.empty()) request.SetValue(L"fullpathexe", c.fullpath.c_str());
        EXPECT_EQ(manager.RunProcess(&request, nullptr), c.expected) << c.exe;
    }
    DeleteFileW(outside.c_str());
}

TEST(RerizoWire, RequestsRoundTripAndMalformedOnesAreRefused) {
    rerizo::WireRequest request;
    request.interfaceName = u"IDmIpcServer";
    request.methodName = u"RunProcess";
    request.values = {{u"exe", u"update.exe"}, {u"cmd", u""}, {u"k\u7ef4", u"v"}};
    const std::vector<uint8_t> bytes = rerizo::EncodeRequest(request);
    rerizo::WireRequest back;
    ASSERT_TRUE(rerizo::DecodeRequest(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.interfaceName, request.interfaceName);
    EXPECT_EQ(back.methodName, request.methodName);
    EXPECT_EQ(back.values, request.values);

    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = bytes;
        b[at] = value;
        return b;
    };
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        std::vector<uint8_t>(bytes.begin(), bytes.end() - 1),  // cut short
        longer,                                                // bytes left over
        patched(0, 'X'),                                       // magic
        patched(4, 3),                                         // odd number of texts
        patched(4, 0xFF),                                      // more texts than bytes
        patched(8, 0xFF),                                      // a text longer than the message
        patched(11, 0x80),                                     // a length near 2^31
        std::vector<uint8_t>(rerizo::kMaxMessageBytes + 1, 0),
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        rerizo::WireRequest out;
        EXPECT_FALSE(rerizo::DecodeRequest(bad[i].data(), bad[i].size(), out)) << i;
    }

    rerizo::WireAnswer answer{0, -3};
    const std::vector<uint8_t> a = rerizo::EncodeAnswer(answer);
    rerizo::WireAnswer answerBack;
    ASSERT_TRUE(rerizo::DecodeAnswer(a.data(), a.size(), answerBack));
    EXPECT_EQ(answerBack.result, -3);
    EXPECT_FALSE(rerizo::DecodeAnswer(a.data(), a.size() - 1, answerBack));
}

}  // namespace
