// The holder of one worker thread. Windows only.
//
// Threading: Start, WaitFor, Terminate and Stop from the thread that owns the holder; IsRunning from any thread.
#pragma once

#include <windows.h>

#include "common/ScopedWin.h"

// The body of a worker thread.
class ISimpleThreatCallback {
public:
    virtual int Execute(void* argument) = 0;

protected:
    ~ISimpleThreatCallback() = default;
};

class CSimpleThread {
public:
    CSimpleThread() = default;
    ~CSimpleThread();  // Stop()
    CSimpleThread(const CSimpleThread&) = delete;
    CSimpleThread& operator=(const CSimpleThread&) = delete;

    // Waits for a previous thread to end, then starts body->Execute(this) on a new thread. True when the thread
    // was created.
    bool Start(ISimpleThreatCallback* body);
    // Forgets the thread (closing its handle) when it has ended within the time.
    void WaitFor(DWORD milliseconds);
    // Kills a thread that is still held. Last resort: a thread killed inside the heap or libcurl leaves locks
    // behind.
    void Terminate();
    // WaitFor(0), then Terminate().
    void Stop();
    // Closes the handle without waiting or killing: for a body that destroys its holder on its own thread.
    void Detach();
    bool IsRunning() const;
    // True on the worker thread itself.
    bool IsCurrentThread() const { return m_threadId != kNoThread && m_threadId == GetCurrentThreadId(); }

private:
    static DWORD WINAPI ThreadProc(void* param);
    static constexpr DWORD kNoThread = static_cast<DWORD>(-1);

    ScopedHandle m_thread;
    void* m_argument = nullptr;
    ISimpleThreatCallback* m_body = nullptr;  // not owned
    DWORD m_threadId = kNoThread;
};
