#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/host/BkShadowDrawable.h"

bool BkShadowDrawable::Load(const std::string& skinName) {
    m_bitmap.reset();
    m_size = SIZE{0, 0};
    CBkSkinBase* skin = BkSkinRegistry::Instance().Find(skinName);
    if (!skin) return false;
    const SIZE size = skin->GetSkinSize();
    if (size.cx <= 0 || size.cy <= 0) return false;

    BkDibCanvas canvas(size.cx, size.cy);
    if (!canvas.Ok()) return false;
    // Over fully transparent pixels an alpha draw leaves the premultiplied image itself.
    const RECT all{0, 0, size.cx, size.cy};
    skin->Draw(canvas.Dc(), all, 0, true);
    GdiFlush();
    m_bitmap = canvas.TakeBitmap();
    m_size = size;
    return true;
}

void BkShadowDrawable::Draw(HDC dc, const RECT& rc, BYTE alpha) const {
    if (!m_bitmap) return;
    const int w = m_size.cx, h = m_size.cy;
    const int ml = w / 2, mt = h / 2, mr = w - w / 2 - 1, mb = h - h / 2 - 1;
    // Source columns and rows: [0, ml), [ml, w - mr), [w - mr, w).
    const int sx[4] = {0, ml, w - mr, w};
    const int sy[4] = {0, mt, h - mb, h};
    int dx[4] = {rc.left, rc.left + ml, rc.right - mr, rc.right};
    int dy[4] = {rc.top, rc.top + mt, rc.bottom - mb, rc.bottom};
    // A target smaller than the corners: the corners meet in the middle.
    if (dx[1] > dx[2]) dx[1] = dx[2] = rc.left + (rc.right - rc.left) * ml / (ml + mr ? ml + mr : 1);
    if (dy[1] > dy[2]) dy[1] = dy[2] = rc.top + (rc.bottom - rc.top) * mt / (mt + mb ? mt + mb : 1);

    BkMemoryDc src(dc, m_bitmap.get());
    if (!src.Get()) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int dw = dx[col + 1] - dx[col], dh = dy[row + 1] - dy[row];
            const int sw = sx[col + 1] - sx[col], sh = sy[row + 1] - sy[row];
            if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) continue;
            AlphaBlend(dc, dx[col], dy[row], dw, dh, src.Get(), sx[col], sy[row], sw, sh, blend);
        }
    }
}
