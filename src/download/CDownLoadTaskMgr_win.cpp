#include "download/CDownLoadTaskMgr.h"

#include <windows.h>

#include "catalog/SoftCatalog.h"
#include "common/CritSec.h"
#include "common/SingletonGuard.h"
#include "download/CDownLoadTask.h"

// The header keeps <windows.h> out, so the section hides behind a declared name.
struct CDownLoadTaskMgr::Lock : CritSec {};

CDownLoadTaskMgr::CDownLoadTaskMgr() : m_lock(new Lock()) {}
CDownLoadTaskMgr::~CDownLoadTaskMgr() = default;

CDownLoadTaskMgr& CDownLoadTaskMgr::Instance() {
    return ProcessSingleton<CDownLoadTaskMgr>::Get(ProcessSingleton<CDownLoadTaskMgr>::AtExit::Keep);
}

int CDownLoadTaskMgr::AddTask(int softid, IDownLoadSoftCallback* callback) {
    CritSecLock lock(*m_lock);
    auto found = m_tasks.find(softid);
    if (found != m_tasks.end()) {
        found->second->AddCallback(callback);
        return 1;
    }
    IDownloadTask* task = CreateTask(softid);
    if (task == nullptr) return 0;
    task->AddCallback(callback);
    if (task->Start() == 0) {
        task->Release();
        return 0;
    }
    // Registered while still holding the lock, so the worker's RemoveTask cannot come first.
    m_tasks[softid] = task;
    return 1;
}

bool CDownLoadTaskMgr::RemoveTask(int softid) {
    CritSecLock lock(*m_lock);
    auto found = m_tasks.find(softid);
    if (found == m_tasks.end()) return false;
    found->second->Stop();
    m_tasks.erase(found);
    return true;
}

IDownloadTask* CDownLoadTaskMgr::CreateTask(int softid) {
    const SoftEntry* entry = SoftCatalog::Instance().FindSoft(softid);
    if (entry == nullptr) return nullptr;
    switch (entry->type) {
        case 1:
        case 3:
            return new CDownLoadExeTask(softid, entry->type);
        case 2:
            return new CDownLoadFilesTask(softid, entry->type);
        case 4:
            return new CDownLoadFerruleTask(softid, entry->type);
        default:
            return nullptr;
    }
}

int CDownLoadTaskMgr::GetTaskCount() {
    CritSecLock lock(*m_lock);
    return static_cast<int>(m_tasks.size());
}
