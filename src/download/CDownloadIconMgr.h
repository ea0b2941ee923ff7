// Icons and banner pictures, cached as "<program folder>data\drvquillfen\res\<md5>.png" and fetched one at a
// time by one worker thread, which tells the requester's window with message type 4.
//
// Threading: AddIconTask on the window thread; fetches on the manager's worker. Callbacks are never called
// here, only named in the messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/CritSec.h"
#include "common/ScopedWin.h"
#include "download/CSimpleThread.h"
#include "download/DownloadCallbacks.h"
#include "download/KHttpRequest.h"

// The cache file for an MD5 name; its folder is made on the way. True when the file exists.
bool IconCachePath(std::wstring& path, const std::wstring& cacheName);

// One queued picture and the sink of its transfer (the cache file).
class CDownIconTask : public IKDownloadFile {
public:
    CDownIconTask(const std::wstring& url, const std::wstring& cacheName, int iconId, IDownLoadIconCallback* callback,
                  HWND hwnd);
    virtual ~CDownIconTask() = default;

    int Open() override;
    int Seek(long long offset) override;
    int Write(const void* data, size_t size) override;
    int Close() override;
    int OnProgress(double) override { return 0; }

    // Fetches into the cache and posts message type 4 when that worked and there is someone to tell. Worker.
    bool Fetch();

    const std::wstring& GetCachePath() const { return m_cachePath; }

private:
    IDownLoadIconCallback* m_callback;  // not owned, may be null
    std::wstring m_url;
    std::wstring m_cacheName;
    int m_iconId;
    ScopedHandle m_file;
    std::wstring m_cachePath;
    HWND m_hwnd;
};

class CDownloadIconMgr final : public ISimpleThreatCallback {
public:
    // The process-wide manager, made on first use.
    static CDownloadIconMgr& Instance();

    // Queues a fetch; false (nothing queued) for an empty URL. Does not look at the cache first.
    bool AddIconTask(const std::wstring& url, const std::wstring& cacheName, int iconId,
                     IDownLoadIconCallback* callback, HWND hwnd);

    // Worker body: fetches batches until the stop event.
    int Execute(void* argument) override;

    // Requests queued and not yet taken by the worker.
    int GetQueuedCount();

    CDownloadIconMgr(const CDownloadIconMgr&) = delete;
    CDownloadIconMgr& operator=(const CDownloadIconMgr&) = delete;

private:
    template <class T>
    friend class ProcessSingleton;
    CDownloadIconMgr();
    ~CDownloadIconMgr();

    CSimpleThread m_thread;
    std::vector<CDownIconTask*> m_queue;  // owned
    CritSec m_lock;                       // the queue
    ScopedHandle m_stopEvent;             // manual reset
    ScopedHandle m_workEvent;             // auto reset: the worker sleeps while the queue is empty
};
