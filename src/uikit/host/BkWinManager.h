// Process-wide facts of the framework's windows: the window that owns modal input now (the owner of the next
// modal run), and one critical section that serialises the painting of every host in the process.
#pragma once

#include <windows.h>

#include "common/CritSec.h"

class BkWinManager {
public:
    BkWinManager() = default;
    BkWinManager(const BkWinManager&) = delete;
    BkWinManager& operator=(const BkWinManager&) = delete;

    static BkWinManager& Instance();

    // Null when no modal run is in progress. Any thread may read; modal runs set it on their UI thread.
    HWND GetModalWindow() const;
    // Answers the previous window.
    HWND SetModalWindow(HWND window);

    // Holds the paint lock for a scope.
    class PaintLock {
    public:
        PaintLock() : m_lock(BkWinManager::Instance().m_paintLock) {}

    private:
        CritSecLock m_lock;
    };

private:
    volatile HWND m_modal = nullptr;
    CritSec m_paintLock;
};
