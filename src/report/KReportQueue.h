// The process-wide report queue: any thread posts finished records; one worker thread encodes them, uploads
// each with a fresh public record, and caches what could not be delivered.
//
// Threads: AddUse, PostRecord and DropUse may be called from any thread. DropUse of the last use blocks until
// the worker has handled everything posted before it and ended. Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/CritSec.h"
#include "common/ScopedWin.h"
#include "report/ReportRecord.h"

class KReportQueue {
public:
    // Created on first use, destroyed at process exit (after its worker has ended).
    static KReportQueue& Instance();

    void AddUse();
    // Takes ownership. Records of another implementation than Reporter::ReportInfocData are dropped.
    void PostRecord(std::unique_ptr<Reporter::IReportInfocData> record);
    void DropUse();

    // The collection server URL; read from the installation on first need unless set.
    void SetServerUrl(const std::wstring& url);

    ~KReportQueue();
    KReportQueue(const KReportQueue&) = delete;
    KReportQueue& operator=(const KReportQueue&) = delete;

private:
    KReportQueue();

    static unsigned __stdcall WorkerMain(void* self);
    void Work();
    // Handles the pending list once; false when it was empty.
    bool ProcessBatch(bool endIfEmpty);
    void Handle(std::unique_ptr<Reporter::IReportInfocData> record);
    void EnsureEventsLocked();
    void StopWorkerAndWait();

    std::vector<std::unique_ptr<Reporter::IReportInfocData>> m_pending;  // owned
    ScopedHandle m_workEvent;                                            // auto-reset
    ScopedHandle m_stopEvent;                                            // auto-reset
    ScopedHandle m_thread;
    CritSec m_lock;
    int m_uses = 0;
    bool m_workerRunning = false;  // under m_lock; cleared by the worker as its last locked act
    std::wstring m_serverUrl;      // under m_lock
};
