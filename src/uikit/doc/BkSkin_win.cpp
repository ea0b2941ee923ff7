#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "shell/Paths.h"
#include "uikit/doc/BkAttrRead.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkDpiMath.h"
#include "uikit/doc/BkImagePool.h"
#include "uikit/doc/BkSkin.h"
#include "uikit/doc/BkSkinGeometry.h"

namespace {

std::mutex g_dirLock;
std::wstring g_programDir;
bool g_programDirSet = false;

std::wstring ProgramDir() {
    std::lock_guard<std::mutex> lock(g_dirLock);
    if (!g_programDirSet) {
        g_programDir = GetExeDir();
        if (!g_programDir.empty() && g_programDir.back() == L'\\') g_programDir.pop_back();
        g_programDirSet = true;
    }
    return g_programDir;
}

BkRect ToBk(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

bool Is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, std::abs(info.bmHeight)};
}

// Copies every part with per-pixel alpha and a constant alpha, stretching as the parts ask.
void AlphaParts(HDC dc, HBITMAP bitmap, const std::vector<BkBlit>& parts, BYTE alpha) {
    if (parts.empty()) return;
    BkMemoryDc source(dc, bitmap);
    if (!source.Get()) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    for (const BkBlit& p : parts) {
        AlphaBlend(dc, p.dst.left, p.dst.top, p.dst.Width(), p.dst.Height(), source.Get(), p.src.left, p.src.top,
                   p.src.Width(), p.src.Height(), blend);
    }
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
}

// The same parts drawn through GDI+ with high-quality interpolation.
void HighQualityParts(HDC dc, HBITMAP bitmap, const std::vector<BkBlit>& parts, BYTE alpha) {
    DIBSECTION dib{};
    if (parts.empty() || !GetObjectW(bitmap, sizeof dib, &dib) || !dib.dsBm.bmBits) return;
    GdiFlush();
    Gdiplus::Bitmap image(dib.dsBm.bmWidth, std::abs(dib.dsBm.bmHeight), dib.dsBm.bmWidthBytes, PixelFormat32bppPARGB,
                          static_cast<BYTE*>(dib.dsBm.bmBits));
    Gdiplus::Graphics g(dc);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes attrs;
    attrs.SetWrapMode(Gdiplus::WrapModeTileFlipXY);  // no blurred seams at the part edges
    Gdiplus::ColorMatrix matrix = {
        {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, alpha / 255.0f, 0}, {0, 0, 0, 0, 1}}};
    attrs.SetColorMatrix(&matrix);
    for (const BkBlit& p : parts) {
        g.DrawImage(&image, Gdiplus::Rect(p.dst.left, p.dst.top, p.dst.Width(), p.dst.Height()), p.src.left, p.src.top,
                    p.src.Width(), p.src.Height(), Gdiplus::UnitPixel, &attrs);
    }
}

// A mirrored copy of a 32-bit DIB section.
HBITMAP MirrorBitmap(HBITMAP bitmap) {
    DIBSECTION dib{};
    if (!GetObjectW(bitmap, sizeof dib, &dib) || !dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 32) return nullptr;
    const int w = dib.dsBm.bmWidth, h = std::abs(dib.dsBm.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, dib.dsBmih.biHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy) return nullptr;
    GdiFlush();
    const auto* from = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    auto* to = static_cast<uint32_t*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) to[y * w + x] = from[y * w + (w - 1 - x)];
    }
    return copy;
}

// ---------------------------------------------------------------------------------------------------------------
// imglst: a bitmap strip, one frame per state.
class CBkImageSkin : public CBkSkinBase {
public:
    const char* TagName() const override { return "imglst"; }

    int ApplyAttribute(const char* name, const char* value) override {
        if (Is(name, "src")) return m_src = BkReadInt(value), 0;
        if (Is(name, "mode")) {
            m_mode = Is(value, "mask") ? kMask : Is(value, "alpha") ? kAlpha : kNone;
            return 0;
        }
        if (Is(name, "maskcolor")) return m_mask = BkReadColor(value), 0;
        if (Is(name, "subwidth")) return m_subWidth = BkReadInt(value), 0;
        if (Is(name, "stretch-x")) return m_stretchX = BkReadInt(value), 0;
        if (Is(name, "stretch-y")) return m_stretchY = BkReadInt(value), 0;
        return kBkAttrNotHandled;
    }

    bool LoadImageOnce() override { return Bitmap() != nullptr; }

    SIZE GetSkinSize() override {
        const SIZE size = BitmapSize(Bitmap());
        return {m_subWidth ? m_subWidth : size.cx, size.cy};
    }

    bool IgnoreState() override { return m_subWidth == 0 || BitmapSize(Bitmap()).cx / m_subWidth <= 1; }

    void Draw(HDC dc, const RECT& rc, int state, bool = false) override {
        HBITMAP bitmap = Bitmap();
        if (!bitmap) return;
        const SIZE size = BitmapSize(bitmap);
        RECT src{0, 0, size.cx, size.cy};
        if (state != -1) {
            if (m_subWidth <= 0) return;
            src.left = state * m_subWidth;
            src.right = src.left + m_subWidth;
        }
        const bool stretch = m_stretchX && m_stretchY;
        if (stretch && m_mode == kAlpha) return;  // stretching knows no per-pixel alpha
        const int w = stretch ? m_stretchX : src.right - src.left;
        const int h = stretch ? m_stretchY : src.bottom - src.top;
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        Blit(dc, {rc.left, rc.top, rc.left + w, rc.top + h}, src);
        SetStretchBltMode(dc, oldMode);
    }

    // One piece of the bitmap, stretched when the sizes differ, in the skin's mode.
    void Blit(HDC dc, const RECT& dst, const RECT& src) {
        HBITMAP bitmap = m_mode == kNone ? Bitmap() : Converted();
        if (!bitmap || dst.right <= dst.left || dst.bottom <= dst.top) return;
        BkMemoryDc source(dc, bitmap);
        const int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
        const int sw = src.right - src.left, sh = src.bottom - src.top;
        if (sw <= 0 || sh <= 0) return;
        if (m_mode == kNone) {
            StretchBlt(dc, dst.left, dst.top, dw, dh, source.Get(), src.left, src.top, sw, sh, SRCCOPY);
            return;
        }
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, dst.left, dst.top, dw, dh, source.Get(), src.left, src.top, sw, sh, blend);
    }

    HBITMAP Bitmap() { return m_src ? BkBmpPool::Instance().Get(m_src) : nullptr; }

private:
    enum Mode { kNone, kMask, kAlpha };

    // A 32-bit premultiplied copy for AlphaBlend: "mask" makes the mask colour transparent and everything else
    // opaque (a transparent-colour copy done by hand, which also stretches and keeps working where
    // TransparentBlt ignores the colour of 32-bit sources); "alpha" premultiplies the bitmap's own alpha.
    HBITMAP Converted() {
        if (m_converted) return m_converted.get();
        HBITMAP bitmap = Bitmap();
        const SIZE size = BitmapSize(bitmap);
        if (!size.cx || !size.cy) return nullptr;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!copy) return nullptr;
        BkBitmapHandle owner(copy);
        HDC screen = GetDC(nullptr);
        const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), bits, &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (rows != size.cy) return nullptr;
        auto* px = static_cast<uint8_t*>(bits);
        const size_t count = static_cast<size_t>(size.cx) * size.cy;
        for (size_t i = 0; i < count; ++i, px += 4) {
            if (m_mode == kMask) {
                const bool clear = RGB(px[2], px[1], px[0]) == m_mask;
                px[3] = clear ? 0 : 255;
                if (clear) px[0] = px[1] = px[2] = 0;
            } else {
                for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>((px[c] * px[3] + 127) / 255);
            }
        }
        m_converted = std::move(owner);
        return m_converted.get();
    }

    int m_src = 0;
    Mode m_mode = kNone;
    COLORREF m_mask = 0xFF00FF;
    int m_subWidth = 0;
    int m_stretchX = 0;
    int m_stretchY = 0;
    BkBitmapHandle m_converted;
};

// imgframe: a bitmap cut into corners and one-pixel stretchable lines, with an optional centre colour.
class CBkSkinImgFrame : public CBkSkinBase {
public:
    const char* TagName() const override { return "imgframe"; }

    int ApplyAttribute(const char* name, const char* value) override {
        if (Is(name, "crbg")) return m_crBg = BkReadColor(value), 0;
        if (Is(name, "left")) return m_left = BkReadInt(value), 0;
        if (Is(name, "top")) return m_top = BkReadInt(value), 0;
        if (Is(name, "part")) return m_edges = BkFramePartEdges(value), 0;
        return m_image.ApplyAttribute(name, value);
    }
    bool LoadImageOnce() override { return m_image.LoadImageOnce(); }
    SIZE GetSkinSize() override { return m_image.GetSkinSize(); }

    void Draw(HDC dc, const RECT& rc, int, bool = false) override {
        const SIZE size = BitmapSize(m_image.Bitmap());
        if (!size.cx) return;
        BkRect centre;
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        for (const BkBlit& p : BkFrameBlits(size.cx, size.cy, m_left, m_top, m_edges, ToBk(rc), &centre)) {
            m_image.Blit(dc, {p.dst.left, p.dst.top, p.dst.right, p.dst.bottom},
                         {p.src.left, p.src.top, p.src.right, p.src.bottom});
        }
        SetStretchBltMode(dc, oldMode);
        if (m_crBg != kBkColorNone && centre.right > centre.left && centre.bottom > centre.top) {
            const RECT fill{centre.left, centre.top, centre.right, centre.bottom};
            HBRUSH brush = CreateSolidBrush(m_crBg);
            FillRect(dc, &fill, brush);
            DeleteObject(brush);
        }
    }
    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool, BYTE) override {
        Draw(dc, {l, t, r, b}, state);
    }

private:
    CBkImageSkin m_image;
    COLORREF m_crBg = kBkColorNone;
    int m_left = 0;
    int m_top = 0;
    unsigned m_edges = kBkEdgeTop | kBkEdgeBottom | kBkEdgeLeft | kBkEdgeRight;
};

void FillColor(HDC dc, const RECT& rc, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Gradient(HDC dc, const RECT& rc, COLORREF from, COLORREF to, bool vertical) {
    TRIVERTEX v[2] = {};
    v[0].x = rc.left, v[0].y = rc.top;
    v[0].Red = static_cast<COLOR16>(GetRValue(from) << 8), v[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    v[1].x = rc.right, v[1].y = rc.bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(to) << 8), v[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT r{0, 1};
    GradientFill(dc, v, 2, &r, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// button: a painted button with a two-colour gradient per state.
class CBkSkinButton : public CBkSkinBase {
public:
    const char* TagName() const override { return "button"; }

    int ApplyAttribute(const char* name, const char* value) override {
        struct Entry {
            const char* name;
            COLORREF CBkSkinButton::*field;
        };
        static const Entry kColors[] = {
            {"bg", &CBkSkinButton::m_bg},
            {"border", &CBkSkinButton::m_border},
            {"bgup", &CBkSkinButton::m_upNormal},
            {"bguphover", &CBkSkinButton::m_upHover},
            {"bguppush", &CBkSkinButton::m_upPush},
            {"bgdown", &CBkSkinButton::m_downNormal},
            {"bgdownhover", &CBkSkinButton::m_downHover},
            {"bgdownpush", &CBkSkinButton::m_downPush},
        };
        for (const Entry& e : kColors) {
            if (Is(name, e.name)) return this->*e.field = BkReadColor(value), 0;
        }
        if (Is(name, "useborder")) return m_useBorder = BkReadInt(value), 0;
        return kBkAttrNotHandled;
    }
    bool IgnoreState() override { return false; }

    void Draw(HDC dc, const RECT& rc, int state, bool = false) override {
        FillColor(dc, rc, m_bg);
        RECT inner = rc;
        if (m_useBorder) InflateRect(&inner, -2, -2);
        if (state != 3) {
            const COLORREF up = state == 2 ? m_upPush : state == 1 ? m_upHover : m_upNormal;
            const COLORREF down = state == 2 ? m_downPush : state == 1 ? m_downHover : m_downNormal;
            Gradient(dc, inner, up, down, true);
        }
        if (m_useBorder) {
            HBRUSH brush = CreateSolidBrush(m_border);
            FrameRect(dc, &rc, brush);
            DeleteObject(brush);
        }
    }
    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool, BYTE) override {
        Draw(dc, {l, t, r, b}, state);
    }

private:
    COLORREF m_bg = 0;
    COLORREF m_border = 0;
    COLORREF m_upNormal = 0;
    COLORREF m_upHover = 0;
    COLORREF m_upPush = 0;
    COLORREF m_downNormal = 0;
    COLORREF m_downHover = 0;
    COLORREF m_downPush = 0;
    int m_useBorder = 0;
};

// imghorzex: a fixed left part, the rest of the frame stretched to the width.
class CBkSkinImgHorzExtend : public CBkSkinBase {
public:
    const char* TagName() const override { return "imghorzex"; }
    int ApplyAttribute(const char* name, const char* value) override {
        if (Is(name, "left")) return m_left = BkReadInt(value), 0;
        return m_image.ApplyAttribute(name, value);
    }
    bool LoadImageOnce() override { return m_image.LoadImageOnce(); }
    SIZE GetSkinSize() override { return m_image.GetSkinSize(); }

    void Draw(HDC dc, const RECT& rc, int, bool = false) override {
        const SIZE size = BitmapSize(m_image.Bitmap());
        if (!size.cx) return;
        const int left = std::min<int>(std::max(m_left, 0), size.cx);
        const int height = rc.bottom - rc.top;
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        m_image.Blit(dc, {rc.left, rc.top, rc.left + left, rc.top + height}, {0, 0, left, size.cy});
        m_image.Blit(dc, {rc.left + left, rc.top, rc.right, rc.top + height}, {left, 0, size.cx, size.cy});
        SetStretchBltMode(dc, oldMode);
    }
    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool, BYTE) override {
        Draw(dc, {l, t, r, b}, state);
    }

private:
    CBkImageSkin m_image;
    int m_left = 0;
};

// gradation: `to` everywhere, a gradient from `from` over the first `size` pixels.
class CBkSkinGradation : public CBkSkinBase {
public:
    const char* TagName() const override { return "gradation"; }
    int ApplyAttribute(const char* name, const char* value) override {
        if (Is(name, "from")) return m_from = BkReadColor(value), 0;
        if (Is(name, "to")) return m_to = BkReadColor(value), 0;
        if (Is(name, "size")) return m_size = BkReadInt(value), 0;
        if (Is(name, "direction")) return m_vertical = Is(value, "vert"), 0;
        return kBkAttrNotHandled;
    }
    void Draw(HDC dc, const RECT& rc, int, bool = false) override {
        FillColor(dc, rc, m_to);
        RECT part = rc;
        if (m_size > 0) {
            if (m_vertical)
                part.bottom = std::min<LONG>(rc.bottom, rc.top + m_size);
            else
                part.right = std::min<LONG>(rc.right, rc.left + m_size);
        }
        Gradient(dc, part, m_from, m_to, m_vertical);
    }
    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool, BYTE) override {
        Draw(dc, {l, t, r, b}, state);
    }

private:
    COLORREF m_from = 0;
    COLORREF m_to = 0;
    int m_size = 0;
    bool m_vertical = false;
};

// png and jpg: a decoded image with state frames and nine-part margins; png also follows the DPI rate.
class CBkPngSkin : public CBkSkinBase {
public:
    explicit CBkPngSkin(bool jpeg) : m_jpeg(jpeg) {}
    const char* TagName() const override { return m_jpeg ? "jpg" : "png"; }

    int ApplyAttribute(const char* name, const char* value) override {
        struct Entry {
            const char* name;
            int CBkPngSkin::*field;
            bool pngOnly;
        };
        static const Entry kInts[] = {
            {"src", &CBkPngSkin::m_src, false},
            {"subwidth", &CBkPngSkin::m_subWidth, false},
            {"left", &CBkPngSkin::m_left, false},
            {"top", &CBkPngSkin::m_top, false},
            {"margin_left", &CBkPngSkin::m_marginLeft, false},
            {"margin_right", &CBkPngSkin::m_marginRight, false},
            {"margin_top", &CBkPngSkin::m_marginTop, true},
            {"margin_bottom", &CBkPngSkin::m_marginBottom, true},
            {"middle_tile", &CBkPngSkin::m_middleTile, true},
            {"flip", &CBkPngSkin::m_flip, true},
            {"fliptype", &CBkPngSkin::m_flipType, true},
            {"highquality", &CBkPngSkin::m_highQuality, true},
            {"wantimgwidth", &CBkPngSkin::m_wantWidth, true},
            {"scale", &CBkPngSkin::m_scale, true},
        };
        for (const Entry& e : kInts) {
            if (Is(name, e.name) && !(e.pngOnly && m_jpeg)) return this->*e.field = BkReadInt(value), 0;
        }
        return kBkAttrNotHandled;
    }

    bool LoadImageOnce() override {
        if (m_image) return true;
        m_image = m_jpeg ? BkJpgPool::Instance().Get(m_src) : BkPngPool::Instance().Get(m_src);
        if (m_image && !m_jpeg) m_variant = BkPngPool::Instance().GetDpiVariant(m_src, &m_variantRate);
        return m_image != nullptr;
    }

    SIZE GetSkinSize() override {
        if (!LoadImageOnce()) return {0, 0};
        return {m_subWidth ? m_subWidth : static_cast<LONG>(m_image->GetWidth()),
                static_cast<LONG>(m_image->GetHeight())};
    }

    bool IgnoreState() override {
        return !LoadImageOnce() || BkFrameCount(static_cast<int>(m_image->GetWidth()), m_subWidth) == 1;
    }

    void Draw(HDC dc, const RECT& rc, int state, bool naturalSize) override {
        if (!LoadImageOnce()) return;
        HBITMAP bitmap = Cached(false, 1.0f, rc);
        const SIZE size = BitmapSize(bitmap);
        const BkRect frame = Frame(size, BkFrameCount(static_cast<int>(m_image->GetWidth()), m_subWidth), state, 1.0f);
        const bool margins = m_marginLeft || m_marginRight || m_marginTop || m_marginBottom;
        BkRect dst = ToBk(rc);
        if (naturalSize && !margins) dst = {rc.left, rc.top, rc.left + frame.Width(), rc.top + frame.Height()};
        const std::vector<BkBlit> parts =
            BkNinePartBlits({0, 0, size.cx, size.cy}, frame, dst, m_marginLeft, m_marginRight, MarginTop(),
                            MarginBottom(), m_middleTile != 0);
        m_highQuality ? HighQualityParts(dc, bitmap, parts, 255) : AlphaParts(dc, bitmap, parts, 255);
    }

    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool dpiAware, BYTE alpha) override {
        if (!LoadImageOnce()) return;
        BkDpiSettings& dpi = BkDpiSettings::Instance();
        const float rate = dpiAware && dpi.ScalingEnabled() ? dpi.Rate() : 1.0f;
        // A pre-drawn image for exactly this rate is used as it is; otherwise the base image is scaled.
        const bool variant = dpiAware && m_variant && rate != 1.0f && m_variantRate == rate;
        Gdiplus::Bitmap* source = variant ? m_variant : m_image;
        const int subWidth = variant ? BkScaleByRate(m_subWidth, rate) : m_subWidth;
        const float cacheRate = variant ? 1.0f : rate;
        HBITMAP bitmap = Cached(variant, cacheRate, {l, t, r, b});
        const SIZE size = BitmapSize(bitmap);
        const int frames = BkFrameCount(static_cast<int>(source->GetWidth()), subWidth);
        const auto scaled = [&](int v) { return dpiAware ? BkScaleByRate(v, rate) : v; };
        const BkRect frame = Frame(size, frames, state, dpiAware ? rate : 1.0f);
        const std::vector<BkBlit> parts =
            BkNinePartBlits({0, 0, size.cx, size.cy}, frame, {l, t, r, b}, scaled(m_marginLeft), scaled(m_marginRight),
                            scaled(MarginTop()), scaled(MarginBottom()), false);
        m_highQuality ? HighQualityParts(dc, bitmap, parts, alpha) : AlphaParts(dc, bitmap, parts, alpha);
    }

private:
    int MarginTop() const { return m_jpeg ? 0 : m_marginTop; }
    int MarginBottom() const { return m_jpeg ? 0 : m_marginBottom; }

    BkRect Frame(SIZE size, int frames, int state, float offsetRate) const {
        const int u = size.cx / frames;
        const int x = BkFrameIndex(state, frames) * u;
        return {x + BkScaleByRate(m_left, offsetRate), BkScaleByRate(m_top, offsetRate), x + u, size.cy};
    }

    // The chosen image as a 32-bit alpha bitmap at `rate` (or at the destination size with `scale`), made once.
    HBITMAP Cached(bool variant, float rate, const RECT& dst) {
        Gdiplus::Bitmap* source = variant ? m_variant : m_image;
        int w = BkScaleByRate(static_cast<int>(source->GetWidth()), rate);
        int h = BkScaleByRate(static_cast<int>(source->GetHeight()), rate);
        if (m_wantWidth > 0 && !variant) {
            h = static_cast<int>(static_cast<long long>(h) * m_wantWidth / std::max(w, 1));
            w = m_wantWidth;
        }
        if (m_scale) w = dst.right - dst.left, h = dst.bottom - dst.top;
        const auto key = std::make_tuple(variant, w, h);
        auto it = m_cache.find(key);
        if (it != m_cache.end()) return it->second.get();
        if (m_scale) m_cache.clear();  // one size at a time: the destination decides
        const int flip = m_flip ? Gdiplus::RotateNoneFlipX : m_flipType;
        HBITMAP made = BkMakeAlphaBitmap(source, w, h, flip);
        if (!made) return nullptr;
        return m_cache.emplace(key, BkBitmapHandle(made)).first->second.get();
    }

    bool m_jpeg;
    int m_src = 0;
    int m_subWidth = 0;
    int m_left = 0;
    int m_top = 0;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
    int m_middleTile = 0;
    int m_flip = 0;
    int m_flipType = 0;
    int m_highQuality = 0;
    int m_wantWidth = 0;
    int m_scale = 0;
    Gdiplus::Bitmap* m_image = nullptr;    // owned by the pool
    Gdiplus::Bitmap* m_variant = nullptr;  // owned by the pool
    float m_variantRate = 0;
    std::map<std::tuple<bool, int, int>, BkBitmapHandle> m_cache;
};

// skinpng and skinjpg: a bitmap from BkSkinPool (a file of the installation may replace the resource), drawn
// with a constant alpha.
class CBkNormalPngSkin : public CBkSkinBase {
public:
    explicit CBkNormalPngSkin(bool jpeg) : m_jpeg(jpeg) {}
    const char* TagName() const override { return m_jpeg ? "skinjpg" : "skinpng"; }

    int ApplyAttribute(const char* name, const char* value) override {
        struct Entry {
            const char* name;
            int CBkNormalPngSkin::*field;
        };
        static const Entry kInts[] = {
            {"src", &CBkNormalPngSkin::m_src},
            {"subwidth", &CBkNormalPngSkin::m_subWidth},
            {"left", &CBkNormalPngSkin::m_left},
            {"top", &CBkNormalPngSkin::m_top},
            {"alpha", &CBkNormalPngSkin::m_alpha},
            {"margin_left", &CBkNormalPngSkin::m_marginLeft},
            {"margin_right", &CBkNormalPngSkin::m_marginRight},
            {"margin_top", &CBkNormalPngSkin::m_marginTop},
            {"margin_bottom", &CBkNormalPngSkin::m_marginBottom},
            {"flip", &CBkNormalPngSkin::m_flip},
            {"middle_tile", &CBkNormalPngSkin::m_middleTile},
        };
        for (const Entry& e : kInts) {
            if (Is(name, e.name)) return this->*e.field = BkReadInt(value), 0;
        }
        if (Is(name, "file")) return m_file = BkWideFromUtf8(value), 0;
        if (Is(name, "extern_alpha_key")) return m_alphaKey = BkWideFromUtf8(value), 0;
        return kBkAttrNotHandled;
    }

    bool LoadImageOnce() override {
        if (m_bitmap) return true;
        const std::wstring dir = ProgramDir();
        m_bitmap = BkSkinPool::Instance().Get(m_src, dir, m_file, m_jpeg ? L"jpg" : L"png");
        if (!m_alphaKey.empty()) {
            const std::wstring ini = dir + L"\\data\\skin\\skincfg.ini";
            m_alpha = static_cast<int>(GetPrivateProfileIntW(L"alpha", m_alphaKey.c_str(), 255, ini.c_str()));
        }
        if (m_bitmap && m_flip) m_mirrored.reset(MirrorBitmap(m_bitmap));
        return m_bitmap != nullptr;
    }

    SIZE GetSkinSize() override {
        if (!LoadImageOnce()) return {0, 0};
        const SIZE size = BitmapSize(m_bitmap);
        return {m_subWidth ? m_subWidth : size.cx, size.cy};
    }
    bool IgnoreState() override { return !LoadImageOnce() || BkFrameCount(BitmapSize(m_bitmap).cx, m_subWidth) == 1; }

    void Draw(HDC dc, const RECT& rc, int state, bool) override { DrawAlpha(dc, rc, state, 255); }
    void DrawDpiAlpha(HDC dc, int l, int t, int r, int b, int state, bool, BYTE alpha) override {
        DrawAlpha(dc, {l, t, r, b}, state, alpha);
    }
    int Alpha() const { return m_alpha; }

private:
    static std::wstring BkWideFromUtf8(const char* value) {
        std::wstring out;
        if (!value) return out;
        const int n = MultiByteToWideChar(CP_UTF8, 0, value, -1, nullptr, 0);
        if (n <= 1) return out;
        out.resize(n - 1);
        MultiByteToWideChar(CP_UTF8, 0, value, -1, &out[0], n);
        return out;
    }

    void DrawAlpha(HDC dc, const RECT& rc, int state, BYTE alpha) {
        if (!LoadImageOnce()) return;
        HBITMAP bitmap = m_mirrored ? m_mirrored.get() : m_bitmap;
        const SIZE size = BitmapSize(bitmap);
        const int frames = BkFrameCount(size.cx, m_subWidth);
        const int u = size.cx / frames;
        const int x = BkFrameIndex(state, frames) * u;
        const std::vector<BkBlit> parts =
            BkNinePartBlits({0, 0, size.cx, size.cy}, {x + m_left, m_top, x + u, size.cy}, ToBk(rc), m_marginLeft,
                            m_marginRight, m_marginTop, m_marginBottom, m_middleTile != 0);
        const int combined = std::clamp(m_alpha, 0, 255) * alpha / 255;
        AlphaParts(dc, bitmap, parts, static_cast<BYTE>(combined));
    }

    bool m_jpeg;
    int m_src = 0;
    std::wstring m_file;
    int m_subWidth = 0;
    int m_left = 0;
    int m_top = 0;
    int m_alpha = 255;
    std::wstring m_alphaKey;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
    int m_flip = 0;
    int m_middleTile = 0;
    HBITMAP m_bitmap = nullptr;  // owned by the pool
    BkBitmapHandle m_mirrored;
};

}  // namespace

bool CBkSkinBase::MatchesTag(const char* name) const { return name && Is(name, TagName()); }

bool CBkSkinBase::LoadFromElement(const TiXmlElement* element) {
    if (!element) return false;
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        if (!Is(a->Name(), "name")) ApplyAttribute(a->Name(), a->Value());
    }
    return true;
}

int CBkSkinBase::ApplyAttribute(const char*, const char*) { return kBkAttrNotHandled; }

void CBkSkinBase::Draw(HDC, const RECT&, int, bool) {}

void CBkSkinBase::DrawDpiAlpha(HDC dc, int left, int top, int right, int bottom, int state, bool, BYTE) {
    Draw(dc, {left, top, right, bottom}, state);
}

SIZE CBkSkinBase::GetSkinSize() { return {0, 0}; }

std::unique_ptr<CBkSkinBase> BkCreateSkin(const char* tag) {
    if (!tag) return nullptr;
    if (Is(tag, "imglst")) return std::make_unique<CBkImageSkin>();
    if (Is(tag, "imgframe")) return std::make_unique<CBkSkinImgFrame>();
    if (Is(tag, "button")) return std::make_unique<CBkSkinButton>();
    if (Is(tag, "imghorzex")) return std::make_unique<CBkSkinImgHorzExtend>();
    if (Is(tag, "gradation")) return std::make_unique<CBkSkinGradation>();
    if (Is(tag, "png")) return std::make_unique<CBkPngSkin>(false);
    if (Is(tag, "jpg")) return std::make_unique<CBkPngSkin>(true);
    if (Is(tag, "skinpng")) return std::make_unique<CBkNormalPngSkin>(false);
    if (Is(tag, "skinjpg")) return std::make_unique<CBkNormalPngSkin>(true);
    return nullptr;
}

void BkSetSkinProgramDir(const std::wstring& dir) {
    std::lock_guard<std::mutex> lock(g_dirLock);
    g_programDir = dir;
    g_programDirSet = true;
}
