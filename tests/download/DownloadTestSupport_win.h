// Helpers of the download tests: the local content server as a child process, a message-only window that
// dispatches UM_DOWNLOAD_NOTIFY like the main window does, and a callback that records what reached it.
#pragma once

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/ScopedWin.h"
#include "common/WinTestSupport_win.h"
#include "download/DownloadNotify.h"
#include "download/KHttpRequest.h"

namespace dltest {

// A Unix path as Wine shows it on drive Z:.
inline std::wstring ZPath(const std::string& unixPath) {
    std::wstring out = L"Z:";
    for (char c : unixPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

using wintest::FileExists;
using wintest::ReadWholeFile;
using wintest::WriteWholeFile;

// zlib-wrapped data, as the content server's ".z" files hold it.
inline std::string ZlibCompress(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
             static_cast<uLong>(plain.size()));
    out.resize(size);
    return out;
}

// Deterministic bytes that a shifted or truncated copy cannot match.
inline std::string PatternBytes(size_t size, unsigned seed = 1) {
    std::string out(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<char>(x >> 16);
    }
    return out;
}

// tools/content_server.py serving a fresh folder under /tmp, reachable from here as Z:\tmp\...
class ContentServer {
public:
    // extraArguments: for example L" --tls".
    explicit ContentServer(const std::wstring& extraArguments = std::wstring()) {
        const std::string tag = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
        m_unixRoot = "/tmp/velmora_dl_" + tag;
        m_root = ZPath(m_unixRoot);
        CreateDirectoryW(m_root.c_str(), nullptr);
        m_portFile = ZPath(m_unixRoot + ".port");
        DeleteFileW(m_portFile.c_str());
        std::wstring cmd = L"Z:\\usr\\bin\\python3 " +
                           Widen(std::string(VELMORA_SOURCE_DIR) + "/tools/content_server.py") + L" --root " +
                           Widen(m_unixRoot) + L" --port-file " + Widen(m_unixRoot + ".port") + extraArguments;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        m_tls = extraArguments.find(L"--tls") != std::wstring::npos;
        m_process.Reset(pi.hProcess);
        CloseHandle(pi.hThread);
        for (int i = 0; i < 200 && m_port == 0; ++i) {
            std::string text;
            if (ReadWholeFile(m_portFile, text) && !text.empty()) m_port = atoi(text.c_str());
            if (m_port == 0) Sleep(50);
        }
    }
    ~ContentServer() {
        if (m_port != 0) {
            KHttpRequest quit;
            quit.mode = KHttpRequest::kGetToMemory;
            quit.keepTlsDefaults = 0;  // verify 0: the test server's certificate is its own
            quit.url = Narrow(Url(L"/__quit"));
            quit.Perform();
        }
        if (m_process) WaitForSingleObject(m_process.Get(), 3000);
        DeleteFileW(m_portFile.c_str());
        wintest::RemoveTree(m_root);
    }
    ContentServer(const ContentServer&) = delete;
    ContentServer& operator=(const ContentServer&) = delete;

    bool IsUp() const { return m_port != 0; }
    int Port() const { return m_port; }
    // The served folder (Windows path, no trailing backslash).
    const std::wstring& Root() const { return m_root; }
    std::wstring Url(const std::wstring& path) const {
        return (m_tls ? L"https://127.0.0.1:" : L"http://127.0.0.1:") + std::to_wstring(m_port) + path;
    }
    bool Put(const std::wstring& name, const std::string& bytes) const {
        return WriteWholeFile(m_root + L"\\" + name, bytes);
    }
    // Request paths served so far, in arrival order.
    std::vector<std::string> Log() const {
        KHttpRequest request;
        request.mode = KHttpRequest::kGetToMemory;
        request.url = Narrow(Url(L"/__log"));
        std::vector<std::string> lines;
        if (request.Perform() != 0) return lines;
        size_t start = 0;
        for (size_t end; (end = request.responseBody.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(request.responseBody.substr(start, end - start));
        return lines;
    }
    size_t CountRequests(const std::string& path) const {
        size_t n = 0;
        for (const auto& line : Log()) n += line == path;
        return n;
    }

    static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
    static std::string Narrow(const std::wstring& s) {
        std::string out;
        for (wchar_t c : s) out += static_cast<char>(c);
        return out;
    }

private:
    std::string m_unixRoot;
    std::wstring m_root;
    std::wstring m_portFile;
    ScopedHandle m_process;
    int m_port = 0;
    bool m_tls = false;
};

// What reached a callback, in order, as short texts: "state 1", "progress 37", "finish 3 <path>", "icon 7 <path>".
class RecordingCallback : public IDownLoadSoftCallback, public IDownLoadIconCallback {
public:
    explicit RecordingCallback(HWND hwnd) : m_hwnd(hwnd) {}
    virtual ~RecordingCallback() = default;

    void OnProgress(int softid, int percent) override {
        lastSoftid = softid;
        progress.push_back(percent);
        events.push_back("progress " + std::to_string(percent));
    }
    void OnState(int state) override { events.push_back("state " + std::to_string(state)); }
    void OnFinish(int downloadType, const std::wstring& path) override {
        finishedPath = path;
        events.push_back("finish " + std::to_string(downloadType));
    }
    HWND GetHwnd() override { return m_hwnd; }
    void OnIconReady(int iconId, const std::wstring& path) override {
        iconPath = path;
        events.push_back("icon " + std::to_string(iconId));
    }

    // The events without the progress ones, and with a repeated "state 1" once: a task sends state 1 to each new
    // callback and again to all of them when its worker starts.
    std::vector<std::string> Milestones() const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.rfind("progress", 0) == 0) continue;
            if (e == "state 1" && !out.empty() && out.back() == "state 1") continue;
            out.push_back(e);
        }
        return out;
    }
    size_t Count(const std::string& event) const { return std::count(events.begin(), events.end(), event); }
    bool Saw(const std::string& event) const {
        for (const auto& e : events)
            if (e == event) return true;
        return false;
    }

    std::vector<std::string> events;
    std::vector<int> progress;
    std::wstring finishedPath;
    std::wstring iconPath;
    int lastSoftid = 0;

private:
    HWND m_hwnd;
};

// A message-only window that hands UM_DOWNLOAD_NOTIFY to its dispatcher, as the main window does.
class NotifyWindow {
public:
    NotifyWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraDownloadTestSink";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~NotifyWindow() {
        // Free what is still queued, as a closing window must.
        MSG msg;
        while (PeekMessageW(&msg, m_hwnd, UM_DOWNLOAD_NOTIFY, UM_DOWNLOAD_NOTIFY, PM_REMOVE))
            FreeNotifyText(reinterpret_cast<wchar_t*>(msg.wParam));
        DestroyWindow(m_hwnd);
    }
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    CDownloadNotifyDispatcher& Dispatcher() { return m_dispatcher; }
    int Received() const { return m_received; }
    int Ignored() const { return m_ignored; }

    // Runs the message loop until done() holds or the time is up; answers done().
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs) return done();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, (timeoutMs - spent) < 50 ? timeoutMs - spent : 50,
                                      QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        return true;
    }
    // Handles every message already queued.
    void Drain() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Runs the loop for a while regardless (to prove that nothing more arrives).
    void PumpFor(DWORD ms) {
        PumpUntil([] { return false; }, ms);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == UM_DOWNLOAD_NOTIFY && self != nullptr) {
            auto* text = reinterpret_cast<wchar_t*>(wParam);
            ++self->m_received;
            if (!self->m_dispatcher.Dispatch(text)) ++self->m_ignored;
            FreeNotifyText(text);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
    CDownloadNotifyDispatcher m_dispatcher;
    int m_received = 0;
    int m_ignored = 0;
};

// Waits (pumping) until no task is alive.
inline bool WaitForTasksGone(NotifyWindow& window, const std::function<int()>& liveCount, DWORD timeoutMs = 30000) {
    const bool gone = window.PumpUntil([&] { return liveCount() == 0; }, timeoutMs);
    window.Drain();  // a task posts everything before it destroys itself
    return gone;
}

}  // namespace dltest
