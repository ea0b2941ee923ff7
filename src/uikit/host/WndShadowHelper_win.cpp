#include "uikit/host/WndShadowHelper.h"

bool WndShadowHelper::Attach(HWND host) {
    Detach();
    auto window = std::make_unique<CShadowWnd>();
    if (!window->Create(host, m_band, m_skin)) return false;
    if (!window->HasSkin()) return false;  // destroyed with `window`
    m_window = std::move(window);
    m_window->Follow();
    return true;
}

void WndShadowHelper::Detach() {
    if (m_window) m_window->DestroyWindow();
    m_window.reset();
}

bool WndShadowHelper::Follow() { return m_window && m_window->Follow(); }
