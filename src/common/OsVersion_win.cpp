#include <windows.h>

#include <atomic>
#include <string>

#include "common/MachineFacts.h"
#include "common/OsVersion.h"

namespace {

ReportedOsVersion AskGetVersionEx() {
    ReportedOsVersion reported;
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof(ex);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) {
        reported.answered = true;
        reported.productType = ex.wProductType;
    } else {
        // Systems older than NT 4 SP6 know only the basic structure.
        ex = {};
        ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) return reported;
        reported.answered = true;
    }
    reported.platformId = ex.dwPlatformId;
    reported.major = ex.dwMajorVersion;
    reported.minor = ex.dwMinorVersion;
    reported.build = ex.dwBuildNumber;
    return reported;
}

TrueOsVersion AskTrueVersion() {
    TrueOsVersion v;
    if (GetNtVersionNumbers(v.major, v.minor, v.build)) return v;

    // The kernel's own file version does not lie either; its build is not used.
    v = {};
    wchar_t systemDir[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(systemDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return v;
    std::wstring kernel(systemDir, length);
    if (kernel.back() != L'\\') kernel += L'\\';
    kernel += L"ntoskrnl.exe";
    unsigned long high = 0, low = 0;
    if (GetFileVersion(kernel, high, low)) {
        v.major = HIWORD(high);
        v.minor = LOWORD(high);
    }
    return v;
}

}  // namespace

int GetOsVersionCode() {
    // Racing threads compute the same value; 0 stays uncached so that a later call tries again.
    static std::atomic<int> cached{0};
    int code = cached.load(std::memory_order_relaxed);
    if (code != 0) return code;
    const ReportedOsVersion reported = AskGetVersionEx();
    const TrueOsVersion trueVersion = NeedsTrueOsVersion(reported) ? AskTrueVersion() : TrueOsVersion{};
    code = ClassifyOsVersion(reported, trueVersion);
    if (code != 0) cached.store(code, std::memory_order_relaxed);
    return code;
}
