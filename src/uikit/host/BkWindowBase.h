// The window object of framework windows: one C++ object bound to one HWND without thunks. The object is found
// from the window through GWLP_USERDATA; the messages CreateWindowEx sends before WM_NCCREATE (WM_GETMINMAXINFO)
// reach it through a per-thread "being created" slot. Messages go to ProcessWindowMessage, a virtual chain: a
// derived class handles what it wants and passes the rest to its base; unhandled messages get DefWindowProcW.
// UI thread only.
#pragma once

#include <windows.h>

#include "uikit/host/BkWndClass.h"

class CBkWindowImplBase {
public:
    CBkWindowImplBase() = default;
    virtual ~CBkWindowImplBase();  // destroys a window still bound
    CBkWindowImplBase(const CBkWindowImplBase&) = delete;
    CBkWindowImplBase& operator=(const CBkWindowImplBase&) = delete;

    // Registers the class of `info` if needed and creates the window bound to this object. `rc` in the parent's
    // client coordinates (screen for top-level windows); null = 0,0,0,0. Null on failure.
    HWND CreateBound(CBkWndClassInfo& info, HWND parent, const RECT* rc, const wchar_t* title, DWORD style,
                     DWORD exStyle, HMENU menuOrId = nullptr);
    BOOL DestroyWindow();

    HWND GetHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    // The object bound to a window made by CreateBound; null for other windows.
    static CBkWindowImplBase* FromHandle(HWND window);

    // The message chain. Answer true and set `result` when the message is handled.
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Default processing of unhandled messages.
    virtual LRESULT DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY, when the object is no longer bound.
    virtual void OnFinalMessage(HWND /*window*/) {}

protected:
    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
