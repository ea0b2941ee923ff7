#include <windows.h>

#include "service/CWorkMgr.h"
#include "service/KServiceLog.h"
#include "service/UserSessionLaunch.h"

uint32_t SystemWorkerClock::TickCount() { return GetTickCount(); }

WorkerDate SystemWorkerClock::LocalDate() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return WorkerDate{now.wYear, now.wMonth, now.wDay};
}

CWorkMgr::CWorkMgr(IWorkerClock* clock, WorkerLaunch launch)
    : m_clock(clock ? clock : &m_systemClock), m_launch(std::move(launch)) {
    if (!m_launch) {
        m_launch = [](const std::wstring& exe, const std::wstring& params) {
            return LaunchInUserSession(exe, params, SW_HIDE);
        };
    }
}

CWorkMgr::~CWorkMgr() { Stop(); }

bool CWorkMgr::StartThread() {
    if (m_thread) return true;
    m_stop = 0;
    m_thread.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    return static_cast<bool>(m_thread);
}

void CWorkMgr::AddWorker(std::unique_ptr<IWorker> worker) {
    CritSecLock guard(m_workersLock);
    m_workers.push_back(std::move(worker));
}

size_t CWorkMgr::WorkerCount() {
    CritSecLock guard(m_workersLock);
    return m_workers.size();
}

bool CWorkMgr::Start(const std::wstring& serviceDir) {
    const bool started = StartThread();

    auto active = std::make_unique<KActiveWroker>(*m_clock, m_launch);
    active->Begin();
    active->SetFirstDelay(60000);
    active->SetInterval(1800000);
    active->SetExePath(serviceDir + L"velmora.exe");
    active->SetParams(L"/svcactive");
    AddWorker(std::move(active));

    auto update = std::make_unique<KCommonWroker>(*m_clock, m_launch);
    update->Begin();
    update->SetFirstDelay(1800000);
    update->SetInterval(7200000);
    update->SetExePath(serviceDir + L"update.exe");
    update->SetParams(L"/autorun");
    AddWorker(std::move(update));
    return started;
}

void CWorkMgr::Stop() {
    m_stop = 1;
    if (m_thread) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }
    CritSecLock guard(m_workersLock);
    for (auto& worker : m_workers) worker->End();
    m_workers.clear();
}

DWORD WINAPI CWorkMgr::ThreadMain(void* self) {
    static_cast<CWorkMgr*>(self)->TickLoop();
    return 0;
}

void CWorkMgr::TickLoop() {
    for (;;) {
        if (!m_stop) {
            CritSecLock guard(m_workersLock);
            for (auto& worker : m_workers) {
                if (m_stop) break;
                worker->Tick();
            }
        }
        for (int i = 0; i < 50; ++i) {
            if (m_stop) return;
            Sleep(100);
        }
    }
}
