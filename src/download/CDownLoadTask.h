// Download tasks: one per softid, each fetching on its own worker thread what the catalogue entry's download
// type asks for, and posting UM_DOWNLOAD_NOTIFY messages to the window of its first callback.
//
// Ownership: a task is made and registered by CDownLoadTaskMgr on the window thread and destroys itself at the
// end of its worker. Threading: AddCallback and RemoveCallback on the window thread, under the task's lock; the
// rest on the worker. Callbacks are never called here, only named in the messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/CritSec.h"
#include "download/CSimpleThread.h"
#include "download/DownloadCallbacks.h"
#include "download/DownloadNotify.h"
#include "download/KHttpRequest.h"

class IDownloadTask {
public:
    virtual bool AddCallback(IDownLoadSoftCallback* callback) = 0;
    virtual int RemoveCallback(IDownLoadSoftCallback* callback) = 0;
    virtual int Stop() = 0;
    virtual int Start() = 0;
    virtual ~IDownloadTask() = default;
    virtual int DoDownload() = 0;
    virtual int Release() = 0;  // destroys the task
};

class CDownLoadTaskBase : public IDownloadTask, public ISimpleThreatCallback, public IDownloadProgress {
public:
    CDownLoadTaskBase(int softid, int downloadType);
    ~CDownLoadTaskBase() override;

    bool AddCallback(IDownLoadSoftCallback* callback) override;  // false for one already in the list
    int RemoveCallback(IDownLoadSoftCallback* callback) override;
    int Stop() override;   // the running transfer aborts at its next progress call
    int Start() override;  // starts the worker unless it runs
    int Release() override;

    // Worker body: DoDownload, unregister, destroy itself.
    int Execute(void* argument) override;
    // Transfer progress: 1 when stopped; otherwise reported as the task's overall fraction.
    int OnProgress(double fraction) override;

    int GetSoftId() const { return m_softid; }
    int GetDownloadType() const { return m_downloadType; }

    // Tasks alive in the process now (made and not yet destroyed).
    static int LiveCount();

protected:
    // One state message to each callback, in the order they were added.
    void BroadcastState(int state);
    // Message type 3 to each callback.
    void ReportFinished(const std::wstring& path);
    // Progress message when the percentage rose by at least 1.
    void ReportProgress(double fraction);
    // Maps a transfer's fraction onto the task's whole: overall = base + span * fraction.
    void SetProgressSpan(double base, double span);

    // Fetches url into folder + its last component; true when the file arrived whole.
    bool FetchToFolder(const std::wstring& url, const std::wstring& folder, std::wstring& path);

private:
    // The notification for one callback (its address filled in), or one per registered callback; the caller
    // holds m_lock.
    void PostTo(IDownLoadSoftCallback* callback, DownloadNotify msg);
    void PostToAll(const DownloadNotify& msg);

    CritSec m_lock;  // callbacks, window, last percentage
    CSimpleThread m_thread;
    int m_softid;
    std::atomic<int> m_stop{0};
    std::vector<IDownLoadSoftCallback*> m_callbacks;  // not owned
    int m_downloadType;
    HWND m_hwnd = nullptr;
    int m_lastPercent = 0;
    double m_progressBase = 0;
    double m_progressSpan = 1;
};

// Types 1 and 3: one file into the user download folder (1) or the temporary download folder (3).
class CDownLoadExeTask : public CDownLoadTaskBase {
public:
    using CDownLoadTaskBase::CDownLoadTaskBase;
    int DoDownload() override;
};

// One listed file of a type 2 task, or the fetched files of a type 4 task.
struct DownloadFileRecord {
    std::wstring name;
    std::wstring inflatedPath;
    std::wstring finalPath;
};

// Type 2: a JSON file list, then each listed file from the content server into the program folder.
class CDownLoadFilesTask : public CDownLoadTaskBase {
public:
    using CDownLoadTaskBase::CDownLoadTaskBase;
    int DoDownload() override;

private:
    std::vector<DownloadFileRecord> m_records;
};

// Type 4: .NET Framework 4.5.2 when missing (started with "/Q"), then the tool as for type 3.
class CDownLoadFerruleTask : public CDownLoadTaskBase {
public:
    using CDownLoadTaskBase::CDownLoadTaskBase;
    int DoDownload() override;

    // Where the installer comes from; tests point it at a local server.
    static std::wstring& FrameworkUrl();
};
