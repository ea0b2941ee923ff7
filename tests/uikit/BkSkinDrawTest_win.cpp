#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "common/WinTestSupport_win.h"
#include "uikit/UikitTestSupport_win.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkResource.h"
#include "uikit/doc/BkSkin.h"

using uitest::Canvas;
using uitest::Near;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

class BkSkinDraw : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BkSkinRegistry::Instance().Load()); }

    static CBkSkinBase* Skin(const char* name) {
        CBkSkinBase* skin = BkSkinRegistry::Instance().Find(name);
        EXPECT_NE(nullptr, skin) << name;
        return skin;
    }

    struct Probe {
        int x, y;
        COLORREF color;
    };
    static void ExpectPixels(const Canvas& canvas, const std::vector<Probe>& probes, int tolerance = 3) {
        for (const Probe& p : probes) {
            const COLORREF got = canvas.At(p.x, p.y);
            EXPECT_TRUE(Near(got, p.color, tolerance))
                << "at (" << p.x << "," << p.y << ") got " << std::hex << got << " want " << p.color << "\nrow "
                << std::dec << p.y << ": " << canvas.Row(p.y);
        }
    }
};

TEST_F(BkSkinDraw, PngFramesByState) {
    CBkSkinBase* strip = Skin("strip");  // the first definition: 4 frames of 20
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(20, strip->GetSkinSize().cx);
    EXPECT_EQ(10, strip->GetSkinSize().cy);
    EXPECT_FALSE(strip->IgnoreState());
    struct Case {
        int state;
        COLORREF color;
    };
    const Case cases[] = {{0, kRed}, {1, kGreen}, {2, kBlue}, {3, kWhite}, {5, kGreen}, {-1, kRed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Canvas canvas(10, 10, RGB(1, 2, 3));
        strip->DrawDpiAlpha(canvas.Dc(), 0, 0, 10, 10, c.state, false, 255);
        ExpectPixels(canvas, {{0, 0, c.color}, {9, 9, c.color}, {5, 5, c.color}});
    }
}

TEST_F(BkSkinDraw, NinePartMarginsKeepCornersAndStretchTheMiddle) {
    // Corners at their own size, edges stretched one way, the centre both ways.
    const std::vector<Probe> probes = {{0, 0, RGB(10, 0, 0)},   {2, 2, RGB(10, 0, 0)},   {29, 0, RGB(30, 0, 0)},
                                       {27, 2, RGB(30, 0, 0)},  {0, 19, RGB(0, 0, 70)},  {29, 19, RGB(0, 0, 90)},
                                       {15, 1, RGB(20, 0, 0)},  {1, 10, RGB(0, 40, 0)},  {28, 10, RGB(0, 60, 0)},
                                       {15, 18, RGB(0, 0, 80)}, {15, 10, RGB(0, 50, 0)}, {4, 4, RGB(0, 50, 0)},
                                       {25, 15, RGB(0, 50, 0)}};
    Canvas canvas(30, 20);
    Skin("nine")->DrawDpiAlpha(canvas.Dc(), 0, 0, 30, 20, 0, false, 255);
    ExpectPixels(canvas, probes);
    // The high-quality path draws the same parts; its interpolation may soften the stretched parts near their
    // ends (Wine's GDI+ samples past the source rectangle), so only the corners and the middle are compared.
    Canvas hq(30, 20);
    Skin("nine_hq")->DrawDpiAlpha(hq.Dc(), 0, 0, 30, 20, 0, false, 255);
    ExpectPixels(hq, {probes[0], probes[2], probes[4], probes[5], probes[10]}, 6);
    // Without margins the whole image is the middle, stretched over everything.
    Canvas plain(24, 24);
    Skin("nomargin")->DrawDpiAlpha(plain.Dc(), 0, 0, 24, 24, 0, false, 255);
    ExpectPixels(plain, {{1, 1, RGB(10, 0, 0)}, {12, 12, RGB(0, 50, 0)}, {22, 22, RGB(0, 0, 90)}});
    EXPECT_TRUE(Skin("nomargin")->IgnoreState());
}

TEST_F(BkSkinDraw, MiddleTiledOrStretchedAndFlipped) {
    Canvas tiled(10, 2), stretched(10, 2), flipped(4, 2);
    Skin("tiled")->Draw(tiled.Dc(), {0, 0, 10, 2}, 0);
    Skin("stretched")->Draw(stretched.Dc(), {0, 0, 10, 2}, 0);
    Skin("flipped")->Draw(flipped.Dc(), {0, 0, 4, 2}, 0, true);
    ExpectPixels(tiled, {{0, 0, kBlack}, {1, 0, kRed}, {2, 0, kGreen}, {3, 0, kRed}, {8, 1, kGreen}, {9, 1, kWhite}});
    ExpectPixels(stretched,
                 {{0, 0, kBlack}, {1, 0, kRed}, {4, 0, kRed}, {5, 0, kGreen}, {8, 0, kGreen}, {9, 0, kWhite}});
    ExpectPixels(flipped, {{0, 0, kWhite}, {1, 0, kGreen}, {2, 0, kRed}, {3, 0, kBlack}});
}

TEST_F(BkSkinDraw, PerPixelAndConstantAlpha) {
    struct Case {
        const char* skin;
        BYTE alpha;
        COLORREF expected;
    };
    const Case cases[] = {
        {"halfred", 255, RGB(255, 127, 127)},
        {"halfred", 128, RGB(255, 191, 191)},
        {"skin_alpha", 255, RGB(255, 191, 191)},  // the skin's own alpha 128
        {"green_jpg", 255, kGreen},
        {"skin_jpg", 255, kGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.skin) + " alpha " + std::to_string(c.alpha));
        Canvas canvas(6, 6);
        Skin(c.skin)->DrawDpiAlpha(canvas.Dc(), 0, 0, 6, 6, 0, false, c.alpha);
        ExpectPixels(canvas, {{0, 0, c.expected}, {5, 5, c.expected}}, 4);
    }
}

TEST_F(BkSkinDraw, NormalPngFileOverrideAndAlphaFromSettings) {
    wintest::TempFolder program(L"uikit_skin");
    CreateDirectoryW((program / L"data").c_str(), nullptr);
    CreateDirectoryW((program / L"data\\skin").c_str(), nullptr);
    std::ofstream((program / L"data\\skin\\skincfg.ini").c_str()) << "[alpha]\r\npopup=255\r\n";
    std::string png;
    ASSERT_TRUE(BkFindResourceData(101, L"png", png));  // the four-frame strip, written as an installation file
    std::ofstream((program / L"strip.png").c_str(), std::ios::binary) << png;
    BkSetSkinProgramDir(program.Path());

    std::unique_ptr<CBkSkinBase> keyed = BkCreateSkin("skinpng");
    for (auto [name, value] : {std::pair{"src", "104"}, {"alpha", "10"}, {"extern_alpha_key", "popup"}}) {
        EXPECT_EQ(0, keyed->ApplyAttribute(name, value));
    }
    ASSERT_TRUE(keyed->LoadImageOnce());
    Canvas half(4, 4);
    keyed->DrawDpiAlpha(half.Dc(), 0, 0, 4, 4, 0, false, 255);
    ExpectPixels(half, {{1, 1, RGB(255, 127, 127)}}, 4);  // 255 from the settings file, not 10

    std::unique_ptr<CBkSkinBase> fromFile = BkCreateSkin("skinpng");
    fromFile->ApplyAttribute("src", "150");  // no such resource: only the file can supply it
    fromFile->ApplyAttribute("file", "strip.png");
    fromFile->ApplyAttribute("subwidth", "20");
    EXPECT_EQ(kBkAttrNotHandled, fromFile->ApplyAttribute("highquality", "1"));
    ASSERT_TRUE(fromFile->LoadImageOnce());
    Canvas frame(5, 5);
    fromFile->Draw(frame.Dc(), {0, 0, 5, 5}, 2);
    ExpectPixels(frame, {{2, 2, kBlue}});

    std::unique_ptr<CBkSkinBase> missing = BkCreateSkin("skinpng");
    missing->ApplyAttribute("src", "151");
    missing->ApplyAttribute("file", "nothing_here.png");
    EXPECT_FALSE(missing->LoadImageOnce());
    BkSetSkinProgramDir(L"");
}

TEST_F(BkSkinDraw, DpiVariantOrScaledBase) {
    wintest::TempFolder program(L"uikit_dpiskin");
    std::string variant;
    ASSERT_TRUE(BkFindResourceData(106, L"png", variant));
    for (const wchar_t* sub : {L"\\data", L"\\data\\dpiimg", L"\\data\\dpiimg\\1.5", L"\\data\\dpiimg\\2.0",
                               L"\\data\\dpiimg\\1.5\\test_uikit", L"\\data\\dpiimg\\2.0\\test_uikit"}) {
        CreateDirectoryW((program.Path() + sub).c_str(), nullptr);
    }
    std::ofstream((program / L"data\\dpiimg\\1.5\\test_uikit\\105_1.5.png").c_str(), std::ios::binary) << variant;
    std::ofstream((program / L"data\\dpiimg\\2.0\\test_uikit\\107_2.0.png").c_str(), std::ios::binary) << variant;
    std::ofstream((program / L"data\\dpiconfig.ini").c_str())
        << "[basesetting]\r\ndebug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n";
    BkDpiSettings dpi({program.Path(), L"test_uikit"});
    BkDpiOverride use(dpi);
    ASSERT_EQ(1.5f, dpi.Rate());

    // Rate 1.5 with a 1.5 image: the variant (frames of 15: blue, yellow) as it is.
    CBkSkinBase* exact = Skin("dpi");
    Canvas a(30, 15), b(30, 15), c(15, 15);
    exact->DrawDpiAlpha(a.Dc(), 0, 0, 15, 15, 1, true, 255);
    ExpectPixels(a, {{0, 0, kYellow}, {14, 14, kYellow}});
    exact->DrawDpiAlpha(c.Dc(), 0, 0, 15, 15, 0, true, 255);
    ExpectPixels(c, {{0, 0, kBlue}, {14, 14, kBlue}});
    // Only a 2.0 image: the base (red, green) scaled by 1.5.
    Skin("dpi_scaled")->DrawDpiAlpha(b.Dc(), 0, 0, 15, 15, 1, true, 255);
    ExpectPixels(b, {{0, 0, kGreen}, {14, 14, kGreen}});
    // An element that is not DPI-aware draws the base as it is.
    Canvas plain(10, 10);
    exact->DrawDpiAlpha(plain.Dc(), 0, 0, 10, 10, 1, false, 255);
    ExpectPixels(plain, {{0, 0, kGreen}, {9, 9, kGreen}});
}

TEST_F(BkSkinDraw, BitmapStripsFramesAndShapes) {
    Canvas none(8, 8), mask(8, 8), stretch(16, 16), alpha(4, 4);
    Skin("bmp_none")->Draw(none.Dc(), {0, 0, 8, 8}, 1);
    Skin("bmp_mask")->Draw(mask.Dc(), {0, 0, 8, 8}, 1);
    Skin("bmp_stretch")->Draw(stretch.Dc(), {0, 0, 16, 16}, 0);
    Skin("bmp_alpha")->Draw(alpha.Dc(), {0, 0, 4, 4}, -1);
    ExpectPixels(none, {{0, 0, kMagenta}, {4, 4, kYellow}});
    ExpectPixels(mask, {{0, 0, kWhite}, {4, 4, kYellow}});
    ExpectPixels(stretch, {{0, 0, kMagenta}, {15, 15, kCyan}, {8, 8, kCyan}});
    ExpectPixels(alpha, {{2, 2, RGB(127, 127, 255)}}, 4);
    EXPECT_EQ(8, Skin("bmp_none")->GetSkinSize().cx);
    EXPECT_FALSE(Skin("bmp_none")->IgnoreState());

    Canvas frame(20, 20), middle(20, 20), horz(32, 8);
    Skin("frame")->Draw(frame.Dc(), {0, 0, 20, 20}, 0);
    Skin("frame_middle")->Draw(middle.Dc(), {0, 0, 20, 20}, 0);
    Skin("horz")->Draw(horz.Dc(), {0, 0, 32, 8}, 0);
    ExpectPixels(frame, {{1, 1, kRed}, {18, 18, kRed}, {10, 1, kGreen}, {1, 10, kGreen}, {10, 10, kBlue}});
    ExpectPixels(middle, {{1, 1, kGreen}, {18, 18, kGreen}, {10, 10, kWhite}});
    ExpectPixels(horz, {{0, 0, kMagenta}, {4, 4, kCyan}, {20, 4, kYellow}});
}

TEST_F(BkSkinDraw, PaintedButtonAndGradation) {
    struct Case {
        int state;
        COLORREF centre;
    };
    const Case cases[] = {{0, kRed}, {1, kGreen}, {2, kBlue}, {3, kWhite}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Canvas canvas(20, 20, RGB(9, 9, 9));
        Skin("btn")->Draw(canvas.Dc(), {0, 0, 20, 20}, c.state);
        ExpectPixels(canvas, {{0, 0, kBlack}, {19, 10, kBlack}, {1, 1, kWhite}, {10, 10, c.centre}, {2, 2, c.centre}});
    }
    EXPECT_FALSE(Skin("btn")->IgnoreState());
    EXPECT_EQ(0, Skin("btn")->GetSkinSize().cx);

    Canvas grad(20, 2);
    Skin("grad")->Draw(grad.Dc(), {0, 0, 20, 2}, 0);
    ExpectPixels(grad, {{0, 0, kBlack}, {12, 0, kWhite}, {19, 1, kWhite}}, 30);
    const int mid = GetRValue(grad.At(5, 0));
    EXPECT_GT(mid, 80);
    EXPECT_LT(mid, 180);
}

TEST_F(BkSkinDraw, MissingImagesDrawNothing) {
    CBkSkinBase* missing = Skin("missing");
    ASSERT_NE(nullptr, missing);
    EXPECT_FALSE(missing->LoadImageOnce());
    Canvas canvas(4, 4);
    missing->DrawDpiAlpha(canvas.Dc(), 0, 0, 4, 4, 0, true, 255);
    missing->Draw(canvas.Dc(), {0, 0, 4, 4}, 0);
    ExpectPixels(canvas, {{0, 0, kWhite}, {3, 3, kWhite}});
    EXPECT_EQ(0, missing->GetSkinSize().cx);
    EXPECT_EQ(nullptr, BkCreateSkin("sprite"));
}

}  // namespace
