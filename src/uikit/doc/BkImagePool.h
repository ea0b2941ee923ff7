// Decoded pictures of the UI documents, cached by resource id for the life of the process. A failed decode
// caches nothing, so the next request tries again. Windows only; UI thread.
#pragma once

#include <windows.h>
// GDI+ needs the COM stream declarations first.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "uikit/doc/BkDib.h"

// Starts GDI+ once per process (never shut down: cached images live until exit). True when it runs.
bool BkStartGdiplus();

// GDI+ image decoded from bytes; null when they are not a picture.
std::unique_ptr<Gdiplus::Bitmap> BkDecodeImage(const std::string& bytes);

// A top-down 32-bit DIB section with premultiplied alpha, made from a GDI+ image scaled to width × height
// (the image's own size when either is 0), mirrored first by `flip` (a RotateFlipType, 0 for none).
HBITMAP BkMakeAlphaBitmap(Gdiplus::Bitmap* image, int width, int height, int flip);

class BkPngPool {
public:
    BkPngPool();
    static BkPngPool& Instance();
    // PNG resource `id` (type "png"); not owned by the caller.
    Gdiplus::Bitmap* Get(int id);
    // The pre-drawn DPI image for `id` (BkDpiSettings) with the rate it was drawn for; null when none.
    Gdiplus::Bitmap* GetDpiVariant(int id, float* rate);

private:
    std::map<int, std::unique_ptr<Gdiplus::Bitmap>> m_images;
    std::map<int, std::pair<float, std::unique_ptr<Gdiplus::Bitmap>>> m_variants;
};

class BkJpgPool {
public:
    BkJpgPool();
    static BkJpgPool& Instance();
    Gdiplus::Bitmap* Get(int id);  // type "jpg"

private:
    std::map<int, std::unique_ptr<Gdiplus::Bitmap>> m_images;
};

class BkBmpPool {
public:
    static BkBmpPool& Instance();
    // The program's bitmap resource `id`, kept as a DIB section so 32-bit pixels keep their alpha.
    HBITMAP Get(int id);

private:
    std::map<int, BkBitmapHandle> m_bitmaps;
};

class BkSkinPool {
public:
    BkSkinPool();
    static BkSkinPool& Instance();
    // 32-bit bitmap with alpha for `id`: the file `file` (relative to `programDir`) when it exists, else the
    // resource (id, type).
    HBITMAP Get(int id, const std::wstring& programDir, const std::wstring& file, const wchar_t* type);

private:
    std::map<int, BkBitmapHandle> m_bitmaps;
};
