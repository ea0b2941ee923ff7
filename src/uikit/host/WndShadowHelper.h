// The drop shadow of a host window: a layered companion window (CShadowWnd) owned by the host paints the shadow
// drawable in a band around the host's window rectangle and follows it, so the host's own painting, region and
// hit testing stay as they are (it needs no per-pixel alpha of its own). The host attaches it once its window
// exists, calls Follow whenever its window moved, was sized, shown or hidden, and detaches it on WM_DESTROY.
// UI thread of the host only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "uikit/host/CShadowWnd.h"

class WndShadowHelper {
public:
    static constexpr int kDefaultBand = 12;
    static constexpr const char* kDefaultSkin = "cmn_shadow";

    // The skin and the band width; takes effect at the next Attach.
    void SetShadow(const std::string& skinName = kDefaultSkin, int band = kDefaultBand) {
        m_skin = skinName;
        m_band = band;
    }
    const std::string& Skin() const { return m_skin; }
    int Band() const { return m_band; }

    // Creates the shadow window for `host`; false when the skin is missing (nothing is created then) or the
    // window cannot be made.
    bool Attach(HWND host);
    void Detach();
    // Places and repaints the shadow, or hides it; true when it shows.
    bool Follow();
    HWND ShadowWindow() const { return m_window ? m_window->GetHwnd() : nullptr; }

private:
    std::string m_skin = kDefaultSkin;
    int m_band = kDefaultBand;
    std::unique_ptr<CShadowWnd> m_window;
};
