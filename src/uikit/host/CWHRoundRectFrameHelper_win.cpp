#include <objidl.h>

#include "uikit/host/CWHRoundRectFrameHelper.h"
// clang-format off
#include <gdiplus.h>
// clang-format on

#include "uikit/doc/BkImagePool.h"

bool CWHRoundRectFrameHelper::OnSize(HWND window, UINT sizeType) {
    if (sizeType == SIZE_MINIMIZED || !IsWindow(window) || IsIconic(window)) return false;
    RECT rc{};
    GetWindowRect(window, &rc);
    const SIZE size{rc.right - rc.left, rc.bottom - rc.top};
    if (size.cx == m_lastSize.cx && size.cy == m_lastSize.cy) return false;
    m_lastSize = size;
    HRGN region = CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, m_cornerWidth, m_cornerHeight);
    if (!region) return false;
    // The window owns the region from here on.
    if (!SetWindowRgn(window, region, TRUE)) {
        DeleteObject(region);
        return false;
    }
    return true;
}

void CWHRoundRectFrameHelper::DrawBorder(HDC dc, const RECT& rc) {
    if (!BkStartGdiplus()) return;
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const Gdiplus::Point points[] = {
        {l + 3, t},     {r - 4, t}, {r - 1, t + 3}, {r - 1, b - 4}, {r - 4, b - 1},
        {l + 3, b - 1}, {l, b - 4}, {l, t + 3},     {l + 3, t},
    };
    Gdiplus::Graphics g(dc);
    Gdiplus::Pen pen(Gdiplus::Color(0x6E000000), 1.0f);
    g.DrawLines(&pen, points, static_cast<INT>(sizeof points / sizeof points[0]));
}
