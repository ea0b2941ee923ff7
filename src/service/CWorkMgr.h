// The service's work manager: a ticking thread that calls each worker every five seconds. Windows only.
// Start and Stop are called by the service thread; the workers are touched only by the ticking thread once added.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/ScopedWin.h"
#include "common/CritSec.h"
#include "service/Workers.h"

// GetTickCount and the local date.
class SystemWorkerClock : public IWorkerClock {
public:
    uint32_t TickCount() override;
    WorkerDate LocalDate() override;
};

class CWorkMgr {
public:
    // The clock must outlive the manager. Without a launch function the workers use LaunchInUserSession.
    explicit CWorkMgr(IWorkerClock* clock = nullptr, WorkerLaunch launch = nullptr);
    ~CWorkMgr();  // stops

    CWorkMgr(const CWorkMgr&) = delete;
    CWorkMgr& operator=(const CWorkMgr&) = delete;

    // Starts the ticking thread, then adds the daily "velmora.exe /svcactive" and the two-hourly
    // "update.exe /autorun" workers, both in `serviceDir` (ending with a separator).
    bool Start(const std::wstring& serviceDir);
    // Ends the ticking thread (within one 100 ms step), then ends and destroys the workers.
    void Stop();

    // The pieces of Start, for callers with workers of their own.
    bool StartThread();
    void AddWorker(std::unique_ptr<IWorker> worker);
    size_t WorkerCount();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void TickLoop();

    SystemWorkerClock m_systemClock;
    IWorkerClock* m_clock;  // not owned
    WorkerLaunch m_launch;
    std::atomic<int> m_stop{0};
    ScopedHandle m_thread;
    CritSec m_workersLock;  // the thread may tick while the service thread adds workers
    std::vector<std::unique_ptr<IWorker>> m_workers;
};
