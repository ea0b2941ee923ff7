#include "uikit/doc/BkDib.h"

BkBitmapHandle BkCreateDib32(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    BkBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits) *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

BkMemoryDc::BkMemoryDc(HDC like, HBITMAP bitmap) : m_dc(CreateCompatibleDC(like)) {
    if (m_dc) m_old = SelectObject(m_dc, bitmap);
}

BkMemoryDc::~BkMemoryDc() {
    if (!m_dc) return;
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
}

BkDibCanvas::BkDibCanvas(int width, int height, HDC like) : m_bitmap(BkCreateDib32(width, height, &m_bits)) {
    if (m_bitmap) m_dc = std::make_unique<BkMemoryDc>(like, m_bitmap.get());
}

BkBitmapHandle BkDibCanvas::TakeBitmap() {
    m_dc.reset();
    m_bits = nullptr;
    return std::move(m_bitmap);
}
