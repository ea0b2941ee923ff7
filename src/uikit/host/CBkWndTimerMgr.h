// Element timers: many (callback, id) timers of a window share one Win32 timer that ticks every 5 ms; each fires
// when its own interval has elapsed since it last fired. A window class binds the manager on WM_CREATE, unbinds it
// on WM_DESTROY and offers every message to ProcessTimerMessage.
//
// Threads: the window's thread only. Callbacks are not owned; an object that goes away stops its timers first
// (StopAllTimers). A callback may start and stop timers, its own or others', from inside OnTimer: an entry stopped
// during a round does not fire later in that round, an entry started during a round fires from the next one.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace BkTimer {

struct IBkWndTimerCallback {
    virtual void OnTimer(UINT id) = 0;

protected:
    ~IBkWndTimerCallback() = default;
};

struct IBkWndTimer {
    virtual void StopTimer(IBkWndTimerCallback* callback, UINT id) = 0;
    // False when the manager is not bound or an argument is 0.
    virtual bool StartTimer(IBkWndTimerCallback* callback, UINT id, UINT intervalMs) = 0;
    virtual void StopAllTimers(IBkWndTimerCallback* callback) = 0;

protected:
    ~IBkWndTimer() = default;
};

class CBkWndTimerMgr : public IBkWndTimer {
public:
    static constexpr UINT_PTR kWin32TimerId = 0xFFFF7777;
    static constexpr UINT kBaseIntervalMs = 5;

    CBkWndTimerMgr() = default;
    virtual ~CBkWndTimerMgr();
    CBkWndTimerMgr(const CBkWndTimerMgr&) = delete;
    CBkWndTimerMgr& operator=(const CBkWndTimerMgr&) = delete;

    // Timers of this window from now on (WM_CREATE).
    void Bind(HWND hwnd);
    // Stops the Win32 timer and forgets every entry (WM_DESTROY).
    void Unbind();

    // Handles WM_TIMER with kWin32TimerId; true when the message was ours.
    bool ProcessTimerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void StopTimer(IBkWndTimerCallback* callback, UINT id) override;
    bool StartTimer(IBkWndTimerCallback* callback, UINT id, UINT intervalMs) override;
    void StopAllTimers(IBkWndTimerCallback* callback) override;

    // Entries held, stopped ones included until the next tick removes them.
    size_t EntryCount() const { return m_entries.size(); }

private:
    struct Entry {
        IBkWndTimerCallback* callback;  // not owned
        UINT interval;
        DWORD lastFired;
        bool cancelled;
        UINT id;
    };

    void StopWin32Timer();
    void CancelAll();

    HWND m_hwnd = nullptr;
    bool m_enabled = false;
    bool m_win32TimerRunning = false;
    // Shared with the copy a tick walks, so a stop during the walk is seen before the entry would fire.
    std::vector<std::shared_ptr<Entry>> m_entries;
};

}  // namespace BkTimer
