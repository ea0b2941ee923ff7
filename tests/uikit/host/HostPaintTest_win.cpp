// What the host paints: the demonstration layout on the screen and in its back buffer, the rounded frame, and
// the shadow pieces.
#include <cstdio>
#include <memory>
#include <string>

#include "uikit/UikitTestSupport_win.h"
#include "uikit/host/BkDwm.h"
#include "uikit/host/CShadowWnd.h"
#include "uikit/host/HostTestSupport_win.h"
#include "uikit/host/WndShadowHelper.h"

using hosttest::RecordingHost;
using uitest::Canvas;
using uitest::Near;

namespace {

// Writes the canvas as a 24-bit BMP for a human to look at.
void SaveBmp(const Canvas& canvas, int width, int height, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return;
    const int stride = (width * 3 + 3) & ~3;
    const unsigned size = 54 + stride * height;
    unsigned char header[54] = {'B', 'M'};
    auto put32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    header[26] = 1;
    header[28] = 24;
    put32(34, stride * height);
    std::fwrite(header, 1, sizeof header, f);
    std::string row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = canvas.At(x, y);
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

struct Probe {
    const char* what;
    int x, y;
    COLORREF colour;
};

// Where the demonstration layout and its skins put known colours (client coordinates).
const Probe kDemoProbes[] = {
    {"header background crbg", 5, 5, RGB(0x33, 0x66, 0xCC)},
    {"img element (png skin)", 28, 30, RGB(220, 20, 60)},
    {"body skin background", 300, 200, RGB(0, 128, 128)},
    {"button skin, normal frame", 28, 126, RGB(30, 60, 200)},
    {"footer background crbg", 300, 285, RGB(0xEE, 0xEE, 0xEE)},
};

void CheckProbes(const Canvas& shot, const char* source) {
    for (const Probe& p : kDemoProbes) {
        const COLORREF got = shot.At(p.x, p.y);
        EXPECT_TRUE(Near(got, p.colour, 4)) << source << ": " << p.what << " at " << p.x << "," << p.y << " is "
                                            << std::hex << got << ", expected " << p.colour;
    }
}

TEST(HostPaint, DemonstrationLayoutOnTheScreen) {
    hosttest::RegisterTestDocuments();
    hosttest::ParkCursor();
    RecordingHost host;
    host.SetLayoutId(710);
    const RECT rc{40, 40, 440, 340};
    ASSERT_NE(host.Create(nullptr, &rc), nullptr);
    ASSERT_TRUE(host.IsLoaded());
    ShowWindow(host.GetHwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(host.GetHwnd());
    hosttest::Pump(400);

    RECT wr{};
    GetWindowRect(host.GetHwnd(), &wr);
    Canvas shot(400, 300, RGB(255, 0, 255));
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Dc(), 0, 0, 400, 300, screen, wr.left, wr.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    SaveBmp(shot, 400, 300, "host_demo_capture.bmp");
    CheckProbes(shot, "screen");

    // The same picture straight from the host's renderer.
    Canvas back(400, 300, RGB(255, 0, 255));
    host.RenderTo(back.Dc());
    SaveBmp(back, 400, 300, "host_demo_backbuffer.bmp");
    CheckProbes(back, "back buffer");

    // Hovering the button shows the skin's second frame after the repaint.
    host.Mouse(WM_MOUSEMOVE, 80, 136);
    UpdateWindow(host.GetHwnd());
    Canvas hovered(400, 300);
    host.RenderTo(hovered.Dc());
    EXPECT_TRUE(Near(hovered.At(28, 126), RGB(255, 140, 0), 4)) << std::hex << hovered.At(28, 126);
}

TEST(HostPaint, FrameSkinCoversTheClientAreaUnderTheSections) {
    hosttest::RegisterTestDocuments();
    RecordingHost host;
    host.SetLayoutText(
        "<layer width=\"100\" height=\"80\" noborder=\"1\" frame=\"host_bg_teal\">"
        "<header height=\"20\" crbg=\"FFFFFF\"/></layer>");
    ASSERT_NE(host.Create(nullptr), nullptr);
    Canvas canvas(100, 80, RGB(255, 0, 255));
    host.RenderTo(canvas.Dc());
    EXPECT_TRUE(Near(canvas.At(50, 10), RGB(255, 255, 255)));
    EXPECT_TRUE(Near(canvas.At(50, 60), RGB(0, 128, 128)));
}

TEST(HostPaint, RoundedFrameClipsTheCornersAndDrawsItsBorder) {
    hosttest::RegisterTestDocuments();
    RecordingHost host;
    host.EnableRoundRectFrame(15, 14);
    host.SetLayoutText("<layer width=\"200\" height=\"100\" noborder=\"1\"><body crbg=\"FFFFFF\"/></layer>");
    ASSERT_NE(host.Create(nullptr), nullptr);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(host.GetHwnd(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 100, 50));
    EXPECT_TRUE(PtInRegion(region, 100, 0));
    DeleteObject(region);

    Canvas canvas(200, 100);
    host.RenderTo(canvas.Dc());
    // The border line is translucent black over white: mid grey.
    const COLORREF line = canvas.At(100, 0);
    EXPECT_TRUE(Near(line, RGB(0x91, 0x91, 0x91), 12)) << std::hex << line;
    EXPECT_TRUE(Near(canvas.At(100, 50), RGB(255, 255, 255)));
}

TEST(HostPaint, ShadowDrawableKeepsHalfImageCorners) {
    hosttest::RegisterTestDocuments();
    BkShadowDrawable shadow;
    ASSERT_TRUE(shadow.Load("host_shadow"));
    EXPECT_FALSE(BkShadowDrawable().Load("no_such_skin"));
    Canvas canvas(30, 20);
    shadow.Draw(canvas.Dc(), RECT{0, 0, 30, 20});
    for (POINT p : {POINT{1, 1}, POINT{28, 1}, POINT{1, 18}, POINT{28, 18}, POINT{3, 3}, POINT{26, 16}}) {
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), RGB(0, 0, 0))) << p.x << "," << p.y;
    }
    for (POINT p : {POINT{15, 1}, POINT{1, 10}, POINT{15, 10}, POINT{28, 10}}) {
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), RGB(128, 128, 128))) << p.x << "," << p.y;
    }
}

TEST(HostPaint, ShadowBandAroundTheHostOnTheScreen) {
    hosttest::RegisterTestDocuments();
    hosttest::ParkCursor();
    RecordingHost host;
    host.EnableShadow("host_shadow", 12);
    host.SetLayoutText("<layer width=\"200\" height=\"100\" noborder=\"1\"><body crbg=\"FFFFFF\"/></layer>");
    const RECT rc{100, 420, 300, 520};
    ASSERT_NE(host.Create(nullptr, &rc), nullptr);
    HWND shadow = host.ShadowWindow();
    ASSERT_NE(shadow, nullptr);
    EXPECT_FALSE(IsWindowVisible(shadow));  // the host is not shown yet
    ShowWindow(host.GetHwnd(), SW_SHOWNOACTIVATE);
    hosttest::Pump(300);
    ASSERT_TRUE(IsWindowVisible(shadow));
    RECT sr{};
    GetWindowRect(shadow, &sr);
    EXPECT_EQ(GetWindow(host.GetHwnd(), GW_HWNDNEXT), shadow);  // just below the host
    EXPECT_EQ(sr.left, 88);
    EXPECT_EQ(sr.bottom, 532);

    // Left band: grey edge; outer corner: black. (Wine maps a layered window above its siblings whatever the
    // z-order says, so the host's own pixels are not checked on the screen.)
    Canvas shot(240, 140, RGB(255, 0, 255));
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Dc(), 0, 0, 240, 140, screen, 80, 400, SRCCOPY);
    ReleaseDC(nullptr, screen);
    SaveBmp(shot, 240, 140, "host_shadow_capture.bmp");
    EXPECT_TRUE(Near(shot.At(94 - 80, 470 - 400), RGB(128, 128, 128), 8)) << std::hex << shot.At(14, 70);
    EXPECT_TRUE(Near(shot.At(89 - 80, 409 - 400), RGB(0, 0, 0), 8)) << std::hex << shot.At(9, 9);

    // Hidden with its host, gone with it.
    ShowWindow(host.GetHwnd(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(shadow));
    host.DestroyWindow();
    EXPECT_FALSE(IsWindow(shadow));
}

TEST(HostPaint, ShadowWindowWithoutItsSkinStaysHidden) {
    RecordingHost target;
    target.SetLayoutText("<layer width=\"100\" height=\"60\" noborder=\"1\"><body/></layer>");
    ASSERT_NE(target.Create(nullptr), nullptr);
    ShowWindow(target.GetHwnd(), SW_SHOWNOACTIVATE);
    CShadowWnd shadow;
    ASSERT_TRUE(shadow.Create(target.GetHwnd()));
    wchar_t name[64] = {};
    GetClassNameW(shadow.GetHwnd(), name, 64);
    EXPECT_STREQ(name, L"BkShadowWndClass");
    EXPECT_FALSE(shadow.HasSkin());
    EXPECT_FALSE(shadow.Follow());
    EXPECT_FALSE(IsWindowVisible(shadow.GetHwnd()));
}

}  // namespace

namespace {

TEST(HostPaint, LayeredWindowIsUpdatedWithItsAlphaByte) {
    hosttest::RegisterTestDocuments();
    hosttest::ParkCursor();
    RecordingHost host;
    host.SetLayoutText(
        "<layer width=\"120\" height=\"80\" noborder=\"1\" layered=\"1\"><body class=\"host_body_bg\"/></layer>");
    const RECT rc{600, 40, 720, 120};
    ASSERT_NE(host.Create(nullptr, &rc), nullptr);
    ASSERT_TRUE(GetWindowLongW(host.GetHwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(host.LayeredAlpha(), 255);
    ShowWindow(host.GetHwnd(), SW_SHOWNOACTIVATE);
    hosttest::Pump(300);
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, 660, 80);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(Near(pixel, RGB(0, 128, 128), 4)) << std::hex << pixel;
}

TEST(HostPaint, CompositionFailsQuietlyWhereItIsMissing) {
    struct Case {
        DWORD major, minor;
        bool blur;
    } cases[] = {{5, 1, false}, {6, 0, true}, {6, 1, true}, {6, 2, false}, {6, 3, false}, {10, 0, false}};
    for (const Case& c : cases)
        EXPECT_EQ(BkDwm::BlurWantedForVersion(c.major, c.minor), c.blur) << c.major << "." << c.minor;

    RecordingHost host;
    host.SetUseComposition(true);
    host.SetLayoutText("<layer width=\"60\" height=\"40\" noborder=\"1\" layered=\"1\"><body/></layer>");
    ASSERT_NE(host.Create(nullptr), nullptr);
    if (!BkDwm::IsCompositionEnabled() || !BkDwm::BlurWantedOnThisSystem()) {
        EXPECT_FALSE(host.IsBlurActive());
        // Without blur the window keeps the layered style it asked for.
        EXPECT_TRUE(GetWindowLongW(host.GetHwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
        SendMessageW(host.GetHwnd(), WM_DWMCOMPOSITIONCHANGED, 0, 0);
        EXPECT_FALSE(host.IsBlurActive());
    }
}

}  // namespace
