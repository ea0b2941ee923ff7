// A plain Win32 window that mixes in the cross-thread calls and the element timers the way a host does, a message
// pump with a deadline, and a runnable that counts its live instances.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <utility>

#include "uikit/host/BkRunnable.h"
#include "uikit/host/CBkWndMsgFunction.h"
#include "uikit/host/CBkWndTimerMgr.h"

namespace callstest {

class TestWindow : public CBkWndMsgFunction, public BkTimer::CBkWndTimerMgr {
public:
    TestWindow() {
        static const ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &TestWindow::WndProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VelmoraCallsTestWnd";
            return RegisterClassW(&wc);
        }();
        m_hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"calls", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
    }
    ~TestWindow() override { Destroy(); }

    HWND Hwnd() const { return m_hwnd; }
    void Destroy() {
        if (m_hwnd) DestroyWindow(m_hwnd);
    }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        LRESULT result = 0;
        switch (msg) {
            case WM_CREATE:
                self->AttachRunnableWindow(hwnd);
                self->Bind(hwnd);
                return 0;
            case WM_DESTROY:
                self->DetachRunnableWindow();
                self->Unbind();
                self->m_hwnd = nullptr;
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                return 0;
            default:
                break;
        }
        if (self->ProcessRunnableMessage(hwnd, msg, wParam, lParam, result)) return result;
        if (self->ProcessTimerMessage(hwnd, msg, wParam, lParam, result)) return result;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
};

// Pumps this thread's messages until done() or the time-out; answers done().
template <typename Pred>
bool PumpUntil(Pred done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        // The deadline is checked per message too: threads posting without pause can keep the queue full.
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (done()) return true;
            if (GetTickCount() - start >= timeoutMs) return false;
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

inline std::atomic<int>& LiveRunnables() {
    static std::atomic<int> live{0};
    return live;
}

// Runs a function; counts how many instances exist so a test can see every reference was given back.
class Probe : public BkWin::BkRefImpl<BkWin::IRunnable> {
public:
    explicit Probe(std::function<void()> body = {}) : m_body(std::move(body)) { ++LiveRunnables(); }
    ~Probe() override { --LiveRunnables(); }
    void Run() override {
        ++m_runs;
        m_lastThread = GetCurrentThreadId();
        m_lastTick = GetTickCount();
        if (m_body) m_body();
    }

    std::atomic<int> m_runs{0};
    std::atomic<DWORD> m_lastThread{0};
    std::atomic<DWORD> m_lastTick{0};

private:
    std::function<void()> m_body;
};

using ProbePtr = BkWin::BkRefPtr<Probe>;
inline ProbePtr MakeProbe(std::function<void()> body = {}) { return ProbePtr(new Probe(std::move(body))); }

}  // namespace callstest
