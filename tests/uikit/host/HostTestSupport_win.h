// Helpers of the dialog host tests: a host window class that records what the host tells its window, the test
// documents registered once, and mouse messages sent the way Windows sends them (hit test first).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkResource.h"
#include "uikit/element/BkNotifyRecords.h"
#include "uikit/element/CBkWindow.h"
#include "uikit/host/CBkDialogViewImplEx.h"

namespace hosttest {

struct Note {
    UINT code;
    UINT id;
    std::string tag;
};

// Records host notifications and swallows drag moves (WM_SYSCOMMAND SC_MOVE), which would otherwise start the
// system's move loop and wait for a real button release.
class RecordingHost : public CBkDialogViewImplEx<RecordingHost> {
public:
    std::vector<Note> notes;
    std::vector<WPARAM> moves;
    std::function<void(const BkHostNotify&)> onNotify;
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (onMessage && onMessage(message, wParam, lParam, result)) return true;
        if (message == WM_NOTIFY && wParam == static_cast<WPARAM>(-1)) {
            const auto* n = reinterpret_cast<const BkHostNotify*>(lParam);
            notes.push_back({n->hdr.code, n->id, n->tag ? n->tag : ""});
            if (onNotify) onNotify(*n);
            result = 0;
            return true;
        }
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MOVE) {
            moves.push_back(wParam);
            return true;
        }
        return CBkDialogViewImplEx<RecordingHost>::ProcessWindowMessage(window, message, wParam, lParam, result);
    }

    // Notes of one code.
    std::vector<Note> Of(UINT code) const {
        std::vector<Note> out;
        for (const Note& n : notes) {
            if (n.code == code) out.push_back(n);
        }
        return out;
    }

    // Windows' order for a mouse message: the hit test at the point, then the message (client coordinates).
    LRESULT Mouse(UINT message, int x, int y, WPARAM keys = 0) {
        POINT screen{x, y};
        ClientToScreen(m_hWnd, &screen);
        SendMessageW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        return SendMessageW(m_hWnd, message, keys, MAKELPARAM(x, y));
    }
    // The remembered hit-test code for a client point, and the answer Windows got.
    UINT HitCodeAt(int x, int y, LRESULT* answer = nullptr) {
        POINT screen{x, y};
        ClientToScreen(m_hWnd, &screen);
        const LRESULT r = SendMessageW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (answer) *answer = r;
        return LastHitTestCode();
    }
};

// The test skins and styles, registered once per process.
inline void RegisterTestDocuments() {
    static const bool done = [] {
        std::string skins, styles;
        BkFindResourceData(700, L"xml", skins);
        BkFindResourceData(701, L"xml", styles);
        BkSkinRegistry::Instance().ApplyDocument(skins);
        BkStyleRegistry::Instance().ApplyDocument(styles);
        return true;
    }();
    (void)done;
}

// Runs the queue of this thread until it is empty or `ms` have passed.
inline void Pump(DWORD ms = 50) {
    const DWORD until = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Keeps the (virtual) pointer away from test windows, which sit near the top-left of the screen.
inline void ParkCursor() { SetCursorPos(1279, 799); }

}  // namespace hosttest
