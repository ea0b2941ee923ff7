#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "common/WinTestSupport_win.h"
#include "uikit/doc/BkDpi.h"
#include "uikit/doc/BkFontPool.h"

namespace {

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_NE(0, GetObjectW(font, sizeof lf, &lf));
    return lf;
}

TEST(BkFontPool, CodesToFonts) {
    BkFontPool pool;
    struct Case {
        unsigned short code;
        LONG height;
        LONG weight;
        BYTE italic;
        BYTE underline;
    };
    const Case cases[] = {
        {0x0000, -12, 400, 0, 0}, {0x0204, -14, 700, 0, 0}, {0x0600, -18, 400, 0, 0},
        {0xFE01, -10, 400, 1, 0}, {0x0002, -12, 400, 0, 1}, {0x0107, -13, 700, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        HFONT font = pool.GetFont(c.code, false);
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(font, pool.GetFont(c.code, false));  // cached
        const LOGFONTW lf = Describe(font);
        EXPECT_EQ(c.height, lf.lfHeight);
        EXPECT_EQ(c.weight, lf.lfWeight);
        EXPECT_EQ(c.italic, lf.lfItalic);
        EXPECT_EQ(c.underline, lf.lfUnderline);
        EXPECT_STREQ(L"宋体", lf.lfFaceName);
        EXPECT_EQ(ANTIALIASED_QUALITY, lf.lfQuality);
    }
}

TEST(BkFontPool, DpiFlagScalesHeights) {
    wintest::TempFolder program(L"uikit_fontdpi");
    CreateDirectoryW((program / L"data").c_str(), nullptr);
    std::ofstream((program / L"data\\dpiconfig.ini").c_str())
        << "[basesetting]\r\ndebug=1\r\ndebugdpi=144\r\nsupportprocess=test_uikit\r\n";
    BkDpiSettings dpi({program.Path(), L"test_uikit"});
    BkDpiOverride use(dpi);
    BkFontPool pool;
    HFONT scaled = pool.GetFont(0x0204, true);
    HFONT plain = pool.GetFont(0x0204, false);
    EXPECT_NE(scaled, plain);
    EXPECT_EQ(-21, Describe(scaled).lfHeight);
    EXPECT_EQ(-14, Describe(plain).lfHeight);
    EXPECT_EQ(-18, Describe(pool.GetFont(0, true)).lfHeight);
}

TEST(BkFontPool, DefaultFaceFromTheInstalledFonts) {
    const wchar_t* fonts = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    BkFontPool pool;
    pool.ProbeInstalledFaces();
    EXPECT_EQ(L"宋体", pool.DefaultFace());  // none of the known faces is registered in the test prefix
    EXPECT_FALSE(pool.IsYaHei());

    wintest::ScratchRegistryValue simsun(HKEY_LOCAL_MACHINE, fonts, L"SimSun & NSimSun (TrueType)");
    ASSERT_TRUE(simsun.SetString(L"simsun.ttc"));
    pool.ProbeInstalledFaces();
    EXPECT_EQ(L"SimSun", pool.DefaultFace());

    wintest::ScratchRegistryValue yahei(HKEY_LOCAL_MACHINE, fonts, L"Microsoft YaHei & Microsoft YaHei UI (TrueType)");
    ASSERT_TRUE(yahei.SetString(L"msyh.ttc"));
    HFONT before = pool.GetFont(0, false);
    pool.ProbeInstalledFaces();  // YaHei comes earlier in the probe order than SimSun
    EXPECT_EQ(L"Microsoft YaHei", pool.DefaultFace());
    EXPECT_TRUE(pool.IsYaHei());
    const LOGFONTW lf = Describe(pool.GetFont(0, false));
    EXPECT_NE(before, pool.GetFont(0, false));
    EXPECT_STREQ(L"Microsoft YaHei", lf.lfFaceName);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(-12, lf.lfHeight);
}

TEST(BkFontPool, PrivateFontFileOfTheFace) {
    wintest::TempFolder program(L"uikit_fonts");
    CreateDirectoryW((program / L"fonts").c_str(), nullptr);
    BkFontPool pool;
    pool.SetProgramDir(program.Path());
    pool.SetDefaultFont(L"宋体", -12);
    EXPECT_TRUE(pool.PrivateFamilies().empty());  // no file yet

    // Any real font file under the face's file name will do.
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf",
                          (program / L"fonts\\simsun.ttc").c_str(), FALSE));
    pool.SetDefaultFont(L"宋体", -16);
    ASSERT_FALSE(pool.PrivateFamilies().empty());
    wchar_t name[LF_FACESIZE] = {};
    pool.PrivateFamilies()[0]->GetFamilyName(name);
    EXPECT_NE(0, name[0]);
    EXPECT_EQ(-16, Describe(pool.GetFont(0, false)).lfHeight);

    pool.SetDefaultFont(L"Tahoma", -12);  // a face without a known file drops the private families
    EXPECT_TRUE(pool.PrivateFamilies().empty());
}

}  // namespace
