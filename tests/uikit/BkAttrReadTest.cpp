#include <gtest/gtest.h>

#include <climits>

#include "uikit/doc/BkAttrRead.h"
#include "uikit/doc/BkFontCode.h"
#include "uikit/doc/BkStyle.h"

namespace {

TEST(BkAttrRead, IntegersFollowStrToIntAndAtoi) {
    struct Case {
        const char* text;
        int strToInt;
        int atoi;
    };
    const Case cases[] = {
        {"42", 42, 42},
        {"-7", -7, -7},
        {"12px", 12, 12},
        {"", 0, 0},
        {"abc", 0, 0},
        {" 5", 0, 5},
        {"+5", 0, 5},
        {"-", 0, 0},
        {"--5", 0, 0},
        {nullptr, 0, 0},
        {"2147483647", INT_MAX, INT_MAX},
        {"99999999999", static_cast<int>(99999999999LL & 0xFFFFFFFF), INT_MAX},
        {"-99999999999", static_cast<int>(-99999999999LL & 0xFFFFFFFF), INT_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(c.strToInt, BkReadInt(c.text));
        EXPECT_EQ(c.atoi, BkReadAtoi(c.text));
    }
    EXPECT_EQ(15, BkReadIntW(L"15%"));
    EXPECT_EQ(0, BkReadIntW(L"x1"));
}

TEST(BkAttrRead, ColoursReadEachPairAlone) {
    struct Case {
        const char* text;
        uint32_t colorref;
    };
    const Case cases[] = {
        {"FFFFFF", 0xFFFFFF}, {"495452", 0x525449},  {"ff0000", 0x0000FF}, {"00Ff00", 0x00FF00}, {"GG0000", 0x000000},
        {"12GG56", 0x560012}, {"1234567", 0x563412}, {"1234", 0x003412},   {"123", 0x000012},    {"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(c.colorref, BkReadColor(c.text));
    }
}

TEST(BkAttrRead, HexValuesTextModesAndFontCodes) {
    struct Case {
        const char* text;
        uint32_t hex;
        uint32_t textMode;
        uint16_t fontCode;
    };
    const Case cases[] = {
        {"8024", 0x8024, 0x8024, 0x8024},
        {"18025", 0x18025, 0x8025, 0x8025},
        {"24", 0x24, 0x24, 0x24},
        {"0204", 0x204, 0x204, 0x204},
        {"FE01", 0xFE01, 0xFE01, 0xFE01},
        {"zz", 0, 0, 0},
        {"12z4", 0, 0, 0},
        {"", 0, 0, 0},
        {"0x10", 0, 0, 0},
        {"123456789", 0x23456789, 0x23446789, 0x6789},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.hex, BkReadHex(c.text));
        EXPECT_EQ(c.textMode, BkReadTextMode(c.text));
        EXPECT_EQ(c.fontCode, BkReadFontCode(c.text));
    }
}

TEST(BkFontCode, CodesToFontValues) {
    struct Case {
        const char* code;
        bool dpi;
        float rate;
        BkFontDesc expected;
    };
    const Case cases[] = {
        {"0000", false, 1.0f, {-12, 400, false, false}}, {"0204", false, 1.0f, {-14, 700, false, false}},
        {"0600", false, 1.0f, {-18, 400, false, false}}, {"FE01", false, 1.0f, {-10, 400, true, false}},
        {"0002", false, 1.0f, {-12, 400, false, true}},  {"0007", false, 1.0f, {-12, 700, true, true}},
        {"0204", true, 1.5f, {-21, 700, false, false}},  {"0204", false, 1.5f, {-14, 700, false, false}},
        {"0000", true, 1.7f, {-20, 400, false, false}},  {"zz", false, 1.0f, {-12, 400, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const BkFontDesc desc = BkFontDescFromCode(BkReadFontCode(c.code), -12, c.dpi, c.rate);
        EXPECT_EQ(c.expected.height, desc.height);
        EXPECT_EQ(c.expected.weight, desc.weight);
        EXPECT_EQ(c.expected.italic, desc.italic);
        EXPECT_EQ(c.expected.underline, desc.underline);
    }
}

TEST(BkStyle, DefaultsAndAttributes) {
    BkStyle s;
    EXPECT_EQ(kBkColorNone, s.crBg);
    EXPECT_EQ(0xCCCCCCu, s.crDisabled);
    EXPECT_EQ(0x28u, s.textMode);
    EXPECT_EQ(20, s.lineSpacing);
    EXPECT_EQ(254, s.alphaText);
    EXPECT_EQ(255, s.alphaBg);
    EXPECT_EQ(0x010101u, s.crShadow);
    EXPECT_EQ(kBkCursorArrow, s.cursor);

    struct Case {
        const char* attr;
        const char* value;
        int result;
    };
    const Case cases[] = {
        {"crtext", "495452", 0},
        {"textmode", "18025", 0},
        {"font", "0204", 0},
        {"hoverfont", "0004", 0},
        {"margin", "6", 0},
        {"y-margin", "3", 0},
        {"skin", "btn", 0},
        {"cursor", "hand", 0},
        {"cursor", "ibeam", kBkAttrNotHandled},
        {"gdiplus", "1", 0},
        {"textmodeex", "10021", 0},
        {"name", "left_12", 0},
        {"colour", "FFFFFF", kBkAttrNotHandled},
        {"crbghover", "GG0000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attr);
        EXPECT_EQ(c.result, s.ApplyAttribute(c.attr, c.value));
    }
    EXPECT_EQ(0x525449u, s.crText);
    EXPECT_EQ(0x8025u, s.textMode);
    EXPECT_EQ(0x204, s.font);
    EXPECT_EQ(0x4, s.hoverFont);
    EXPECT_EQ(6, s.xMargin);
    EXPECT_EQ(3, s.yMargin);
    EXPECT_EQ("btn", s.skin);
    EXPECT_EQ(kBkCursorHand, s.cursor);  // the bad value left the earlier "hand" in place
    EXPECT_EQ(1, s.gdiplus);
    EXPECT_EQ(0x21u, s.textModeEx);
    EXPECT_EQ("left_12", s.name);
    EXPECT_EQ(0u, s.crBgHover);
}

}  // namespace
