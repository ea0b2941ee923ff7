// A separate layered window that paints a shadow skin in a band around another window (class
// "BkShadowWndClass"; the skin "dlg_shadow" unless another is given). It takes no input, is never activated and
// sits just below its target. Without its skin it draws nothing and stays hidden. UI thread of the target only.
#pragma once

#include <windows.h>

#include <string>

#include "uikit/host/BkShadowDrawable.h"
#include "uikit/host/BkWindowBase.h"

class CShadowWnd : public CBkWindowImplBase {
public:
    static constexpr const wchar_t* kClassName = L"BkShadowWndClass";
    static constexpr const char* kSkinName = "dlg_shadow";

    // Creates the window (unowned, so it can sit below `target`), `band` pixels wide around it. False when creation
    // fails.
    bool Create(HWND target, int band = 12, const std::string& skinName = kSkinName);
    // Places the shadow around the target and repaints it; hides it when the target is hidden, minimised or
    // maximised. Call whenever the target moved, was sized, shown or hidden. Answers true when the shadow shows.
    bool Follow();
    bool HasSkin() const { return m_drawable.IsValid(); }
    int Band() const { return m_band; }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HWND m_target = nullptr;
    int m_band = 12;
    BkShadowDrawable m_drawable;
};
