// A rounded window: the window region is a round rectangle with the corner ellipse the window chooses, applied
// on every real size change, and the border line is a chamfered polyline drawn with GDI+ in translucent black.
// Used by hosts that are not child windows. UI thread only.
#pragma once

#include <windows.h>

class CWHRoundRectFrameHelper {
public:
    // The corner ellipse of CreateRoundRectRgn (width, height).
    void SetRoundCorner(int width, int height) {
        m_cornerWidth = width;
        m_cornerHeight = height;
    }
    int CornerWidth() const { return m_cornerWidth; }
    int CornerHeight() const { return m_cornerHeight; }

    // WM_SIZE: applies the region unless the window is minimised or its size equals the last applied one.
    // Answers true when a region was set.
    bool OnSize(HWND window, UINT sizeType);
    // Forgets the last size, so the next OnSize applies the region again (after a region was dropped).
    void Reset() { m_lastSize = SIZE{-1, -1}; }

    // The border line inside `rc` (client coordinates of `dc`), ARGB 0x6E000000, width 1.
    static void DrawBorder(HDC dc, const RECT& rc);

private:
    int m_cornerWidth = 0;
    int m_cornerHeight = 0;
    SIZE m_lastSize{-1, -1};
};
