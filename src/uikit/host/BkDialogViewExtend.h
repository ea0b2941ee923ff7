// The host with its two services for application window classes: cross-thread calls (the host is a
// CBkWndMsgFunction, so other threads Send and Post runnables to it) and element timers (a CBkWndTimerMgr shared
// by the window's elements), both reachable through IBkDialogWndContext. The calls are attached and the timers
// bound on WM_CREATE; on WM_DESTROY the sections drop their elements first, then the timers are unbound and the
// queued calls dropped. A window class derives as `class MyWnd : public BkDialogViewExtend<MyWnd>` and passes
// the messages it does not handle to this class. Threads: see CBkWndMsgFunction.h and CBkWndTimerMgr.h.
#pragma once

#include "uikit/host/BkRunnable.h"
#include "uikit/host/CBkDialogViewImplEx.h"
#include "uikit/host/CBkWndMsgFunction.h"
#include "uikit/host/CBkWndTimerMgr.h"

// What a host offers the objects inside it (elements, controllers): its window, its cross-thread calls, its
// element timers.
class IBkDialogWndContext {
public:
    virtual HWND GetDialogWnd() = 0;
    virtual BkWin::IBkRunnableContext* GetRunnableContext() = 0;
    virtual BkTimer::IBkWndTimer* GetWndTimer() = 0;

protected:
    ~IBkDialogWndContext() = default;
};

template <class T, class TDialog = CBkDialog, class TBase = CBkDialogViewBase, class TTraits = CBkDialogViewTraits>
class BkDialogViewExtend : public CBkDialogViewImplEx<T, TDialog, TBase, TTraits>,
                           public CBkWndMsgFunction,
                           public IBkDialogWndContext {
    using Host = CBkDialogViewImplEx<T, TDialog, TBase, TTraits>;

public:
    BkTimer::CBkWndTimerMgr& TimerMgr() { return m_timers; }

    // IBkDialogWndContext
    HWND GetDialogWnd() override { return this->GetHwnd(); }
    BkWin::IBkRunnableContext* GetRunnableContext() override { return this; }
    BkTimer::IBkWndTimer* GetWndTimer() override { return &m_timers; }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_CREATE) {
            AttachRunnableWindow(window);
            m_timers.Bind(window);
            return Host::ProcessWindowMessage(window, message, wParam, lParam, result);
        }
        if (message == WM_DESTROY) {
            // Elements may stop their timers or cancel their calls while they go.
            const bool handled = Host::ProcessWindowMessage(window, message, wParam, lParam, result);
            m_timers.Unbind();
            DetachRunnableWindow();
            return handled;
        }
        if (ProcessRunnableMessage(window, message, wParam, lParam, result)) return true;
        if (m_timers.ProcessTimerMessage(window, message, wParam, lParam, result)) return true;
        return Host::ProcessWindowMessage(window, message, wParam, lParam, result);
    }

private:
    BkTimer::CBkWndTimerMgr m_timers;
};
