#include <windows.h>

#include <vector>

#include "common/OsVersion.h"
#include "common/RegistryRead.h"
#include "service/CEasyIpcManager.h"
#include "service/KServiceLog.h"
#include "service/RunProcessRules.h"
#include "service/UserSessionLaunch.h"
#include "shell/Paths.h"

namespace {

const wchar_t kInterfaceName[] = L"IDmIpcServer";
const wchar_t kMethodName[] = L"RunProcess";

HMODULE BindLibrary() {
    if (HMODULE loaded = GetModuleHandleW(L"rerizo.dll")) return loaded;
    const std::wstring own = GetExeDir();
    if (!own.empty()) {
        if (HMODULE module = LoadLibraryW((own + L"rerizo.dll").c_str())) return module;
    }
    std::wstring appPath;
    if (!RegReadString(HKEY_LOCAL_MACHINE, L"software\\Velmora", L"AppPath", RegView::Default, appPath) ||
        appPath.empty()) {
        return nullptr;
    }
    return LoadLibraryW((appPath + L"\\rerizo.dll").c_str());
}

// Holds the IPC object until process exit; the library itself is never unloaded.
struct IpcBinding {
    easyipc::IEasyIpcObject* object = nullptr;
    IpcBinding() {
        const HMODULE module = BindLibrary();
        const auto query = module ? reinterpret_cast<easyipc::DllQueryInterfaceFn>(
                                        reinterpret_cast<void*>(GetProcAddress(module, "DllQueryInterface")))
                                  : nullptr;
        if (query) object = static_cast<easyipc::IEasyIpcObject*>(query(&easyipc::kIpcObjectIid));
    }
    ~IpcBinding() {
        if (object) object->Release();
    }
};

IpcBinding& Binding() {
    static IpcBinding binding;
    return binding;
}

bool PathExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

}  // namespace

easyipc::IEasyIpcObject* GetIpcObject() { return Binding().object; }

CEasyIpcManager::CEasyIpcManager() : m_serviceDir(GetExeDir()) {}

void CEasyIpcManager::Start() {
    static int registered = [this] {
        easyipc::IEasyIpcObject* ipc = GetIpcObject();
        if (!ipc) return -1;
        return ipc->Register(kInterfaceName, kMethodName, new EasyIpcExecWrap(this, &IDmIpcServer::RunProcess));
    }();
    (void)registered;
    if (easyipc::IEasyIpcObject* ipc = GetIpcObject()) ipc->StartServe(kInterfaceName);
    m_workMgr.Start(m_serviceDir);
}

void CEasyIpcManager::Stop() {
    SvcLog(L"CWorkMgr Stop Begin");
    m_workMgr.Stop();
    if (easyipc::IEasyIpcObject* ipc = GetIpcObject()) ipc->StopServe(kInterfaceName);
    SvcLog(L"CWorkMgr Stop End");
}

int CEasyIpcManager::RunProcess(easyipc::IEasyIpcParam* request, easyipc::IEasyIpcParam* /*response*/) {
    if (!request) {
        SvcLog(L"CEasyIpcManager::RunProcess failed by pParam = null");
        return kRunNoRequest;
    }
    const wchar_t* cmdText = request->GetValue(L"cmd", L"");
    const wchar_t* exeText = request->GetValue(L"exe", L"");
    const std::wstring cmd = cmdText ? cmdText : L"";
    const std::wstring exe = exeText ? exeText : L"";
    std::wstring path;
    if (!exe.empty()) {
        path = m_serviceDir + exe;
    } else {
        const wchar_t* full = request->GetValue(L"fullpathexe", L"");
        path = full ? full : L"";
    }
    SvcLog(L"CEasyIpcManager::RunProcess strFullPath=", path, L",strCmd=", cmd);

    if (!exe.empty()) {
        // Any local program may ask: "exe" must name something inside the service's folder, nothing else.
        if (HasParentStep(exe) || !IsInsideFolder(FullPath(path), FullPath(m_serviceDir))) {
            SvcLog(L"CEasyIpcManager::RunProcess failed exe path container ../ or ..\\");
            return kRunBadExePath;
        }
    }
    if (!PathExists(path)) {
        SvcLog(L"CEasyIpcManager::RunProcess failed by exe file not exist");
        return kRunNoFile;
    }

    UserLaunchOptions options;
    options.show = SW_SHOW;
    options.vistaOrLater = GetOsVersionCode() > kOsWinXP;
    // A full path may name any program: it gets the user's normal rights only.
    options.allowLinkedToken = !exe.empty();
    ScopedHandle process, thread;
    if (!LaunchCommandInUserSession(BuildLaunchCommandLine(path, cmd), options, &process, &thread)) {
        SvcLog(L"CEasyIpcManager::RunProcess failed by CreateProcessAsActivedUserOrSystem2", GetLastError());
        return kRunLaunchFailed;
    }
    SvcLog(L"CEasyIpcManager::RunProcess success");
    return kRunStarted;
}
