// A drop shadow drawn from a skin: the skin's first frame is rendered once into a premultiplied 32-bit bitmap
// and drawn in nine parts whose corner margins are half the image (width/2, height/2, width - width/2 - 1,
// height - height/2 - 1), so only a one-pixel middle row and column are stretched. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "uikit/doc/BkDib.h"

class BkShadowDrawable {
public:
    BkShadowDrawable() = default;
    BkShadowDrawable(const BkShadowDrawable&) = delete;
    BkShadowDrawable& operator=(const BkShadowDrawable&) = delete;

    // False when the skin is unknown or has no image; the drawable then draws nothing.
    bool Load(const std::string& skinName);
    bool IsValid() const { return m_bitmap != nullptr; }
    SIZE ImageSize() const { return m_size; }

    // The nine parts over `rc` (coordinates of `dc`) with constant alpha.
    void Draw(HDC dc, const RECT& rc, BYTE alpha = 255) const;

private:
    BkBitmapHandle m_bitmap;
    SIZE m_size{0, 0};
};
