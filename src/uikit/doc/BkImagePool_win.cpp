#include <cstring>
#include <mutex>

#include "common/ScopedWin.h"
#include "common/SingletonGuard.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkImagePool.h"
#include "uikit/doc/BkResource.h"

namespace {

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size());
}

Gdiplus::Bitmap* Cache(std::map<int, std::unique_ptr<Gdiplus::Bitmap>>& cache, int id, const wchar_t* type) {
    auto it = cache.find(id);
    if (it != cache.end()) return it->second.get();
    std::string bytes;
    if (!BkFindResourceData(id, type, bytes)) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> image = BkDecodeImage(bytes);
    if (!image) return nullptr;
    return cache.emplace(id, std::move(image)).first->second.get();
}

}  // namespace

bool BkStartGdiplus() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    });
    return started;
}

std::unique_ptr<Gdiplus::Bitmap> BkDecodeImage(const std::string& bytes) {
    if (bytes.empty() || !BkStartGdiplus()) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    if (void* dst = GlobalLock(memory)) {
        std::memcpy(dst, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();  // the image keeps its own reference
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return nullptr;
    return image;
}

HBITMAP BkMakeAlphaBitmap(Gdiplus::Bitmap* image, int width, int height, int flip) {
    if (!image || !BkStartGdiplus()) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> flipped;
    if (flip) {
        flipped.reset(image->Clone(0, 0, image->GetWidth(), image->GetHeight(), PixelFormat32bppPARGB));
        if (!flipped || flipped->RotateFlip(static_cast<Gdiplus::RotateFlipType>(flip)) != Gdiplus::Ok) return nullptr;
        image = flipped.get();
    }
    const int w = width > 0 && height > 0 ? width : static_cast<int>(image->GetWidth());
    const int h = width > 0 && height > 0 ? height : static_cast<int>(image->GetHeight());
    if (w <= 0 || h <= 0) return nullptr;

    // Scaling goes through a PARGB canvas; the natural size is read directly.
    std::unique_ptr<Gdiplus::Bitmap> scaled;
    if (w != static_cast<int>(image->GetWidth()) || h != static_cast<int>(image->GetHeight())) {
        scaled = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
        Gdiplus::Graphics g(scaled.get());
        g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes attrs;
        attrs.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        g.DrawImage(image, Gdiplus::Rect(0, 0, w, h), 0, 0, image->GetWidth(), image->GetHeight(), Gdiplus::UnitPixel,
                    &attrs);
        image = scaled.get();
    }

    void* bits = nullptr;
    BkBitmapHandle dib = BkCreateDib32(w, h, &bits);
    if (!dib) return nullptr;
    Gdiplus::BitmapData data{};
    data.Width = w;
    data.Height = h;
    data.Stride = w * 4;
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = bits;
    Gdiplus::Rect all(0, 0, w, h);
    if (image->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppPARGB,
                        &data) != Gdiplus::Ok) {
        return nullptr;
    }
    image->UnlockBits(&data);
    GdiFlush();
    return dib.release();
}

BkPngPool::BkPngPool() { BkStartGdiplus(); }

BkPngPool& BkPngPool::Instance() { return ProcessSingleton<BkPngPool>::Get(ProcessSingleton<BkPngPool>::AtExit::Keep); }

Gdiplus::Bitmap* BkPngPool::Get(int id) { return Cache(m_images, id, L"png"); }

Gdiplus::Bitmap* BkPngPool::GetDpiVariant(int id, float* rate) {
    auto it = m_variants.find(id);
    if (it == m_variants.end()) {
        std::wstring path;
        float found = 0;
        std::string bytes;
        if (!BkDpiSettings::Instance().FindDpiImage(id, path, found) || !ReadFileBytes(path, bytes)) return nullptr;
        std::unique_ptr<Gdiplus::Bitmap> image = BkDecodeImage(bytes);
        if (!image) return nullptr;
        it = m_variants.emplace(id, std::make_pair(found, std::move(image))).first;
    }
    if (rate) *rate = it->second.first;
    return it->second.second.get();
}

BkJpgPool::BkJpgPool() { BkStartGdiplus(); }

BkJpgPool& BkJpgPool::Instance() { return ProcessSingleton<BkJpgPool>::Get(ProcessSingleton<BkJpgPool>::AtExit::Keep); }

Gdiplus::Bitmap* BkJpgPool::Get(int id) { return Cache(m_images, id, L"jpg"); }

BkBmpPool& BkBmpPool::Instance() { return ProcessSingleton<BkBmpPool>::Get(ProcessSingleton<BkBmpPool>::AtExit::Keep); }

HBITMAP BkBmpPool::Get(int id) {
    auto it = m_bitmaps.find(id);
    if (it != m_bitmaps.end()) return it->second.get();
    HANDLE loaded =
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!loaded) return nullptr;
    return m_bitmaps.emplace(id, BkBitmapHandle(static_cast<HBITMAP>(loaded))).first->second.get();
}

BkSkinPool::BkSkinPool() { BkStartGdiplus(); }

BkSkinPool& BkSkinPool::Instance() {
    return ProcessSingleton<BkSkinPool>::Get(ProcessSingleton<BkSkinPool>::AtExit::Keep);
}

HBITMAP BkSkinPool::Get(int id, const std::wstring& programDir, const std::wstring& file, const wchar_t* type) {
    auto it = m_bitmaps.find(id);
    if (it != m_bitmaps.end()) return it->second.get();
    std::string bytes;
    bool found = false;
    if (!file.empty()) {
        const std::wstring path = programDir + L"\\" + file;
        const DWORD attrs = GetFileAttributesW(path.c_str());
        found = attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY) && ReadFileBytes(path, bytes);
    }
    if (!found && !BkFindResourceData(id, type, bytes)) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> image = BkDecodeImage(bytes);
    HBITMAP bitmap = BkMakeAlphaBitmap(image.get(), 0, 0, 0);
    if (!bitmap) return nullptr;
    return m_bitmaps.emplace(id, BkBitmapHandle(bitmap)).first->second.get();
}
