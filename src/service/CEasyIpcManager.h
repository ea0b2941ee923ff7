// The service's manager object: the remote "RunProcess" operation over the IPC library, and the work manager.
// Windows only. Start/Stop from the service thread; RunProcess on whatever thread the library delivers it.
#pragma once

#include <string>

#include "service/CWorkMgr.h"
#include "service/EasyIpc.h"

// Result codes of RunProcess.
enum : int {
    kRunStarted = 0,
    kRunNoRequest = -1,
    kRunBadExePath = -2,  // a parent step in "exe", or a path that leaves the service's folder
    kRunNoFile = -3,
    kRunLaunchFailed = -4,
};

class IDmIpcServer {
public:
    virtual ~IDmIpcServer() = default;
    virtual int RunProcess(easyipc::IEasyIpcParam* request, easyipc::IEasyIpcParam* response) = 0;
};

// The execution object handed to the library: calls one member of the server object.
class EasyIpcExecWrap final : public easyipc::IEasyIpcExecObject {
public:
    using Member = int (IDmIpcServer::*)(easyipc::IEasyIpcParam*, easyipc::IEasyIpcParam*);
    EasyIpcExecWrap(IDmIpcServer* server, Member member) : m_server(server), m_member(member) {}

    void Release() override { delete this; }
    int Exec(easyipc::IEasyIpcParam* request, easyipc::IEasyIpcParam* response) override {
        return (m_server->*m_member)(request, response);
    }

private:
    ~EasyIpcExecWrap() = default;
    IDmIpcServer* m_server;  // not owned; outlives the registration
    Member m_member;
};

// The IPC library's object, bound once per process: "rerizo.dll" already loaded, else from the service's
// folder, else from HKLM "software\Velmora" "AppPath". Null when there is no library. Released at exit.
easyipc::IEasyIpcObject* GetIpcObject();

class CEasyIpcManager : public IDmIpcServer {
public:
    CEasyIpcManager();

    // Registers "IDmIpcServer"/"RunProcess" (once per process), serves it, starts the workers.
    void Start();
    // Stops the workers, then serving.
    void Stop();

    int RunProcess(easyipc::IEasyIpcParam* request, easyipc::IEasyIpcParam* response) override;

    // The folder "exe" is resolved against (ends with a separator); the executable's folder unless set.
    void SetServiceDir(const std::wstring& dir) { m_serviceDir = dir; }
    CWorkMgr& WorkMgr() { return m_workMgr; }

private:
    std::wstring m_serviceDir;
    CWorkMgr m_workMgr;
};
