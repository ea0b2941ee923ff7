// Helpers of the UI framework tests: capturing the debugger output of this process, and 32-bit canvases whose
// pixels can be read back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace uitest {

// Collects the lines this process sends to the debugger output while it lives. OutputDebugString raises a
// first-chance exception carrying the text before anything else sees it; a vectored handler reads it there.
class DebugOutputCapture {
public:
    DebugOutputCapture() {
        Current() = this;
        m_handler = AddVectoredExceptionHandler(1, &Handler);
    }
    ~DebugOutputCapture() {
        RemoveVectoredExceptionHandler(m_handler);
        Current() = nullptr;
    }
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    std::vector<std::wstring> Lines() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_lines;
    }

private:
    static DebugOutputCapture*& Current() {
        static DebugOutputCapture* current = nullptr;
        return current;
    }

    static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* rec = info->ExceptionRecord;
        DebugOutputCapture* self = Current();
        if (!self || rec->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
        if (rec->ExceptionCode == 0x4001000A /* DBG_PRINTEXCEPTION_WIDE_C */) {
            const auto* text = reinterpret_cast<const wchar_t*>(rec->ExceptionInformation[1]);
            std::lock_guard<std::mutex> lock(self->m_lock);
            self->m_lines.emplace_back(text ? text : L"");
            self->m_sawWide = true;
        } else if (rec->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */) {
            const auto* text = reinterpret_cast<const char*>(rec->ExceptionInformation[1]);
            std::lock_guard<std::mutex> lock(self->m_lock);
            // A wide print is raised again as a narrow one when nobody handled it: keep one line per print.
            if (self->m_sawWide) {
                self->m_sawWide = false;
            } else {
                self->m_lines.emplace_back(text ? std::wstring(text, text + strlen(text)) : L"");
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    PVOID m_handler = nullptr;
    std::mutex m_lock;
    std::vector<std::wstring> m_lines;
    bool m_sawWide = false;
};

// A top-down 32-bit DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(m_dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    // The pixel as COLORREF (alpha dropped).
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // One row as text, for failure messages.
    std::string Row(int y) const {
        std::string out;
        char buf[16];
        for (int x = 0; x < m_width; ++x) {
            const COLORREF c = At(x, y);
            snprintf(buf, sizeof buf, "%02X%02X%02X ", GetRValue(c), GetGValue(c), GetBValue(c));
            out += buf;
        }
        return out;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

// Colours compared with a tolerance, for blended pixels.
inline bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace uitest
