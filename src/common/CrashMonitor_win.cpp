#include <windows.h>

#include "common/CrashMonitor.h"
#include "common/ScopedWin.h"

namespace {

using OpenMonitorFn = int(WINAPI*)(int, const wchar_t*, int, int);

const wchar_t kIdKey[] =
    L"SOFTWARE\\Classes\\CLSID\\{BF56FF80-3803-422B-80A0-9844629C810C}\\Implemented Categories\\"
    L"{C376DC05-16CC-4498-8BF3-1F0D8FF4013A}";
const wchar_t kDefaultId[] = L"1212127FE4394dbdB3778D401FDD5155";

DWORD WINAPI MonitorThread(void* parameter) {
    const auto open = reinterpret_cast<OpenMonitorFn>(parameter);
    const std::wstring id = ReadInstallationId();
    open(1, id.c_str(), 0x12000, 300);
    return 0;
}

}  // namespace

std::wstring ReadInstallationId() {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kIdKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.Receive()) !=
        ERROR_SUCCESS) {
        return kDefaultId;
    }
    // 128 zeroed bytes; the last character stays NUL whatever the value holds.
    wchar_t buffer[64] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), L"uuid", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS) {
        return kDefaultId;
    }
    return buffer;
}

bool StartCrashMonitor() {
    const HMODULE library = LoadLibraryW(L"orrin_crash.dll");
    if (!library) return false;
    const auto open =
        reinterpret_cast<OpenMonitorFn>(reinterpret_cast<void*>(GetProcAddress(library, "OrrinCrashOpenMonitor")));
    if (!open) return false;
    ScopedHandle thread(CreateThread(nullptr, 0, MonitorThread, reinterpret_cast<void*>(open), 0, nullptr));
    if (!thread) return false;
    Sleep(10);
    return true;
}
