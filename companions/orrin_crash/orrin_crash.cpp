// orrin_crash.dll: the crash monitor. OrrinCrashOpenMonitor records that it was opened (with its arguments, in
// "orrin_crash.log" beside the library) and, on the first call, installs an unhandled-exception filter that
// writes a minidump into the "crash" folder beside the library before the process goes down.
// The system headers below need windows.h first.
// clang-format off
#include <windows.h>
#include <dbghelp.h>
// clang-format on

#include <cstdio>
#include <string>

namespace {

wchar_t g_dir[MAX_PATH] = {};  // the library's folder, with a trailing separator
wchar_t g_productId[64] = {};
LONG g_opened = 0;

void FindOwnFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&FindOwnFolder), &self);
    const DWORD length = GetModuleFileNameW(self, g_dir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        g_dir[0] = L'\0';
        return;
    }
    for (DWORD i = length; i > 0; --i) {
        if (g_dir[i - 1] == L'\\' || g_dir[i - 1] == L'/') {
            g_dir[i] = L'\0';
            return;
        }
    }
    g_dir[0] = L'\0';
}

LONG WINAPI WriteDump(EXCEPTION_POINTERS* exception) {
    const std::wstring folder = std::wstring(g_dir) + L"crash";
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t name[64];
    swprintf(name, 64, L"\\%lu-%lu.dmp", GetCurrentProcessId(), GetTickCount());
    const HANDLE file =
        CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info = {GetCurrentThreadId(), exception, FALSE};
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, exception ? &info : nullptr,
                          nullptr, nullptr);
        CloseHandle(file);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

// (1, installation id, 0x12000, 300): the flags and limits are recorded; only the id is used, in the record.
extern "C" __declspec(dllexport) int WINAPI
    OrrinCrashOpenMonitor(int mode, const wchar_t* productId, int flags, int limit) {
    if (InterlockedExchange(&g_opened, 1) == 0) {
        FindOwnFolder();
        if (productId) lstrcpynW(g_productId, productId, 64);
        SetUnhandledExceptionFilter(WriteDump);
    }
    const std::wstring record = std::wstring(g_dir) + L"orrin_crash.log";
    if (FILE* file = _wfopen(record.c_str(), L"ab")) {
        std::fprintf(file, "open %lu %d %ls %d %d\r\n", GetCurrentProcessId(), mode, productId ? productId : L"", flags,
                     limit);
        std::fclose(file);
    }
    return 0;
}
