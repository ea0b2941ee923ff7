// A thread's message loop with message filters (a filter sees each message before it is translated and
// dispatched and may swallow it). The loop ends on WM_QUIT or when Quit is called on its thread; a loop ended by
// Quit puts no WM_QUIT in the queue, so an enclosing loop keeps running. UI thread only.
#pragma once

#include <windows.h>

#include <vector>

class IBkMessageFilter {
public:
    virtual ~IBkMessageFilter() = default;
    // True: the message was handled and is not dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;
};

class CBkMessageLoop {
public:
    virtual ~CBkMessageLoop() = default;

    bool AddMessageFilter(IBkMessageFilter* filter);  // not owned
    bool RemoveMessageFilter(IBkMessageFilter* filter);

    // Runs until WM_QUIT (answers its wParam; the WM_QUIT is posted again when the loop was ended that way while
    // nested, see `repostQuit`) or Quit (answers the code given there).
    int Run(bool repostQuit = false);
    // Ends Run at the next message; wakes the thread with a WM_NULL.
    void Quit(int code);
    bool IsRunning() const { return m_running; }

protected:
    // Runs the filters, newest first.
    virtual bool PreTranslateMessage(MSG* msg);

private:
    std::vector<IBkMessageFilter*> m_filters;
    bool m_running = false;
    bool m_quit = false;
    int m_code = 0;
};
