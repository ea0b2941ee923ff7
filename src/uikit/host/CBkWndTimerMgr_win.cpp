#include <algorithm>

#include "uikit/host/BkRunnable.h"
#include "uikit/host/CBkWndTimerMgr.h"

namespace BkTimer {

CBkWndTimerMgr::~CBkWndTimerMgr() { Unbind(); }

void CBkWndTimerMgr::Bind(HWND hwnd) {
    Unbind();
    m_hwnd = hwnd;
    m_enabled = hwnd != nullptr;
}

void CBkWndTimerMgr::Unbind() {
    StopWin32Timer();
    CancelAll();
    m_entries.clear();
    m_enabled = false;
    m_hwnd = nullptr;
}

void CBkWndTimerMgr::StopWin32Timer() {
    if (m_win32TimerRunning && m_hwnd) KillTimer(m_hwnd, kWin32TimerId);
    m_win32TimerRunning = false;
}

void CBkWndTimerMgr::CancelAll() {
    // A tick walking its copy may still hold these entries.
    for (auto& entry : m_entries) entry->cancelled = true;
}

bool CBkWndTimerMgr::StartTimer(IBkWndTimerCallback* callback, UINT id, UINT intervalMs) {
    if (!m_enabled || !m_hwnd || !callback || id == 0 || intervalMs == 0) return false;
    if (!m_win32TimerRunning) {
        if (!SetTimer(m_hwnd, kWin32TimerId, kBaseIntervalMs, nullptr)) return false;
        m_win32TimerRunning = true;
    }
    const DWORD now = GetTickCount();
    for (auto& entry : m_entries) {
        if (entry->callback == callback && entry->id == id) {
            entry->cancelled = false;
            entry->lastFired = now;
            entry->interval = intervalMs;
            return true;
        }
    }
    m_entries.push_back(std::make_shared<Entry>(Entry{callback, intervalMs, now, false, id}));
    return true;
}

void CBkWndTimerMgr::StopTimer(IBkWndTimerCallback* callback, UINT id) {
    for (auto& entry : m_entries) {
        if (entry->callback == callback && entry->id == id) entry->cancelled = true;
    }
}

void CBkWndTimerMgr::StopAllTimers(IBkWndTimerCallback* callback) {
    for (auto& entry : m_entries) {
        if (entry->callback == callback) entry->cancelled = true;
    }
}

bool CBkWndTimerMgr::ProcessTimerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_TIMER || wParam != kWin32TimerId || !m_hwnd || hwnd != m_hwnd) return false;
    result = 0;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return e->cancelled; }),
                    m_entries.end());
    if (m_entries.empty()) {
        StopWin32Timer();
        return true;
    }
    // Walk a copy: callbacks change the list, and may even destroy this manager, so from here on only the copy
    // is touched.
    const auto round = m_entries;
    for (const auto& entry : round) {
        if (entry->cancelled) continue;
        const DWORD now = GetTickCount();
        if (!BkWin::BkTickElapsed(now, entry->lastFired, entry->interval)) continue;
        entry->lastFired = now;
        entry->callback->OnTimer(entry->id);
    }
    return true;
}

}  // namespace BkTimer
