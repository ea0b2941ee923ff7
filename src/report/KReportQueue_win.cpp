#include <process.h>

#include <cstdlib>

#include "report/KInfocPublicInfo.h"
#include "report/KInstallReport.h"
#include "report/KPublicBlock.h"
#include "report/KReportQueue.h"

namespace {

KReportQueue* volatile g_queue = nullptr;
KReportQueue* const kBeingBuilt = reinterpret_cast<KReportQueue*>(1);

void DestroyQueue() {
    KReportQueue* queue = g_queue;
    g_queue = nullptr;
    if (queue != kBeingBuilt) delete queue;
}

}  // namespace

KReportQueue& KReportQueue::Instance() {
    for (;;) {
        void* seen =
            InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_queue), kBeingBuilt, nullptr);
        if (seen == nullptr) {
            auto* queue = new KReportQueue();
            InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_queue), queue);
            std::atexit(DestroyQueue);
            return *queue;
        }
        if (seen != kBeingBuilt) return *static_cast<KReportQueue*>(seen);
        Sleep(0);
    }
}

KReportQueue::KReportQueue() = default;

KReportQueue::~KReportQueue() {
    // Whatever was posted still leaves before the process does.
    StopWorkerAndWait();
}

void KReportQueue::EnsureEventsLocked() {
    if (!m_workEvent) m_workEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_stopEvent) m_stopEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

void KReportQueue::AddUse() {
    CritSecLock lock(m_lock);
    if (m_uses++ == 0) EnsureEventsLocked();
}

void KReportQueue::SetServerUrl(const std::wstring& url) {
    CritSecLock lock(m_lock);
    m_serverUrl = url;
}

void KReportQueue::PostRecord(std::unique_ptr<Reporter::IReportInfocData> record) {
    if (!record) return;
    {
        CritSecLock lock(m_lock);
        EnsureEventsLocked();
        m_pending.push_back(std::move(record));
        if (!m_workerRunning) {
            // A finished worker only returns after clearing the flag; reap it before starting the next one.
            if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
            m_thread.Reset();
            // A stop signalled while no worker ran must not end the new one before it has seen this record.
            if (m_stopEvent) ResetEvent(m_stopEvent.Get());
            m_thread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerMain, this, 0, nullptr)));
            m_workerRunning = static_cast<bool>(m_thread);
        }
    }
    if (m_workEvent) SetEvent(m_workEvent.Get());
}

void KReportQueue::DropUse() {
    {
        CritSecLock lock(m_lock);
        if (m_uses == 0) return;
        if (--m_uses != 0) return;
    }
    StopWorkerAndWait();
}

void KReportQueue::StopWorkerAndWait() {
    HANDLE worker = nullptr;
    {
        CritSecLock lock(m_lock);
        if (m_thread) {
            DuplicateHandle(GetCurrentProcess(), m_thread.Get(), GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0);
        }
    }
    if (m_stopEvent) SetEvent(m_stopEvent.Get());
    if (worker != nullptr) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
    }
}

unsigned __stdcall KReportQueue::WorkerMain(void* self) {
    static_cast<KReportQueue*>(self)->Work();
    return 0;
}

void KReportQueue::Work() {
    HANDLE events[2] = {m_stopEvent.Get(), m_workEvent.Get()};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) break;
        ProcessBatch(false);
    }
    // Last batches: keep going until the list is empty, and give up the running flag in the same locked step,
    // so a record posted from now on starts a new worker instead of waiting for this one.
    while (ProcessBatch(true)) {
    }
}

bool KReportQueue::ProcessBatch(bool endIfEmpty) {
    std::vector<std::unique_ptr<Reporter::IReportInfocData>> batch;
    {
        CritSecLock lock(m_lock);
        if (m_pending.empty()) {
            if (endIfEmpty) m_workerRunning = false;
            return false;
        }
        batch.swap(m_pending);
        if (m_serverUrl.empty()) m_serverUrl = KDirectInfoc::CollectionServerUrl();
    }
    for (auto& record : batch) {
        Handle(std::move(record));
        record.reset();
    }
    return true;
}

void KReportQueue::Handle(std::unique_ptr<Reporter::IReportInfocData> record) {
    auto* data = dynamic_cast<Reporter::ReportInfocData*>(record.get());
    if (data == nullptr || !data->Encode()) return;

    std::wstring url;
    {
        CritSecLock lock(m_lock);
        url = m_serverUrl;
    }
    KDirectInfoc::KInstallReport report;
    report.Add(std::make_unique<KDirectInfoc::KPublicBlock>(KDirectInfoc::KInfocPublicInfo::Gather()));
    report.Add(data->TakeSerializer());
    report.Deliver(url, KDirectInfoc::ReportCacheDir());
}
