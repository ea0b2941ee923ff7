// Cross-thread calls for one window: other threads hand runnables to the window's thread, to run at once and wait
// (Send) or to run later from a queue (Post). A window class mixes this in, attaches its window on creation,
// detaches on destruction and offers every message to ProcessRunnableMessage first.
//
// Threads: Send, Post, Cancel and CancelByKey may be called from any thread. AttachRunnableWindow,
// DetachRunnableWindow and ProcessRunnableMessage run on the window's thread only. The queue lock is never held
// while a runnable runs, so a runnable may post, cancel or send further calls.
//
// Queued calls are owned by the queue alone: the posted message only says "look at the queue" and carries the
// call's id, never a pointer, so messages still in the Windows queue when the window goes away reference nothing.
#pragma once

#include <windows.h>

#include "uikit/host/BkRunnable.h"

namespace BkWin {
class BkRunnableQueue;  // the per-window queue, reference counted so it outlives a runnable that deletes its owner
}

class CBkWndMsgFunction : public BkWin::IBkRunnableContext {
public:
    // Timer that polls the queue while delayed calls wait.
    static constexpr UINT_PTR kQueueTimerId = 10000001;
    static constexpr UINT kQueueTimerMs = 5;

    CBkWndMsgFunction();
    virtual ~CBkWndMsgFunction();
    CBkWndMsgFunction(const CBkWndMsgFunction&) = delete;
    CBkWndMsgFunction& operator=(const CBkWndMsgFunction&) = delete;

    // Registered once per process on first use.
    static UINT SendMessageId();
    static UINT PostMessageId();

    // From now on calls go to hwnd (on WM_CREATE).
    void AttachRunnableWindow(HWND hwnd);
    // Drops all queued calls without running them and stops the queue timer; later Send/Post answer false/0
    // (on WM_DESTROY; the destructor does it too).
    void DetachRunnableWindow();

    // Handles the SEND and POST messages and the queue timer; true when the message was ours.
    bool ProcessRunnableMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    bool Send(BkWin::IRunnable* runnable) override;
    UINT Post(BkWin::IRunnable* runnable, DWORD delayMs) override;
    UINT Post(BkWin::IRunnable* runnable, DWORD delayMs, UINT_PTR key) override;
    void Cancel(UINT id) override;
    void CancelByKey(UINT_PTR key) override;

private:
    BkWin::BkRunnableQueue* m_queue;  // owned reference
};
