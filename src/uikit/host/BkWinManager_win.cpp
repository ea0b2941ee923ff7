#include "common/SingletonGuard.h"
#include "uikit/host/BkWinManager.h"

// Kept at exit: a window of another thread may still paint while the process winds down.
BkWinManager& BkWinManager::Instance() {
    return ProcessSingleton<BkWinManager>::Get(ProcessSingleton<BkWinManager>::AtExit::Keep);
}

HWND BkWinManager::GetModalWindow() const { return m_modal; }

HWND BkWinManager::SetModalWindow(HWND window) {
    return reinterpret_cast<HWND>(
        InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_modal), static_cast<PVOID>(window)));
}
