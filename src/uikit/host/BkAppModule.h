// The module object of framework programs: the instance handles windows and resources come from, and the
// per-thread registry of message loops (a modal run or a popup finds the loop of its thread here). Any thread.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>

class CBkMessageLoop;

class CBkAppModule {
public:
    static CBkAppModule& Instance();
    // The program's module (resources of the UI documents live there too).
    HINSTANCE GetModuleInstance() const { return GetModuleHandleW(nullptr); }
    HINSTANCE GetResourceInstance() const { return GetModuleHandleW(nullptr); }

    // One loop per thread; false when the calling thread already has one or `loop` is null. Not owned.
    bool AddMessageLoop(CBkMessageLoop* loop);
    // Removes the calling thread's loop; false when it had none.
    bool RemoveMessageLoop();
    // The loop of `threadId` (0: the calling thread), or null.
    CBkMessageLoop* GetMessageLoop(DWORD threadId = 0) const;

private:
    mutable std::mutex m_lock;
    std::map<DWORD, CBkMessageLoop*> m_loops;
};
