#include <windows.h>

#include <atomic>
#include <cwchar>
#include <vector>

#include "common/MachineFacts.h"
#include "common/RegistryRead.h"

namespace {

// GetProcAddress answers a generic function pointer; going through void(*)() keeps -Wcast-function-type quiet.
template <typename Fn>
Fn LoadExport(const wchar_t* module, const char* name) {
    const HMODULE handle = GetModuleHandleW(module);  // kernel32 and ntdll are always loaded
    if (!handle) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

int DetectArchitecture() {
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    const auto getNativeSystemInfo = LoadExport<GetNativeSystemInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
    if (!getNativeSystemInfo) return 1;
    SYSTEM_INFO info = {};
    getNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
        case 6:   // IA64
        case 7:   // Alpha64
        case 9:   // AMD64
        case 12:  // ARM64: a 32-bit x86 process there runs under WOW64 just as on AMD64
            return 2;
        default:
            return 1;
    }
}

}  // namespace

int GetArchitecture() {
    static std::atomic<int> cached{0};
    int architecture = cached.load(std::memory_order_relaxed);
    if (architecture == 0) {
        architecture = DetectArchitecture();
        cached.store(architecture, std::memory_order_relaxed);
    }
    return architecture;
}

bool GetCurrentBuildNumber(int& build) {
    std::wstring text;
    if (!RegReadString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuildNumber",
                       RegView::Default, text) ||
        text.empty()) {
        return false;
    }
    build = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    return true;
}

bool GetNtVersionNumbers(unsigned long& major, unsigned long& minor, unsigned long& build) {
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    const auto rtlGetNtVersionNumbers = LoadExport<RtlGetNtVersionNumbersFn>(L"ntdll.dll", "RtlGetNtVersionNumbers");
    if (!rtlGetNtVersionNumbers) return false;
    DWORD ntMajor = 0, ntMinor = 0, ntBuild = 0;
    rtlGetNtVersionNumbers(&ntMajor, &ntMinor, &ntBuild);
    major = ntMajor;
    minor = ntMinor;
    build = ntBuild & 0x0000FFFF;  // the high bits flag a free or checked build
    return true;
}

bool GetFileVersion(const std::wstring& file, unsigned long& high, unsigned long& low) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return false;
    void* root = nullptr;
    UINT rootSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", &root, &rootSize) || !root || rootSize < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(root);
    high = info->dwFileVersionMS;
    low = info->dwFileVersionLS;
    return true;
}

bool IsDotNet4ClientInstalled() {
    DWORD install = 0;
    return RegReadDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client", L"Install",
                        RegView::Default, install) &&
           install == 1;
}
