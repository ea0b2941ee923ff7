// DownloadUrl of a 200 MB file from the local content server into a file sink, against a bare libcurl program
// under the same Wine (bench_download_curl) and the host's own curl command. Prints medians and ratios.
// Usage (under Wine): bench_download [megabytes] [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "download/DownloadTestSupport_win.h"
#include "download/KHttpRequest.h"

namespace {

double Now() {
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    return 1000.0 * now.QuadPart / freq.QuadPart;
}

// Runs a command, answers its wall time and what it printed.
double RunTimed(std::wstring cmd, std::string& output) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const double start = Now();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return -1;
    }
    CloseHandle(writeEnd);
    char buffer[256];
    DWORD got = 0;
    output.clear();
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) output.append(buffer, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double spent = Now() - start;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(readEnd);
    return spent;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const long long megabytes = argc > 1 ? _wtoi(argv[1]) : 200;
    const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
    const long long size = megabytes * 1024 * 1024;

    dltest::ContentServer server;
    if (!server.IsUp()) {
        std::fprintf(stderr, "content server did not start\n");
        return 1;
    }
    if (!server.Put(L"bench.bin", dltest::PatternBytes(static_cast<size_t>(size), 11))) return 1;
    const std::wstring url = server.Url(L"/bench.bin");
    const std::string narrowUrl = dltest::ContentServer::Narrow(url);

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring oursPath = std::wstring(temp) + L"velmora_bench_ours.bin";
    const std::wstring barePath = std::wstring(temp) + L"velmora_bench_bare.bin";
    const std::string nativeOut = "/tmp/velmora_bench_native_" + std::to_string(GetCurrentProcessId()) + ".bin";

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring bare = self;
    bare = bare.substr(0, bare.find_last_of(L'\\') + 1) + L"bench_download_curl.exe";

    std::vector<double> ours, bareTimes, native;
    bool sizesOk = true;
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the page cache and is not counted
        const double start = Now();
        CDownLoadToFile file(oursPath, nullptr);
        const bool ok = DownloadUrl(url, false, &file);
        const double spentOurs = Now() - start;
        sizesOk = sizesOk && ok && FileSize(oursPath) == size;

        std::string printed;
        std::wstring cmd = L"\"" + bare + L"\" " + url + L" \"" + barePath + L"\"";
        RunTimed(cmd, printed);
        const double spentBare = atof(printed.c_str());
        sizesOk = sizesOk && FileSize(barePath) == size;

        // Wine neither waits for a host process nor hands it our pipe: curl reports its own time into a file,
        // which appears whole (renamed) when it is done.
        const std::string timeFile = nativeOut + ".time";
        DeleteFileW(dltest::ZPath(timeFile).c_str());
        const std::wstring curlCmd = L"Z:\\bin\\sh -c \"curl -s -w %{time_total} -o " +
                                     dltest::ContentServer::Widen(nativeOut + " " + narrowUrl + " > " + timeFile +
                                                                  ".part && mv " + timeFile + ".part " + timeFile) +
                                     L"\"";
        RunTimed(curlCmd, printed);
        double spentNative = -1;
        for (int i = 0; i < 6000 && spentNative < 0; ++i) {
            if (dltest::ReadWholeFile(dltest::ZPath(timeFile), printed))
                spentNative = 1000.0 * atof(printed.c_str());
            else
                Sleep(20);
        }
        DeleteFileW(dltest::ZPath(timeFile).c_str());
        sizesOk = sizesOk && FileSize(dltest::ZPath(nativeOut)) == size;

        if (run == 0) continue;
        ours.push_back(spentOurs);
        bareTimes.push_back(spentBare);
        native.push_back(spentNative);
        std::printf("run %d: DownloadUrl %.0f ms, bare libcurl %.0f ms, native curl %.0f ms\n", run, spentOurs,
                    spentBare, spentNative);
    }
    DeleteFileW(oursPath.c_str());
    DeleteFileW(barePath.c_str());
    DeleteFileW(dltest::ZPath(nativeOut).c_str());

    const double mOurs = Median(ours), mBare = Median(bareTimes), mNative = Median(native);
    const double mb = static_cast<double>(size) / (1024 * 1024);
    std::printf("\n%lld MB over loopback, median of %d runs%s\n", megabytes, runs, sizesOk ? "" : " (SIZE MISMATCH)");
    std::printf("  DownloadUrl -> CDownLoadToFile (Wine): %8.0f ms  %7.1f MB/s\n", mOurs, mb * 1000 / mOurs);
    std::printf("  bare libcurl, defaults (Wine):         %8.0f ms  %7.1f MB/s\n", mBare, mb * 1000 / mBare);
    std::printf("  native curl command (host):            %8.0f ms  %7.1f MB/s\n", mNative, mb * 1000 / mNative);
    std::printf("  ratio bare/ours (speed of ours vs the stack's limit, goal >= 0.9): %.2f\n", mBare / mOurs);
    std::printf("  ratio native/ours (vs the machine's limit):                        %.2f\n", mNative / mOurs);
    return sizesOk ? 0 : 1;
}
