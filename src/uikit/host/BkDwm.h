// Desktop composition (dwmapi), loaded by name on first use: on systems or under Wine without the functions,
// every call fails quietly (false / E_NOTIMPL). Any thread.
#pragma once

#include <windows.h>

namespace BkDwm {

bool IsCompositionEnabled();
HRESULT EnableComposition(bool enable);
// Margins left, right, top, bottom.
HRESULT ExtendFrameIntoClientArea(HWND window, int left, int right, int top, int bottom);
// Blur behind the window in `region` (null: the whole window); `enable` false switches it off.
HRESULT EnableBlurBehindWindow(HWND window, bool enable, HRGN region);

// Blur behind is used only on Windows Vista, 7 and Server 2008 / 2008 R2 (version 6.0 or 6.1).
bool BlurWantedOnThisSystem();
bool BlurWantedForVersion(DWORD major, DWORD minor);

}  // namespace BkDwm
