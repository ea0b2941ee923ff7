#include <gtest/gtest.h>

#include "uikit/doc/BkStyle.h"
#include "uikit/element/BkElementRules.h"

namespace {

constexpr uint32_t kNone = kBkColorNone;

TEST(BkElementRules, StateIndexPrefersDisabledThenPressedThenHover) {
    struct Case {
        uint32_t state;
        bool ancestorDisabled;
        int index;
    };
    const Case cases[] = {
        {0x0, false, 0},  {0x1, false, 1},  {0x2, false, 2}, {0x3, false, 2},
        {0x13, false, 3}, {0x10, false, 3}, {0x3, true, 3},  {0x8, false, 0},  // hidden does not count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(c.index, BkStateIndex(BkDrawStateOf(c.state, c.ancestorDisabled)));
    }
}

TEST(BkElementRules, BackgroundColourByState) {
    BkStyle all;
    all.crBg = 0x1;
    all.crBgHover = 0x2;
    all.crBgPush = 0x3;
    all.crBgDisable = 0x4;
    BkStyle plain;  // no state colours
    plain.crBg = 0x9;
    BkStyle hoverOnly;
    hoverOnly.crBgHover = 0x2;
    struct Case {
        const char* what;
        const BkStyle* style;
        uint32_t state;
        uint32_t elementBg;
        uint32_t expected;
    };
    const Case cases[] = {
        {"normal: element crbg over style crbg", &all, 0x0, 0x7, 0x7},
        {"normal: style crbg", &all, 0x0, kNone, 0x1},
        {"hover", &all, 0x1, 0x7, 0x2},
        {"pressed beats hover", &all, 0x3, 0x7, 0x3},
        {"disabled beats everything", &all, 0x13, 0x7, 0x4},
        {"pressed without crbgpush falls to hover", &hoverOnly, 0x3, 0x7, 0x2},
        {"hover without crbghover falls to element", &plain, 0x1, 0x7, 0x7},
        {"disabled without crbgdisable falls to style", &plain, 0x10, kNone, 0x9},
        {"nothing at all", &hoverOnly, 0x0, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, BkChooseBackground(BkDrawStateOf(c.state, false), c.elementBg, *c.style));
    }
}

TEST(BkElementRules, TextLookByState) {
    BkStyle s;
    s.crText = 0x10;
    s.font = 0x0100;
    s.crHover = 0x20;
    s.hoverFont = 0x0200;
    s.crPush = 0x30;
    s.pushFont = 0x0300;
    s.crDisabled = 0x40;
    BkStyle pushColourOnly;
    pushColourOnly.crText = 0x10;
    pushColourOnly.crPush = 0x30;
    pushColourOnly.crHover = 0x20;
    pushColourOnly.hoverFont = 0x0200;
    struct Case {
        const char* what;
        const BkStyle* style;
        uint32_t state;
        bool hasFont;
        uint16_t font;
        uint32_t crText;
        uint16_t expectFont;
        uint32_t expectColor;
    };
    const Case cases[] = {
        {"style font and colour", &s, 0x0, false, 0, kNone, 0x0100, 0x10},
        {"element font and colour win", &s, 0x0, true, 0x0005, 0x11, 0x0005, 0x11},
        {"element font code 0 still wins", &s, 0x0, true, 0x0000, kNone, 0x0000, 0x10},
        {"hover", &s, 0x1, true, 0x0005, 0x11, 0x0200, 0x20},
        {"pressed", &s, 0x2, false, 0, kNone, 0x0300, 0x30},
        {"pressed and hovered: pressed look", &s, 0x3, false, 0, kNone, 0x0300, 0x30},
        {"disabled colour keeps the normal font", &s, 0x13, false, 0, 0x11, 0x0100, 0x40},
        {"pressed colour without pressed font: hover font, pressed colour", &pushColourOnly, 0x3, false, 0, kNone,
         0x0200, 0x30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const BkTextLook look = BkChooseTextLook(BkDrawStateOf(c.state, false), c.hasFont, c.font, c.crText, *c.style);
        EXPECT_EQ(c.expectFont, look.fontCode);
        EXPECT_EQ(c.expectColor, look.color);
    }
}

TEST(BkElementRules, YaHeiBaseline) {
    const BkRect rc{10, 100, 110, 120};  // 20 high
    struct Case {
        const char* what;
        uint32_t mode;
        int fontHeight;
        bool autoFix;
        BkRect expected;
    };
    // Default height -12. d = -12 - fontHeight.
    const Case cases[] = {
        // d = 0: up by 2; 20 >= 16 high already; bottom - 12 - 0 - 3 = 103 is not above 100.
        {"bottom, default size", kBkDtBottom, -12, true, {10, 98, 110, 118}},
        // d = 6: up by 14 to 86..106; at least 3*6+12+4 = 34 high -> bottom 120; 120-12-6-3 = 99 < 100 -> 121.
        {"bottom, larger font, autofix", kBkDtBottom, -18, true, {10, 86, 110, 121}},
        {"bottom, larger font, no autofix", kBkDtBottom, -18, false, {10, 86, 110, 106}},
        // Neither bottom nor vcentre: up by 3d + 3.
        {"top, larger font", 0x20, -18, true, {10, 79, 110, 99}},
        {"top, smaller font moves down", 0x20, -10, true, {10, 103, 110, 123}},
        {"vcentre stays", kBkDtVCenter, -18, true, rc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, BkYaHeiTextRect(rc, c.mode, -12, c.fontHeight, c.autoFix));
    }
}

TEST(BkElementRules, GdipFormatFromTextModes) {
    struct Case {
        uint32_t mode;
        uint32_t ex;
        BkGdipFormat expected;
    };
    const Case cases[] = {
        {0x0, 0x0, {0, 0, 0, 0}},
        {kBkDtCenter | kBkDtVCenter, 0x0, {1, 1, 0, 0}},
        {0x0, 0x20, {0, 0, 0x2000, 0}},
        {0x0, 0x2, {2, 0, 0, 0}},
        {0x0, 0x3, {1, 0, 0, 0}},  // centre bit read after the far bit
        {0x0, 0x4, {0, 1, 0, 0}},
        {0x0, 0xC, {0, 2, 0, 0}},  // line far read after line centre
        {kBkDtEndEllipsis, 0x0, {0, 0, 0, 3}},
        {kBkDtWordEllipsis, 0x0, {0, 0, 0, 4}},
        {kBkDtPathEllipsis, 0x0, {0, 0, 0, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.mode << " ex " << c.ex);
        const BkGdipFormat f = BkGdipFormatFor(c.mode, c.ex);
        EXPECT_EQ(c.expected.alignment, f.alignment);
        EXPECT_EQ(c.expected.lineAlignment, f.lineAlignment);
        EXPECT_EQ(c.expected.flags, f.flags);
        EXPECT_EQ(c.expected.trimming, f.trimming);
    }
}

TEST(BkElementRules, GdipTextAlpha) {
    struct Case {
        int element, style, expected;
    };
    const Case cases[] = {
        {-1, 254, 254}, {-1, 255, 254}, {255, 100, 254}, {128, 254, 128}, {0, 254, 0}, {300, 254, 254}, {-1, -7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.element << " " << c.style);
        EXPECT_EQ(c.expected, BkGdipTextAlpha(c.element, c.style));
    }
}

}  // namespace
