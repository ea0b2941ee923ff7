// Paint benchmark of the element model: a real window, a `dlg` root holding a 50 x 40 grid of plain elements
// (`dlg` and `text` cells with background colours, the text cells with a short text), and a full repaint of the
// root into a back buffer of the client size, as the host's WM_PAINT does. The floor is one BitBlt of the whole
// client area from the back buffer to the window. Prints figures; never fails for being slow.
//
//   bench_paint_win.exe [iterations]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "uikit/doc/BkXml.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/host/CBkDialogViewImplEx.h"

namespace {

constexpr int kCols = 50;
constexpr int kRows = 40;
constexpr int kCellW = 20;
constexpr int kCellH = 16;
constexpr int kClientW = kCols * kCellW;
constexpr int kClientH = kRows * kCellH;

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&m_freq);
        QueryPerformanceCounter(&m_start);
    }
    double Microseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return double(now.QuadPart - m_start.QuadPart) * 1e6 / double(m_freq.QuadPart);
    }

private:
    LARGE_INTEGER m_freq{};
    LARGE_INTEGER m_start{};
};

COLORREF CellColor(int row, int col) { return RGB((row * 6) & 0xFF, (col * 5) & 0xFF, ((row + col) * 3) & 0xFF); }

// Even cells are `dlg` (background only), odd cells `text` (background and a short text).
std::string GridXml() {
    std::string xml = "<dlg>";
    char attrs[96];
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            const int x = c * kCellW, y = r * kCellH;
            const COLORREF color = CellColor(r, c);
            std::snprintf(attrs, sizeof attrs, " pos=\"%d,%d,%d,%d\" crbg=\"%02X%02X%02X\"", x, y, x + kCellW,
                          y + kCellH, GetRValue(color), GetGValue(color), GetBValue(color));
            if ((r + c) % 2 == 0) {
                xml += std::string("<dlg") + attrs + "/>";
            } else {
                xml += std::string("<text") + attrs + ">" + std::to_string(c) + "</text>";
            }
        }
    }
    xml += "</dlg>";
    return xml;
}

// The same grid as the body of a dialog host, painted through its WM_PAINT (paint lock, back buffer, copy).
class BenchHost : public CBkDialogViewImplEx<BenchHost> {};

std::string HostDocument(const std::string& grid) {
    return "<layer width=\"" + std::to_string(kClientW) + "\" height=\"" + std::to_string(kClientH) +
           "\" resize=\"0\"><body>" + grid + "</body></layer>";
}

size_t CountElements(const CBkDialog& dlg) {
    size_t n = 0;
    for (const auto& child : dlg.Children()) {
        ++n;
        if (child->IsContainer()) n += CountElements(static_cast<const CBkDialog&>(*child));
    }
    return n;
}

LRESULT CALLBACK BenchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateBenchWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BenchProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraBenchPaintWnd";
    RegisterClassW(&wc);
    RECT rc{0, 0, kClientW, kClientH};
    AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"bench_paint", WS_OVERLAPPEDWINDOW, 0, 0, rc.right - rc.left,
                                rc.bottom - rc.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int iterations = argc > 1 ? std::max(1, _wtoi(argv[1])) : 300;
    HWND hwnd = CreateBenchWindow();
    if (!hwnd) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    Pump();
    RECT client{};
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;

    // Building: parse, create and place the grid.
    const std::string xml = GridXml();
    Stopwatch buildClock;
    TiXmlDocument doc;
    if (!BkParseXml(xml, doc) || !doc.RootElement()) {
        std::fprintf(stderr, "grid document does not parse\n");
        return 1;
    }
    auto root = std::make_unique<CBkDialog>();
    root->SetContainer(hwnd);
    root->LoadFromElement(doc.RootElement());
    root->Place({0, 0, w, h, kBkPlaceExact});
    const double buildUs = buildClock.Microseconds();
    const size_t elements = CountElements(*root);

    HDC windowDc = GetDC(hwnd);
    HDC memDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, w, h);
    HGDIOBJ oldBitmap = SelectObject(memDc, bitmap);
    SetBkMode(memDc, TRANSPARENT);

    auto paint = [&] {
        root->Redraw(memDc, nullptr);
        GdiFlush();
    };
    auto blit = [&] {
        BitBlt(windowDc, 0, 0, w, h, memDc, 0, 0, SRCCOPY);
        GdiFlush();
    };

    // Warm the font pool, the brushes and the X server before timing.
    for (int i = 0; i < 5; ++i) {
        paint();
        blit();
    }
    // Sanity: on a white buffer one paint gives a `dlg` cell its colour.
    RECT all{0, 0, w, h};
    FillRect(memDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    paint();
    const COLORREF sample = GetPixel(memDc, 10 * kCellW + kCellW / 2, 10 * kCellH + kCellH / 2);
    const bool painted = sample == CellColor(10, 10);

    Stopwatch paintClock;
    for (int i = 0; i < iterations; ++i) paint();
    const double paintUs = paintClock.Microseconds() / iterations;

    Stopwatch blitClock;
    for (int i = 0; i < iterations; ++i) blit();
    const double blitUs = blitClock.Microseconds() / iterations;

    std::printf("bench_paint: root Redraw(no region) into a %dx%d memory DC, %zu elements (%dx%d grid, dlg/text)\n", w,
                h, elements, kCols, kRows);
    std::printf("  build (parse + create + place): %.0f us (%.2f us per element)\n", buildUs,
                elements ? buildUs / double(elements) : 0.0);
    std::printf("  full paint:   %.1f us per paint, %.3f us per element (%d iterations)\n", paintUs,
                elements ? paintUs / double(elements) : 0.0, iterations);
    std::printf("  BitBlt floor: %.1f us per whole-client copy to the window DC\n", blitUs);
    std::printf("  ratio paint/BitBlt: %.1f\n", blitUs > 0 ? paintUs / blitUs : 0.0);
    std::printf("  check: cell (10,10) %s (0x%06lX)\n", painted ? "painted" : "NOT painted", sample);

    // The host's WM_PAINT: invalidate the whole client area and paint it now.
    double hostUs = 0;
    size_t hostElements = 0;
    {
        BenchHost host;
        host.SetLayoutText(HostDocument(xml));
        RECT at{0, 0, kClientW, kClientH};
        HWND hostWnd = host.Create(nullptr, &at);
        if (hostWnd && host.Body()) {
            ShowWindow(hostWnd, SW_SHOWNOACTIVATE);
            Pump();
            hostElements = CountElements(*host.Body());
            auto hostPaint = [&] {
                InvalidateRect(hostWnd, nullptr, FALSE);
                UpdateWindow(hostWnd);
                GdiFlush();
            };
            for (int i = 0; i < 5; ++i) hostPaint();
            Stopwatch hostClock;
            for (int i = 0; i < iterations; ++i) hostPaint();
            hostUs = hostClock.Microseconds() / iterations;
            DestroyWindow(hostWnd);
        }
    }
    if (hostUs > 0) {
        std::printf("  host WM_PAINT: %.1f us per full paint of %zu body elements (paint + copy), %.1f x BitBlt\n",
                    hostUs, hostElements, blitUs > 0 ? hostUs / blitUs : 0.0);
    } else {
        std::printf("  host WM_PAINT: not measured (the host window could not be created)\n");
    }

    SelectObject(memDc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memDc);
    ReleaseDC(hwnd, windowDc);
    root.reset();
    DestroyWindow(hwnd);
    return painted ? 0 : 2;
}
