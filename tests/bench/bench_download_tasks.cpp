// Twenty download tasks started at once: all must finish, each must destroy itself, and no thread or handle
// may be left behind. Prints the counts and the time. Usage (under Wine): bench_download_tasks [tasks] [MB each]
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"
#include "download/CDownLoadTask.h"
#include "download/CDownLoadTaskMgr.h"
#include "download/DownloadTestSupport_win.h"

namespace {

int ThreadCount() {
    ScopedHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snap) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snap.Get(), &entry); more; more = Thread32Next(snap.Get(), &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

// Wine answers GetProcessHandleCount with 0, so the table is probed: a value is a handle when the system
// knows its flags.
int HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return static_cast<int>(count);
    int probed = 0;
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        probed += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return probed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int tasks = argc > 1 ? _wtoi(argv[1]) : 20;
    const int megabytes = argc > 2 ? _wtoi(argv[2]) : 5;

    dltest::ContentServer server;
    if (!server.IsUp()) return 1;
    const std::string body = dltest::PatternBytes(static_cast<size_t>(megabytes) * 1024 * 1024, 5);
    std::string json = "{\"softlist\":[";
    for (int i = 0; i < tasks; ++i) {
        const std::wstring name = L"task" + std::to_wstring(i) + L".bin";
        server.Put(name, body);
        if (i > 0) json += ",";
        json += "{\"softid\":" + std::to_string(1000 + i) + ",\"type\":3,\"config\":\"" +
                dltest::ContentServer::Narrow(server.Url(L"/" + name)) + "\"}";
    }
    json += "]}";
    const std::string image = PackCatalogFile(json);
    SoftCatalog::Instance().LoadFromImage(reinterpret_cast<const unsigned char*>(image.data()), image.size());

    dltest::NotifyWindow window;
    std::vector<std::unique_ptr<dltest::RecordingCallback>> cards;
    for (int i = 0; i < tasks; ++i) {
        cards.push_back(std::make_unique<dltest::RecordingCallback>(window.Hwnd()));
        window.Dispatcher().AddSoftCallback(cards.back().get());
    }
    // One download first, so libcurl's and Winsock's own lasting threads and handles are counted as the baseline.
    {
        std::string warmUp;
        CDownLoadToMemFile sink(warmUp);
        DownloadUrl(server.Url(L"/task0.bin"), false, &sink);
    }
    window.Drain();
    const int threadsBefore = ThreadCount();
    const int handlesBefore = HandleCount();

    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    int accepted = 0;
    for (int i = 0; i < tasks; ++i) accepted += CDownLoadTaskMgr::Instance().AddTask(1000 + i, cards[i].get());
    const int liveAtStart = CDownLoadTaskBase::LiveCount();
    int peakThreads = ThreadCount();
    window.PumpUntil(
        [&] {
            const int now = ThreadCount();
            if (now > peakThreads) peakThreads = now;
            return CDownLoadTaskBase::LiveCount() == 0;
        },
        120000);
    window.Drain();
    QueryPerformanceCounter(&end);
    // A worker's thread object goes away a moment after its last instruction.
    for (int i = 0; i < 50 && ThreadCount() > threadsBefore; ++i) Sleep(20);

    int finished = 0, wholeFiles = 0;
    for (const auto& card : cards) {
        if (!card->Saw("finish 3")) continue;
        ++finished;
        std::string got;
        if (dltest::ReadWholeFile(card->finishedPath, got) && got == body) ++wholeFiles;
        DeleteFileW(card->finishedPath.c_str());
    }
    const int threadsAfter = ThreadCount();
    const int handlesAfter = HandleCount();
    const double ms = 1000.0 * (end.QuadPart - start.QuadPart) / freq.QuadPart;

    std::printf("%d tasks of %d MB at once: %.0f ms\n", tasks, megabytes, ms);
    std::printf("  accepted by AddTask:        %d / %d\n", accepted, tasks);
    std::printf("  tasks alive after AddTask:  %d\n", liveAtStart);
    std::printf("  finished (state 2 + file):  %d / %d, whole files %d\n", finished, tasks, wholeFiles);
    std::printf("  tasks alive at the end:     %d (destroyed themselves: %d)\n", CDownLoadTaskBase::LiveCount(),
                liveAtStart - CDownLoadTaskBase::LiveCount());
    std::printf("  registered at the end:      %d\n", CDownLoadTaskMgr::Instance().GetTaskCount());
    std::printf("  threads: before %d, peak %d, after %d (left: %d)\n", threadsBefore, peakThreads, threadsAfter,
                threadsAfter - threadsBefore);
    std::printf("  handles: before %d, after %d (left: %d)\n", handlesBefore, handlesAfter,
                handlesAfter - handlesBefore);
    const bool ok = accepted == tasks && finished == tasks && wholeFiles == tasks &&
                    CDownLoadTaskBase::LiveCount() == 0 && threadsAfter <= threadsBefore &&
                    handlesAfter <= handlesBefore;
    std::printf("  %s\n", ok ? "OK" : "PROBLEM");
    return ok ? 0 : 1;
}
