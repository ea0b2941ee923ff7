// The process-wide registry of running download tasks: at most one task per softid.
//
// Threading: AddTask on the window thread; RemoveTask from the task's own worker when it ends. The registry's
// lock is always taken before a task's lock, never the other way round.
#pragma once

#include <map>
#include <memory>

#include "download/DownloadCallbacks.h"

class IDownloadTask;

class CDownLoadTaskMgr {
public:
    // Made on first use. Kept at process exit: a worker that is still running reaches it from RemoveTask.
    static CDownLoadTaskMgr& Instance();

    // Hands the callback to the running task for softid, or creates and starts one. 1 when the callback was
    // handed to a task (it gets state 1 at once unless it was already registered), 0 when no task could be made
    // (no catalogue entry, or a download type other than 1 to 4). Window thread.
    int AddTask(int softid, IDownLoadSoftCallback* callback);

    // Stops the task's transfer and drops it from the registry; true when one was registered. The task is not
    // destroyed here (it destroys itself at the end of its worker).
    bool RemoveTask(int softid);

    // The task for the catalogue entry's download type, not started and not registered; null when there is
    // none. The caller owns it (Release).
    static IDownloadTask* CreateTask(int softid);

    // Tasks registered now.
    int GetTaskCount();

    CDownLoadTaskMgr(const CDownLoadTaskMgr&) = delete;
    CDownLoadTaskMgr& operator=(const CDownLoadTaskMgr&) = delete;

private:
    template <class T>
    friend class ProcessSingleton;
    CDownLoadTaskMgr();
    ~CDownLoadTaskMgr();

    struct Lock;
    std::unique_ptr<Lock> m_lock;
    std::map<int, IDownloadTask*> m_tasks;  // not owned: each task owns itself
};
