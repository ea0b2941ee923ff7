#include "ServiceTestKit_win.h"

#include <tlhelp32.h>

#include <vector>

#include "service/ScopedScHandle.h"

namespace svctest {

std::wstring BuildPath(const char* hostPath) {
    std::wstring out = L"Z:";
    for (const char* p = hostPath; *p; ++p) out += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return out;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

void DeleteTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(FindFirstFileW((dir + L"*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteTree(dir + name + L"\\");
            RemoveDirectoryW((dir + name).c_str());
        } else {
            SetFileAttributesW((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((dir + name).c_str());
        }
    } while (FindNextFileW(find.Get(), &data));
}

bool CopyRetrying(const std::wstring& from, const std::wstring& to) {
    // The previous test's service process may still be on its way out.
    return WaitUntil([&] { return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0; }, 10000);
}

}  // namespace

bool PrepareServiceDir(const std::wstring& dir, bool withVelmora) {
    DeleteTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring companions = BuildPath(VELMORA_COMPANIONS_DIR) + L"\\";
    bool ok = CopyRetrying(BuildPath(VELMORASVC_EXE), dir + L"velmorasvc.exe");
    for (const wchar_t* name : {L"rerizo.dll", L"rerizo_call.exe", L"orrin_crash.dll", L"update.exe"}) {
        ok = CopyRetrying(companions + name, dir + name) && ok;
    }
    if (withVelmora) ok = CopyRetrying(companions + L"update.exe", dir + L"velmora.exe") && ok;
    return ok;
}

DWORD RunProgram(const std::wstring& commandLine, DWORD timeoutMs, std::string* output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ScopedHandle readEnd, writeEnd;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output) {
        if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, 0)) return ~0u;
        SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd.Get();
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::wstring line = commandLine;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup, &info)) {
        return ~0u;
    }
    ScopedHandle process(info.hProcess), thread(info.hThread);
    writeEnd.Reset();
    if (output) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output->append(buffer, got);
    }
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        return ~0u;
    }
    DWORD code = ~0u;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

std::string ReadWholeFile(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text;
    if (!file) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
}

void SetLogSwitch(DWORD kind, DWORD value) {
    ScopedRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSetupKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    if (kind == REG_DWORD) {
        RegSetValueExW(key.Get(), L"needWriteLog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else if (kind == REG_SZ) {
        const std::wstring text = std::to_wstring(value);
        RegSetValueExW(key.Get(), L"needWriteLog", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key.Get(), L"needWriteLog");
    }
}

namespace {

ScopedScHandle OpenService(DWORD access) {
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return ScopedScHandle();
    return ScopedScHandle(OpenServiceW(manager.Get(), kServiceName, access));
}

}  // namespace

bool EnsureUserShellRunning() {
    GetDesktopWindow();
    return WaitUntil(
        [] {
            ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32W entry = {};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
                 more = Process32NextW(snapshot.Get(), &entry)) {
                if (lstrcmpiW(entry.szExeFile, L"explorer.exe") == 0) return true;
            }
            return false;
        },
        10000);
}

bool ServiceExists() { return static_cast<bool>(OpenService(SERVICE_QUERY_STATUS)); }

bool QueryService(DWORD& state, DWORD& exitCode) {
    ScopedScHandle service = OpenService(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    if (!service || !QueryServiceStatus(service.Get(), &status)) return false;
    state = status.dwCurrentState;
    exitCode = status.dwWin32ExitCode;
    return true;
}

std::wstring ServiceBinaryPath() {
    ScopedScHandle service = OpenService(SERVICE_QUERY_CONFIG);
    if (!service) return std::wstring();
    DWORD needed = 0;
    QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + 16);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed)) return std::wstring();
    return config->lpBinaryPathName ? config->lpBinaryPathName : L"";
}

bool StartServiceNow() {
    ScopedScHandle service = OpenService(SERVICE_START);
    return service && StartServiceW(service.Get(), 0, nullptr);
}

bool StopService() {
    ScopedScHandle service = OpenService(SERVICE_STOP);
    SERVICE_STATUS status = {};
    return service && ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
}

void RemoveServiceCompletely() {
    DWORD state = 0, exitCode = 0;
    if (!QueryService(state, exitCode)) return;
    if (state != SERVICE_STOPPED) {
        StopService();
        WaitUntil([&] { return !QueryService(state, exitCode) || state == SERVICE_STOPPED; }, 15000);
    }
    {
        ScopedScHandle service = OpenService(DELETE);
        if (service) DeleteService(service.Get());
    }
    WaitUntil([] { return !ServiceExists(); }, 10000);
}

}  // namespace svctest
