#include <windows.h>

#include <cwchar>
#include <vector>

#include "common/CrashMonitor.h"
#include "service/CNTService.h"
#include "service/KServiceLog.h"
#include "service/ScopedScHandle.h"

namespace {

// The one service object of the process; the control handler reaches it through this.
CNTService* g_service = nullptr;

const wchar_t kSingleCopyMutex[] = L"{5CC421CA-122F-4159-8426-F519ED589CB3}";

// The running executable, quoted: an unquoted path with spaces could start another program.
std::wstring QuotedExePath() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::wstring();
        if (length < name.size()) return L"\"" + std::wstring(name.data(), length) + L"\"";
        name.resize(name.size() * 2);
    }
}

std::wstring ExePath() {
    std::wstring quoted = QuotedExePath();
    return quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : std::wstring();
}

}  // namespace

CNTService::CNTService(const wchar_t* name) {
    wcsncpy(m_serviceName, name, 63);
    wcsncpy(m_displayName, name, 127);
    wcsncpy(m_description, name, 259);
    m_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    m_status.dwCurrentState = SERVICE_STOPPED;
    m_status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_service = this;
}

CNTService::~CNTService() {
    if (g_service == this) g_service = nullptr;
}

void CNTService::Run() {
    SvcLog(L"CNTService::Run:start");
    WaitForSingleObject(m_stopEvent.Get(), INFINITE);
    InterlockedExchange(&m_running, 0);
    SvcLog(L"CNTService::Run:end");
}

bool CNTService::OnInit() {
    SvcLog(L"CNTService::OnInit");
    return true;
}

void CNTService::OnStop() {
    SvcLog(L"CNTService::OnStop");
    InterlockedExchange(&m_running, 0);
    SetEvent(m_stopEvent.Get());
}

void CNTService::OnInterrogate() { SvcLog(L"CNTService::OnInterrogate"); }
void CNTService::OnPause() { SvcLog(L"CNTService::OnPause"); }
void CNTService::OnContinue() { SvcLog(L"CNTService::OnContinue"); }

void CNTService::OnShutdown() {
    SvcLog(L"CNTService::OnShutdown");
    InterlockedExchange(&m_running, 0);
    SetEvent(m_stopEvent.Get());
}

bool CNTService::OnUserControl(DWORD code) {
    SvcLog(L"CNTService::OnUserControl", code);
    return false;
}

void CNTService::OnUninit() { SvcLog(L"CNTService::OnUninit"); }

bool CNTService::OnReset() {
    SvcLog(L"CNTService::OnReset");
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return false;
    ScopedScHandle service(OpenServiceW(manager.Get(), m_serviceName, SERVICE_ALL_ACCESS));
    if (!service) return false;
    const std::wstring path = QuotedExePath();
    return ChangeServiceConfigW(service.Get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, m_displayName) != 0;
}

void CNTService::HandlerControlCode(DWORD code) {
    SvcLog(L"CNTService::HandlerControlCode:dwOpcode=", code);
    switch (code) {
        case SERVICE_CONTROL_STOP:
            SetStatus(SERVICE_STOP_PENDING);
            OnStop();
            break;
        case SERVICE_CONTROL_PAUSE:
            OnPause();
            break;
        case SERVICE_CONTROL_CONTINUE:
            OnContinue();
            break;
        case SERVICE_CONTROL_INTERROGATE:
            OnInterrogate();
            break;
        case SERVICE_CONTROL_SHUTDOWN:
            OnShutdown();
            break;
        default:
            if (code > 127) OnUserControl(code);
            break;
    }
    CritSecLock guard(m_statusLock);
    SvcLog(L"CNTService::HandlerControlCode:dwCurrentState=", m_status.dwCurrentState);
    ReportStatus();
}

void CNTService::ReportStatus() {
    // Nothing may follow SERVICE_STOPPED: the control manager may already have let the handle go.
    if (!m_statusHandle || m_stoppedReported) return;
    SetServiceStatus(m_statusHandle, &m_status);
    if (m_status.dwCurrentState == SERVICE_STOPPED) m_stoppedReported = true;
}

void CNTService::SetStatus(DWORD state) {
    SvcLog(L"CNTService::SetStatus:dwState=", state);
    CritSecLock guard(m_statusLock);
    m_status.dwCurrentState = state;
    ReportStatus();
}

bool CNTService::IsInstalled() {
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    ScopedScHandle service(OpenServiceW(manager.Get(), m_serviceName, SERVICE_QUERY_CONFIG));
    return static_cast<bool>(service);
}

bool CNTService::Install() {
    if (IsInstalled()) return true;
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return false;
    const std::wstring binary = QuotedExePath();
    if (binary.empty()) return false;
    ScopedScHandle service(CreateServiceW(manager.Get(), m_serviceName, m_displayName, SERVICE_ALL_ACCESS,
                                          SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                          binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) return false;
    SERVICE_DESCRIPTIONW description = {m_description};
    ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, &description);

    const std::wstring eventKey =
        std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + m_serviceName;
    ScopedRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, eventKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) == ERROR_SUCCESS) {
        const std::wstring file = ExePath();
        RegSetValueExW(key.Get(), L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                       static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        const DWORD types = 7;
        RegSetValueExW(key.Get(), L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    }
    SvcLog(L"CNTService::Install:EVMSG_INSTALLED:m_szServiceName", m_serviceName);
    return true;
}

bool CNTService::Uninstall() {
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return false;
    ScopedScHandle service(OpenServiceW(manager.Get(), m_serviceName, SERVICE_STOP | DELETE));
    if (!service) return true;  // nothing to remove
    SERVICE_STATUS status = {};
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    if (DeleteService(service.Get())) {
        SvcLog(L"CNTService:Uninstall EVMSG_REMOVED");
        return true;
    }
    SvcLog(L"CNTService:Uninstall:EVMSG_NOTREMOVED");
    return false;
}

bool CNTService::StartInstalled() {
    ScopedScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    ScopedScHandle service(OpenServiceW(manager.Get(), m_serviceName, SERVICE_START | SERVICE_QUERY_STATUS));
    if (!service) return false;
    SERVICE_STATUS status = {};
    if (QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_RUNNING) return true;
    return StartServiceW(service.Get(), 0, nullptr) != 0;
}

DWORD CNTService::Main(const ServiceCommand& command) {
    if (command.install) {
        if (!IsInstalled() && Install() && command.start) StartInstalled();
        return ExitCode();
    }
    if (command.uninstall) {
        if (IsInstalled()) Uninstall();
        return ExitCode();
    }
    if (command.start) StartInstalled();

    SERVICE_TABLE_ENTRYW table[] = {{m_serviceName, ServiceMainEntry}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        SvcLog(L"CNTService::StartService:Error=", GetLastError());
    }
    return ExitCode();
}

void WINAPI CNTService::ServiceMainEntry(DWORD, wchar_t**) {
    if (g_service) g_service->ServiceMain();
}

void WINAPI CNTService::ControlEntry(DWORD code) {
    if (g_service) g_service->HandlerControlCode(code);
}

bool CNTService::Initialize() {
    SvcLog(L"CNTService::Initialize ", L"start");
    SetStatus(SERVICE_START_PENDING);
    const bool ok = OnInit();
    {
        CritSecLock guard(m_statusLock);
        m_status.dwWin32ExitCode = GetLastError();
        m_status.dwCheckPoint = 0;
        m_status.dwWaitHint = 0;
    }
    if (!ok) {
        SvcLog(L"CNTService::Initialize ", L"end fail OnInit:dwWin32ExitCode", m_status.dwWin32ExitCode);
        SetStatus(SERVICE_STOPPED);
        return false;
    }
    SetStatus(SERVICE_RUNNING);
    SvcLog(L"CNTService::Initialize ", L"end Succsess");
    return true;
}

void CNTService::ServiceMain() {
    SvcLog(L"CNTService::ServiceMain: ", L"start");
    StartCrashMonitor();

    ScopedHandle mutex(CreateMutexW(nullptr, TRUE, kSingleCopyMutex));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex.Reset();
        SvcLog(L"CNTService::ServiceMain: ", L"ERROR_ALREADY_EXISTS");
        // Tell the control manager this copy is not running; otherwise it would wait on a start that never ends.
        m_statusHandle = RegisterServiceCtrlHandlerW(m_serviceName, ControlEntry);
        CritSecLock guard(m_statusLock);
        m_status.dwWin32ExitCode = ERROR_SERVICE_ALREADY_RUNNING;
        m_status.dwCurrentState = SERVICE_STOPPED;
        ReportStatus();
        return;
    }

    {
        CritSecLock guard(m_statusLock);
        m_status.dwCurrentState = SERVICE_START_PENDING;
    }
    m_statusHandle = RegisterServiceCtrlHandlerW(m_serviceName, ControlEntry);
    if (!m_statusHandle) {
        SvcLog(L"CNTService::ServiceMain: ", L"end RegisterServiceCtrlHandler m_hServiceStatus is null");
        return;
    }

    if (Initialize()) {
        InterlockedExchange(&m_running, 1);
        {
            CritSecLock guard(m_statusLock);
            m_status.dwWin32ExitCode = 0;
            m_status.dwCheckPoint = 0;
            m_status.dwWaitHint = 0;
        }
        Run();
    }
    OnUninit();
    SetStatus(SERVICE_STOPPED);
    SvcLog(L"CNTService::ServiceMain: ", L"end");
}
