// Painting elements into 32-bit canvases and reading the pixels back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "uikit/UikitTestSupport_win.h"
#include "uikit/doc/BkFontPool.h"
#include "uikit/element/CBkDialog.h"
#include "uikit/element/ElementTestSupport_win.h"

using eltest::LoadDialog;
using uitest::Canvas;
using uitest::Near;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

class ElementPaint : public ::testing::Test {
protected:
    static void SetUpTestSuite() { eltest::ApplyTestDocuments(); }

    // The smallest value of any colour channel inside `rc`: how dark the darkest drawn pixel is.
    static int DarkestChannel(const Canvas& canvas, const RECT& rc) {
        int darkest = 255;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                const COLORREF c = canvas.At(x, y);
                darkest = std::min({darkest, int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))});
            }
        }
        return darkest;
    }

    static int CountPixels(const Canvas& canvas, const RECT& rc, COLORREF color) {
        int count = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) count += canvas.At(x, y) == color;
        }
        return count;
    }
};

TEST_F(ElementPaint, BackgroundColourAndRunTimeChangeAtNextPaint) {
    auto root = LoadDialog("<dlg><text id='1' pos='10,10,50,30' crbg='FF0000'/></dlg>");
    CBkWindow* w = root->FindChild(1);
    Canvas canvas(100, 60);
    root->Redraw(canvas.Dc(), nullptr);
    EXPECT_EQ(kRed, canvas.At(10, 10));
    EXPECT_EQ(kRed, canvas.At(49, 29));
    EXPECT_EQ(kWhite, canvas.At(50, 30));
    EXPECT_EQ(kWhite, canvas.At(9, 10));

    EXPECT_EQ(1, w->ApplyAttribute("crbg", "0000FF", false));
    EXPECT_EQ(kRed, canvas.At(20, 20));  // nothing drawn yet
    root->Redraw(canvas.Dc(), nullptr);
    EXPECT_EQ(kBlue, canvas.At(20, 20));
}

TEST_F(ElementPaint, RegionAndHiddenChildrenLimitPainting) {
    auto root = LoadDialog(
        "<dlg><text id='1' pos='10,10,50,30' crbg='FF0000'/><text id='2' pos='60,10,90,30'"
        " crbg='00FF00' show='0'/></dlg>");
    Canvas canvas(100, 60);
    HRGN elsewhere = CreateRectRgn(0, 40, 100, 60);
    root->FindChild(1)->Redraw(canvas.Dc(), elsewhere);
    EXPECT_EQ(kWhite, canvas.At(20, 20));
    root->Redraw(canvas.Dc(), elsewhere);
    EXPECT_EQ(kWhite, canvas.At(20, 20));
    DeleteObject(elsewhere);
    HRGN over = CreateRectRgn(0, 0, 100, 60);
    root->Redraw(canvas.Dc(), over);
    DeleteObject(over);
    EXPECT_EQ(kRed, canvas.At(20, 20));
    EXPECT_EQ(kWhite, canvas.At(70, 20));  // hidden
}

TEST_F(ElementPaint, SkinBackgroundFrameByState) {
    // el_strip frames: 0 red, 1 green, 2 blue, 3 white; frames wrap around.
    struct Case {
        const char* what;
        int correct;
        uint32_t state;
        bool parentDisabled;
        COLORREF color;
    };
    const Case cases[] = {
        {"normal", 1, 0, false, kRed},
        {"hovered", 1, kBkStateHover, false, kGreen},
        {"pressed", 1, kBkStatePushDown | kBkStateHover, false, kBlue},
        {"disabled", 1, kBkStateDisabled | kBkStatePushDown, false, kWhite},
        {"disabled parent", 1, kBkStateHover, true, kWhite},
        {"raw state: hover", 0, kBkStateHover, false, kGreen},
        {"raw state: pushed and hovered is frame 3", 0, kBkStatePushDown | kBkStateHover, false, kWhite},
        {"raw state: disabled 0x10 wraps to frame 0", 0, kBkStateDisabled, false, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto root = LoadDialog(std::string("<dlg crbg='FFFF00'><text id='1' pos='0,0,40,20' class='el_two_frames'"
                                           " correctdrawbg='") +
                               std::to_string(c.correct) + "'/></dlg>");
        CBkWindow* w = root->FindChild(1);
        w->ModifyState(c.state, 0);
        if (c.parentDisabled) root->ModifyState(kBkStateDisabled, 0);
        Canvas canvas(60, 30, kMagenta);
        w->Redraw(canvas.Dc(), nullptr);
        EXPECT_TRUE(Near(c.color, canvas.At(5, 5))) << std::hex << canvas.At(5, 5);
        EXPECT_TRUE(Near(c.color, canvas.At(39, 19))) << std::hex << canvas.At(39, 19);
        EXPECT_EQ(kMagenta, canvas.At(45, 5));
    }
}

TEST_F(ElementPaint, BackgroundColourByState) {
    // el_bg_states: crbg yellow, crbghover green, crbgpush blue, crbgdisable magenta.
    struct Case {
        const char* what;
        const char* elementBg;
        uint32_t state;
        COLORREF color;
    };
    const Case cases[] = {
        {"style crbg", "", 0, kYellow},
        {"element crbg over style crbg", "FF0000", 0, kRed},
        {"hover", "FF0000", kBkStateHover, kGreen},
        {"pressed", "FF0000", kBkStatePushDown | kBkStateHover, kBlue},
        {"disabled", "FF0000", kBkStateDisabled | kBkStateHover, kMagenta},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string xml = "<dlg><text id='1' pos='0,0,40,20' class='el_bg_states'";
        if (*c.elementBg) xml += std::string(" crbg='") + c.elementBg + "'";
        auto root = LoadDialog(xml + "/></dlg>");
        CBkWindow* w = root->FindChild(1);
        w->ModifyState(c.state, 0);
        Canvas canvas(50, 30);
        w->Redraw(canvas.Dc(), nullptr);
        EXPECT_EQ(c.color, canvas.At(20, 10));
    }
}

TEST_F(ElementPaint, ImageDrawsTheChosenFrame) {
    struct Case {
        const char* sub;
        COLORREF color;
    };
    const Case cases[] = {{"-1", kRed}, {"0", kRed}, {"1", kGreen}, {"2", kBlue}, {"5", kGreen}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sub);
        auto root = LoadDialog(std::string("<dlg><img id='1' pos='5,5' skin='el_strip' sub='") + c.sub + "'/></dlg>");
        Canvas canvas(40, 20, kMagenta);
        root->Redraw(canvas.Dc(), nullptr);
        EXPECT_TRUE(Near(c.color, canvas.At(5, 5)));
        EXPECT_TRUE(Near(c.color, canvas.At(24, 14)));
        EXPECT_EQ(kMagenta, canvas.At(25, 5));
    }
}

TEST_F(ElementPaint, ChildrenDrawInTheContainersTextColour) {
    auto root = LoadDialog(
        "<dlg crtext='FF0000'><text id='1' pos='0,0,100,40' font='0C04'>MMMM</text>"
        "<text id='2' pos='0,40,100,80' font='0C04' crtext='0000FF'>MMMM</text></dlg>",
        nullptr, {0, 0, 100, 80});
    Canvas canvas(100, 80);
    const COLORREF before = SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    root->Redraw(canvas.Dc(), nullptr);
    EXPECT_GT(CountPixels(canvas, {0, 0, 100, 40}, kRed), 20);
    EXPECT_EQ(0, CountPixels(canvas, {0, 0, 100, 40}, kBlue));
    EXPECT_GT(CountPixels(canvas, {0, 40, 100, 80}, kBlue), 20);
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(canvas.Dc()));  // restored
    SetTextColor(canvas.Dc(), before);
}

TEST_F(ElementPaint, GdiplusTextAlpha255IsDrawnAs254) {
    // Black text over white: a fully covered pixel comes out 255 - alpha, so alpha 254 leaves 1, never 0.
    struct Case {
        const char* cls;
        const char* alphatxt;
        int darkestMin, darkestMax;
    };
    const Case cases[] = {
        {"el_gdip_text", "255", 1, 1},
        {"el_gdip_text", "", 1, 1},  // the style's default alpha 254
        {"el_gdip_text", "128", 126, 128},
        {"el_gdi_text", "255", 0, 0},  // plain GDI text ignores alpha
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + " alphatxt " + c.alphatxt);
        std::string xml = std::string("<dlg><text id='1' pos='0,0,120,50' class='") + c.cls + "'";
        if (*c.alphatxt) xml += std::string(" alphatxt='") + c.alphatxt + "'";
        auto root = LoadDialog(xml + ">MMMM</text></dlg>");
        Canvas canvas(120, 50);
        root->Redraw(canvas.Dc(), nullptr);
        const int darkest = DarkestChannel(canvas, {0, 0, 120, 50});
        EXPECT_GE(darkest, c.darkestMin);
        EXPECT_LE(darkest, c.darkestMax);
    }
}

TEST_F(ElementPaint, GdiplusTextAtFullAlphaWouldReachBlack) {
    // The control for the test above: the same string drawn directly with alpha 255 does reach 0, so the 1 seen
    // there comes from the element's alpha rule, not from the renderer.
    Canvas canvas(120, 50);
    HFONT font = BkFontPool::Instance().GetFont(0x0C04, false);
    HGDIOBJ old = SelectObject(canvas.Dc(), font);
    {
        Gdiplus::Graphics g(canvas.Dc());
        Gdiplus::Font gfont(canvas.Dc(), font);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 0, 0, 0));
        Gdiplus::StringFormat format;
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        g.DrawString(L"MMMM", 4, &gfont, Gdiplus::RectF(0, 0, 120, 50), &format, &brush);
    }
    SelectObject(canvas.Dc(), old);
    EXPECT_EQ(0, DarkestChannel(canvas, {0, 0, 120, 50}));
}

TEST_F(ElementPaint, DrawHookCanSkipTheContent) {
    struct Hook : IBkDrawHook {
        bool OnElementDraw(CBkWindow* element, HDC, const RECT& rc, bool before) override {
            calls.push_back(std::string(before ? "before " : "after ") + std::to_string(element->GetId()) + " " +
                            std::to_string(rc.right));
            return allow;
        }
        bool allow = false;
        std::vector<std::string> calls;
    } hook;
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow);
        hook.allow = allow;
        hook.calls.clear();
        auto root = LoadDialog(
            "<dlg><text id='4' pos='0,0,120,50' crbg='FFFF00' crtext='0000FF' font='0C04'>MMMM"
            "</text></dlg>");
        root->FindChild(4)->SetDrawHook(&hook);
        Canvas canvas(120, 50);
        root->Redraw(canvas.Dc(), nullptr);
        EXPECT_EQ((std::vector<std::string>{"before 4 120", "after 4 120"}), hook.calls);
        EXPECT_EQ(kYellow, canvas.At(1, 1));  // the background is drawn either way
        EXPECT_EQ(allow, CountPixels(canvas, {0, 0, 120, 50}, kBlue) > 20);
    }
}

TEST_F(ElementPaint, GdiplusBackgroundUsesTheStylesAlpha) {
    auto root = LoadDialog("<dlg><text id='1' pos='0,0,40,20' class='el_bg_gdiplus'/></dlg>");
    Canvas canvas(50, 30);
    root->Redraw(canvas.Dc(), nullptr);
    // Red at alpha 128 over white.
    EXPECT_TRUE(Near(RGB(255, 127, 127), canvas.At(20, 10))) << std::hex << canvas.At(20, 10);
    EXPECT_EQ(kWhite, canvas.At(45, 10));
}

TEST_F(ElementPaint, ShadowTextStillShowsTheText) {
    // With or without DrawShadowText in the system's common controls, the text appears in its colour.
    auto root = LoadDialog("<dlg><text id='1' pos='0,0,120,50' class='el_shadow_text'>MMMM</text></dlg>");
    Canvas canvas(120, 50);
    root->Redraw(canvas.Dc(), nullptr);
    EXPECT_GT(CountPixels(canvas, {0, 0, 120, 50}, kBlue), 20);
}

TEST_F(ElementPaint, TextIsMeasuredWithTheStylesRenderer) {
    // Content-sized texts: longer text is wider, and GDI and GDI+ measure the same string to within a few pixels.
    for (const char* cls : {"el_gdi_measure", "el_gdip_measure"}) {
        SCOPED_TRACE(cls);
        auto root = LoadDialog(std::string("<dlg><text id='1' pos='0,0' class='") + cls +
                                   "'>MM</text><text id='2'"
                                   " pos='0,0' class='" +
                                   cls + "'>MMMM</text></dlg>",
                               nullptr, {0, 0, 400, 100});
        const RECT a = root->FindChild(1)->GetRect();
        const RECT b = root->FindChild(2)->GetRect();
        EXPECT_GT(a.right - a.left, 10);
        EXPECT_GT(b.right - b.left, (a.right - a.left) * 3 / 2);
        EXPECT_GE(a.bottom - a.top, 20);  // a 24-pixel font
        EXPECT_LE(a.bottom - a.top, 40);
    }
}

// The lowest row holding a dark pixel, or -1.
int LowestDarkRow(const Canvas& canvas, int width, int height) {
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            if (GetRValue(canvas.At(x, y)) < 128) return y;
        }
    }
    return -1;
}

TEST_F(ElementPaint, YaHeiTextMovesUpByTheBaselineRule) {
    BkFontPool& pool = BkFontPool::Instance();
    const std::wstring face = pool.DefaultFace();
    const int height = pool.DefaultHeight();
    pool.SetDefaultFont(L"微软雅黑", -12);
    ASSERT_TRUE(pool.IsYaHei());
    struct Case {
        const char* cls;
        const char* font;  // "" for the default font (d = 0)
        int shiftUp;
    };
    const Case cases[] = {
        {"el_yh_bottom", "", 2},       // 2d + 2
        {"el_yh_bottom", "0604", 14},  // d = 6
        {"el_yh_top", "", 3},          // 3d + 3
        {"el_yh_top", "0604", 21},    {"el_yh_vcenter", "0604", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + " font " + c.font);
        int lowest[2] = {};
        for (int off = 0; off < 2; ++off) {
            std::string xml =
                std::string("<dlg><text id='1' pos='0,30,120,80' class='") + c.cls + (off ? "_off'" : "'");
            if (*c.font) xml += std::string(" font='") + c.font + "'";
            auto root = LoadDialog(xml + ">MMMM</text></dlg>", nullptr, {0, 0, 120, 100});
            Canvas canvas(120, 100);
            root->Redraw(canvas.Dc(), nullptr);
            lowest[off] = LowestDarkRow(canvas, 120, 100);
        }
        ASSERT_GT(lowest[1], 0);
        EXPECT_EQ(c.shiftUp, lowest[1] - lowest[0]);
    }
    pool.SetDefaultFont(face, height);
}

}  // namespace
