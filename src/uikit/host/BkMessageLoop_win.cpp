#include <algorithm>

#include "uikit/host/BkMessageLoop.h"

bool CBkMessageLoop::AddMessageFilter(IBkMessageFilter* filter) {
    if (!filter) return false;
    m_filters.push_back(filter);
    return true;
}

bool CBkMessageLoop::RemoveMessageFilter(IBkMessageFilter* filter) {
    const auto it = std::find(m_filters.begin(), m_filters.end(), filter);
    if (it == m_filters.end()) return false;
    m_filters.erase(it);
    return true;
}

bool CBkMessageLoop::PreTranslateMessage(MSG* msg) {
    // A copy: a filter may remove itself (or others) while it runs.
    const std::vector<IBkMessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(msg)) return true;
    }
    return false;
}

int CBkMessageLoop::Run(bool repostQuit) {
    m_running = true;
    m_quit = false;
    m_code = 0;
    MSG msg{};
    while (!m_quit) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            m_code = static_cast<int>(msg.wParam);
            if (repostQuit) PostQuitMessage(m_code);
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_running = false;
    return m_code;
}

void CBkMessageLoop::Quit(int code) {
    m_code = code;
    m_quit = true;
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}
