// The service host: install and remove from the command line, registration with the service control manager,
// status reports and control codes. Windows only. ServiceMain and Run run on the dispatcher's thread,
// HandlerControlCode on the control thread; they share the status record under one lock.
#pragma once

#include <windows.h>

#include <string>

#include "common/ScopedWin.h"
#include "service/ServiceCmdLine.h"
#include "common/CritSec.h"

class CNTService {
public:
    explicit CNTService(const wchar_t* name);
    virtual ~CNTService();

    CNTService(const CNTService&) = delete;
    CNTService& operator=(const CNTService&) = delete;

    virtual void Run();
    virtual bool OnInit();
    virtual void OnStop();
    virtual void OnInterrogate();
    virtual void OnPause();
    virtual void OnContinue();
    virtual void OnShutdown();
    virtual bool OnUserControl(DWORD code);
    virtual void OnUninit();
    virtual bool OnReset();
    virtual void HandlerControlCode(DWORD code);

    // Installs, removes or starts as the arguments say, then (unless that ended it) connects to the service
    // control manager. Answers the process exit code.
    DWORD Main(const ServiceCommand& command);

    bool IsInstalled();
    bool Install();  // with the event-log source; does nothing when the service exists
    bool Uninstall();
    bool StartInstalled();

    DWORD ExitCode() const { return m_status.dwWin32ExitCode; }

protected:
    void SetStatus(DWORD state);

    wchar_t m_serviceName[64] = {};
    wchar_t m_displayName[128] = {};
    wchar_t m_description[260] = {};

private:
    static void WINAPI ServiceMainEntry(DWORD argc, wchar_t** argv);
    static void WINAPI ControlEntry(DWORD code);
    void ServiceMain();
    bool Initialize();
    void ReportStatus();  // under m_statusLock

    SERVICE_STATUS_HANDLE m_statusHandle = nullptr;
    SERVICE_STATUS m_status = {};
    volatile LONG m_running = 0;
    ScopedHandle m_stopEvent;
    CritSec m_statusLock;
    bool m_stoppedReported = false;
};
