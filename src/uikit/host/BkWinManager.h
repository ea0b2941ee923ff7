// Process-wide facts of the framework's windows: the window that owns modal input now (the owner of the next
// modal run), and one critical section that serialises the painting of every host in the process.
#pragma once

#include <windows.h>

class BkWinManager {
public:
    BkWinManager();
    ~BkWinManager();
    BkWinManager(const BkWinManager&) = delete;
    BkWinManager& operator=(const BkWinManager&) = delete;

    static BkWinManager& Instance();

    // Null when no modal run is in progress. Any thread may read; modal runs set it on their UI thread.
    HWND GetModalWindow() const;
    // Answers the previous window.
    HWND SetModalWindow(HWND window);

    void EnterPaint() { EnterCriticalSection(&m_paintLock); }
    void LeavePaint() { LeaveCriticalSection(&m_paintLock); }

    // Holds the paint lock for a scope.
    class PaintLock {
    public:
        PaintLock() { BkWinManager::Instance().EnterPaint(); }
        ~PaintLock() { BkWinManager::Instance().LeavePaint(); }
        PaintLock(const PaintLock&) = delete;
        PaintLock& operator=(const PaintLock&) = delete;
    };

private:
    volatile HWND m_modal = nullptr;
    CRITICAL_SECTION m_paintLock;
};
