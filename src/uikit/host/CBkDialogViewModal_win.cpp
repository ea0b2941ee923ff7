// The host's modal run.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <cstring>

#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/host/BkAppModule.h"
#include "uikit/host/BkDwm.h"
#include "uikit/host/BkWinManager.h"
#include "uikit/host/CBkDialogViewBase.h"

// ---- modal run ----

INT_PTR CBkDialogViewBase::RunModal(HWND owner) {
    BkWinManager& manager = BkWinManager::Instance();
    if (!owner) owner = manager.GetModalWindow();
    if (!owner || !::IsWindow(owner)) owner = GetActiveWindow();
    if (owner == GetDesktopWindow()) owner = nullptr;
    bool ownerDisabled = false;
    if (owner && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    m_modalResult = 0;
    if (!Create(owner)) {
        if (ownerDisabled) EnableWindow(owner, TRUE);
        return 0;
    }
    const HWND previousModal = manager.SetModalWindow(m_hWnd);

    // Centre on the owner, or on the work area without one.
    RECT area{};
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    RECT wr{};
    GetWindowRect(m_hWnd, &wr);
    const int x = area.left + ((area.right - area.left) - (wr.right - wr.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (wr.bottom - wr.top)) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_modalRunning = true;
    if (m_bringToFront) {
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        const DWORD self = GetCurrentThreadId();
        const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const bool attach = foreground && foreground != self && AttachThreadInput(self, foreground, TRUE);
        ShowWindow(m_hWnd, SW_SHOWNA);
        if (attach) AttachThreadInput(self, foreground, FALSE);
        if (GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED) SendMessageW(m_hWnd, WM_PAINT, 0, 0);
    } else {
        ShowWindow(m_hWnd, SW_SHOW);
    }

    CBkMessageLoop loop;
    const bool registered = CBkAppModule::Instance().AddMessageLoop(&loop);
    m_modalLoop = &loop;
    // EndModal may already have come (from WM_CREATE or the show).
    if (m_modalRunning) loop.Run(true);
    m_modalRunning = false;
    m_modalLoop = nullptr;
    if (registered) CBkAppModule::Instance().RemoveMessageLoop();

    if (m_hWnd && ::IsWindow(m_hWnd)) {
        const bool wasActive = GetActiveWindow() == m_hWnd;
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
        if (ownerDisabled) EnableWindow(owner, TRUE);
        if (wasActive && owner && ::IsWindow(owner)) SetActiveWindow(owner);
        manager.SetModalWindow(previousModal);
        ::DestroyWindow(m_hWnd);
    } else {
        if (ownerDisabled && ::IsWindow(owner)) EnableWindow(owner, TRUE);
        manager.SetModalWindow(previousModal);
    }
    return m_modalResult;
}

void CBkDialogViewBase::EndModal(INT_PTR result) {
    m_modalResult = result;
    if (!m_modalRunning) return;
    m_modalRunning = false;
    if (m_modalLoop) m_modalLoop->Quit(0);
}
