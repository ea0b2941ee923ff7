// Owned bitmaps and the memory device contexts that draw into them. Windows only; the thread that made an object
// uses it.
#pragma once

#include <windows.h>

#include <memory>

// Owns an HBITMAP.
struct BkBitmapDeleter {
    void operator()(HBITMAP__* b) const { DeleteObject(b); }
};
using BkBitmapHandle = std::unique_ptr<HBITMAP__, BkBitmapDeleter>;

// A top-down 32-bit DIB section of width × height, its pixels (rows of width × 4 bytes) through `bits`. Null when
// it cannot be made.
BkBitmapHandle BkCreateDib32(int width, int height, void** bits = nullptr);

// Selects a bitmap into a memory DC compatible with `like` (null: the screen) for the life of the object. The
// bitmap is not owned.
class BkMemoryDc {
public:
    BkMemoryDc(HDC like, HBITMAP bitmap);
    ~BkMemoryDc();
    BkMemoryDc(const BkMemoryDc&) = delete;
    BkMemoryDc& operator=(const BkMemoryDc&) = delete;
    // Null when no DC could be made.
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// A 32-bit top-down DIB section selected into its own memory DC: a canvas to paint into and copy from.
class BkDibCanvas {
public:
    BkDibCanvas(int width, int height, HDC like = nullptr);
    BkDibCanvas(const BkDibCanvas&) = delete;
    BkDibCanvas& operator=(const BkDibCanvas&) = delete;
    bool Ok() const { return m_bitmap && m_dc && m_dc->Get(); }
    HDC Dc() const { return m_dc ? m_dc->Get() : nullptr; }
    void* Bits() const { return m_bits; }
    // Ends the drawing (the DC goes) and hands the bitmap to the caller.
    BkBitmapHandle TakeBitmap();

private:
    void* m_bits = nullptr;
    BkBitmapHandle m_bitmap;
    std::unique_ptr<BkMemoryDc> m_dc;  // declared after the bitmap: deselects before the bitmap goes
};
