// The service's scheduled workers: each starts one program in the user's session when it is due. Portable: time
// and launching come in through the seams below, so the schedules can be checked without waiting.
// Thread: a worker is touched only by the work manager's ticking thread once it has been added.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The local calendar date, enough to tell one day from the next.
struct WorkerDate {
    int year = 0, month = 0, day = 0;
    bool operator==(const WorkerDate& o) const { return year == o.year && month == o.month && day == o.day; }
};

class IWorkerClock {
public:
    virtual ~IWorkerClock() = default;
    // Milliseconds since boot; wraps after 49.7 days, so callers subtract in unsigned arithmetic.
    virtual uint32_t TickCount() = 0;
    virtual WorkerDate LocalDate() = 0;
};

// Starts exe with params in the user's session, window hidden; the answer is whether a process was created.
using WorkerLaunch = std::function<bool(const std::wstring& exe, const std::wstring& params)>;

class IWorker {
public:
    virtual ~IWorker() = default;
    // Records the current tick count as the last launch time.
    virtual int Begin() = 0;
    virtual void End() = 0;
    virtual void SetExePath(const std::wstring& path) = 0;
    virtual void SetParams(const std::wstring& params) = 0;
    virtual void SetFirstDelay(uint32_t milliseconds) = 0;
    virtual void SetInterval(uint32_t milliseconds) = 0;
    // Launches when due. 1 when the schedule ran, 0 when the worker had nothing to do today.
    virtual int Tick() = 0;
};

// Launches after the first delay, then each time the interval has passed (never again when the interval is 0).
// A failed launch still counts: it is tried again only at the next due time.
class KCommonWroker : public IWorker {
public:
    KCommonWroker(IWorkerClock& clock, WorkerLaunch launch);  // clock not owned; must outlive the worker

    int Begin() override;
    void End() override {}
    void SetExePath(const std::wstring& path) override { m_exePath = path; }
    void SetParams(const std::wstring& params) override { m_params = params; }
    void SetFirstDelay(uint32_t milliseconds) override { m_firstDelay = milliseconds; }
    void SetInterval(uint32_t milliseconds) override { m_interval = milliseconds; }
    int Tick() override;

protected:
    // Runs the schedule; true when it launched now.
    bool TickSchedule();

    IWorkerClock& m_clock;
    WorkerLaunch m_launch;
    std::wstring m_exePath;
    std::wstring m_params;
    uint32_t m_lastLaunch = 0;
    uint32_t m_firstDelay = 1200000;
    uint32_t m_interval = 7200000;
};

// As KCommonWroker, but at most once per calendar day (local time). The day starts out unknown, so the first
// due time after a service start always launches.
class KActiveWroker : public KCommonWroker {
public:
    using KCommonWroker::KCommonWroker;
    int Tick() override;

private:
    WorkerDate m_lastLaunchDate;  // all zero: never launched
};
