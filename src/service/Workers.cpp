#include "service/Workers.h"

#include <utility>

KCommonWroker::KCommonWroker(IWorkerClock& clock, WorkerLaunch launch) : m_clock(clock), m_launch(std::move(launch)) {}

int KCommonWroker::Begin() {
    m_lastLaunch = m_clock.TickCount();
    return 1;
}

bool KCommonWroker::TickSchedule() {
    const uint32_t now = m_clock.TickCount();
    const uint32_t elapsed = now - m_lastLaunch;  // unsigned: stays right across the tick count's wrap
    if (m_firstDelay != 0) {
        if (elapsed <= m_firstDelay) return false;
        m_firstDelay = 0;
    } else if (m_interval == 0 || elapsed <= m_interval) {
        return false;
    }
    m_lastLaunch = now;
    if (m_launch) m_launch(m_exePath, m_params);
    return true;
}

int KCommonWroker::Tick() {
    TickSchedule();
    return 1;
}

int KActiveWroker::Tick() {
    // The whole date, not only the day of the month: the same day number a month later is another day.
    if (m_clock.LocalDate() == m_lastLaunchDate) return 0;
    if (TickSchedule()) m_lastLaunchDate = m_clock.LocalDate();
    return 1;
}
