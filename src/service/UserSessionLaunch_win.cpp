// The system headers below need windows.h first.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
#include <wtsapi32.h>
// clang-format on

#include <cwctype>
#include <string>

#include "common/MachineFacts.h"
#include "service/RunProcessRules.h"
#include "service/UserSessionLaunch.h"

namespace {

// System libraries are loaded from the system folder only: the service's own folder must not supply them.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(dir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(dir) + L"\\" + name).c_str());
}

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

bool SameNoCase(const wchar_t* a, const wchar_t* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(*a) != std::towlower(*b)) return false;
    }
    return *a == *b;
}

bool ActiveSessionToken(ScopedHandle& token) {
    using EnumFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW*, DWORD*);
    using FreeFn = void(WINAPI*)(void*);
    using QueryFn = BOOL(WINAPI*)(ULONG, HANDLE*);
    static const HMODULE wts = LoadSystemLibrary(L"wtsapi32.dll");
    const auto enumerate = Lookup<EnumFn>(wts, "WTSEnumerateSessionsW");
    const auto release = Lookup<FreeFn>(wts, "WTSFreeMemory");
    const auto query = Lookup<QueryFn>(wts, "WTSQueryUserToken");
    if (!enumerate || !release || !query) return false;

    PWTS_SESSION_INFOW sessions = nullptr;
    DWORD count = 0;
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) return false;
    bool found = false;
    DWORD sessionId = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (sessions[i].State == WTSActive) {
            sessionId = sessions[i].SessionId;
            found = true;
            break;
        }
    }
    release(sessions);
    return found && query(sessionId, token.Receive()) && token;
}

bool ExplorerToken(ScopedHandle& token) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (!SameNoCase(entry.szExeFile, L"explorer.exe")) continue;
        // Only the first explorer counts, as on a machine with one user logged on.
        ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
        return process && OpenProcessToken(process.Get(), TOKEN_ALL_ACCESS, token.Receive()) && token;
    }
    return false;
}

bool IsWindows2000() {
    unsigned long major = 0, minor = 0, build = 0;
    return GetNtVersionNumbers(major, minor, build) && major == 5 && minor == 0;
}

}  // namespace

bool AcquireInteractiveUserToken(const UserLaunchOptions& options, ScopedHandle& token) {
    const bool trySession = options.vistaOrLater || !IsWindows2000();
    if (!(trySession && ActiveSessionToken(token)) && !ExplorerToken(token)) return false;

    if (options.allowLinkedToken) {
        TOKEN_LINKED_TOKEN linked = {};
        DWORD size = 0;
        if (GetTokenInformation(token.Get(), TokenLinkedToken, &linked, sizeof linked, &size) && linked.LinkedToken) {
            token.Reset(linked.LinkedToken);
        }
    }
    return true;
}

bool LaunchCommandInUserSession(const std::wstring& commandLine, const UserLaunchOptions& options,
                                ScopedHandle* process, ScopedHandle* thread) {
    ScopedHandle token;
    if (!AcquireInteractiveUserToken(options, token)) return false;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(options.show);
    wchar_t desktop[] = L"Winsta0\\Default";
    startup.lpDesktop = desktop;

    // The user's own environment, not the service's.
    using CreateEnvFn = BOOL(WINAPI*)(void**, HANDLE, BOOL);
    using DestroyEnvFn = BOOL(WINAPI*)(void*);
    static const HMODULE userenv = LoadSystemLibrary(L"userenv.dll");
    const auto createEnv = Lookup<CreateEnvFn>(userenv, "CreateEnvironmentBlock");
    const auto destroyEnv = Lookup<DestroyEnvFn>(userenv, "DestroyEnvironmentBlock");
    void* environment = nullptr;
    DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
    if (createEnv && destroyEnv && createEnv(&environment, token.Get(), FALSE)) {
        flags |= CREATE_UNICODE_ENVIRONMENT;
    } else {
        environment = nullptr;
    }

    std::wstring mutableLine = commandLine;  // CreateProcessAsUserW may write into it
    PROCESS_INFORMATION info = {};
    const BOOL created = CreateProcessAsUserW(token.Get(), nullptr, &mutableLine[0], nullptr, nullptr, FALSE, flags,
                                              environment, nullptr, &startup, &info);
    if (environment) destroyEnv(environment);
    if (!created) return false;

    ScopedHandle newProcess(info.hProcess), newThread(info.hThread);
    if (process) *process = std::move(newProcess);
    if (thread) *thread = std::move(newThread);
    return true;
}

bool LaunchInUserSession(const std::wstring& exe, const std::wstring& params, int show) {
    unsigned long major = 0, minor = 0, build = 0;
    UserLaunchOptions options;
    options.show = show;
    options.vistaOrLater = GetNtVersionNumbers(major, minor, build) && major > 5;
    return LaunchCommandInUserSession(BuildLaunchCommandLine(exe, params), options);
}
