#include <gtest/gtest.h>

#include <climits>

#include "uikit/doc/BkAttrRead.h"
#include "uikit/doc/BkDpiMath.h"
#include "uikit/doc/BkLayoutParam.h"
#include "uikit/doc/BkPos.h"

namespace {

struct Item {
    int center, minus, value;
};

TEST(BkPos, GrammarToItems) {
    struct Case {
        const char* text;
        int count;
        Item items[4];
    };
    const Case cases[] = {
        {"0,0,-0,-0", 4, {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}}},
        {"20,30,320,64", 4, {{0, 0, 20}, {0, 0, 30}, {0, 0, 320}, {0, 0, 64}}},
        {"-36,17,-16,37", 4, {{0, 1, 36}, {0, 0, 17}, {0, 1, 16}, {0, 0, 37}}},
        {"|-40,|-40,|40,|40", 4, {{1, 1, 40}, {1, 1, 40}, {1, 0, 40}, {1, 0, 40}}},
        {"-32,8", 2, {{0, 1, 32}, {0, 0, 8}}},
        {"10,10,w100,h20", 4, {{0, 0, 10}, {0, 0, 10}, {0, 0, 110}, {0, 0, 30}}},
        {"-10,|5,-w100,|-h20", 4, {{0, 1, 10}, {1, 0, 5}, {0, 1, 110}, {1, 1, 25}}},
        {"w5,h6", 2, {{0, 0, 5}, {0, 0, 6}}},  // w and h on left and top have no effect
        {"1,2,3,4,5,6", 4, {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}}},
        {"a,b", 2, {{0, 0, 0}, {0, 0, 0}}},  // items that are not numbers count as 0
        {",", 2, {{0, 0, 0}, {0, 0, 0}}},
        {"7", 0, {}},  // one or three items: ignored
        {"1,2,3", 0, {}},
        {"12x,5", 2, {{0, 0, 12}, {0, 0, 5}}},
        {"-|5,0", 2, {{0, 1, 0}, {0, 0, 0}}},  // the bar must come first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BkPosition pos;
        uint32_t flags = kBkPosWidthFixed | kBkPosHeightFull | kBkPosFloating;
        ASSERT_TRUE(BkParsePos(c.text, pos, flags, nullptr));
        EXPECT_EQ(c.count, pos.count);
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(c.items[i].center, pos.items[i].center) << i;
            EXPECT_EQ(c.items[i].minus, pos.items[i].minus) << i;
            EXPECT_EQ(c.items[i].value, pos.items[i].value) << i;
        }
        const uint32_t expected = c.count ? (kBkPosWidthContent | kBkPosHeightContent | kBkPosFloating)
                                          : (kBkPosWidthFixed | kBkPosHeightFull | kBkPosFloating);
        EXPECT_EQ(expected, flags);
    }
}

TEST(BkPos, EmptyValueChangesNothing) {
    BkPosition pos;
    uint32_t flags = kBkPosWidthFixed;
    ASSERT_TRUE(BkParsePos("1,2", pos, flags, nullptr));
    EXPECT_FALSE(BkParsePos("", pos, flags, nullptr));
    EXPECT_FALSE(BkParsePos(nullptr, pos, flags, nullptr));
    EXPECT_EQ(2, pos.count);
    EXPECT_EQ(2, pos.items[1].value);
}

TEST(BkPos, ScalingAppliesAfterWidthAddition) {
    BkPosition pos;
    uint32_t flags = 0;
    const auto scale = [](int v) { return BkScaleByRate(v, 1.5f); };
    ASSERT_TRUE(BkParsePos("20,30,320,64", pos, flags, scale));
    const int expected[] = {30, 45, 480, 96};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(expected[i], pos.items[i].value);
    ASSERT_TRUE(BkParsePos("10,10,w100,h20", pos, flags, scale));
    EXPECT_EQ(165, pos.items[2].value);
    EXPECT_EQ(45, pos.items[3].value);
}

TEST(BkPos, ResolveAgainstExtent) {
    struct Case {
        Item item;
        int lo, hi, expected;
    };
    const Case cases[] = {
        {{0, 0, 20}, 10, 110, 30},
        {{0, 1, 20}, 10, 110, 90},
        {{0, 1, 0}, 10, 110, 110},
        {{1, 0, 0}, 0, 101, 50},
        {{1, 1, 40}, 0, 100, 10},
        {{1, 0, 40}, 0, 100, 90},
        {{1, 0, 0}, -5, 0, -3},
        {{0, 0, INT_MAX}, 10, 20, INT_MAX},  // saturates instead of overflowing
        {{0, 1, INT_MIN}, 0, 10, INT_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, BkResolvePosItem({c.item.center, c.item.minus, c.item.value}, c.lo, c.hi))
            << c.item.center << "," << c.item.minus << "," << c.item.value << " in " << c.lo << ".." << c.hi;
    }
}

// A child in a container at (100,50)-(301,250) with style margins 10 × 5: inner area (110,55)-(291,245).
struct Layout {
    const char* pos;
    const char* width;
    const char* height;
    BkSize content;  // what the content-size query of a plain element would measure from text
    BkRect expected;
};

BkRect Place(const Layout& l) {
    const BkRect container{100, 50, 301, 250};
    BkPosition pos;
    uint32_t flags = 0;
    BkParsePos(l.pos, pos, flags, nullptr);
    int fixedW = 0, fixedH = 0;
    if (pos.count == 0) {
        const BkSizeAttrs attrs = BkReadSizeAttrs(l.width, l.height, nullptr);
        flags |= attrs.flags;
        fixedW = attrs.fixedWidth;
        fixedH = attrs.fixedHeight;
    }
    const BkPlacement place = BkPlaceChild(container, 10, 5, pos);
    return BkSizeChild(place, flags, fixedW, fixedH, [&] {
        BkContentQuery q;
        q.pos = &pos;
        q.availWidth = place.width;
        q.availHeight = place.height;
        q.textBox = {place.width, place.height};
        return BkQueryContentSize(q, [&](BkSize) { return l.content; });
    });
}

TEST(BkPos, PlacingAndSizingChildren) {
    const Layout cases[] = {
        {"0,0,-0,-0", nullptr, nullptr, {}, {110, 55, 291, 245}},
        {"20,30,120,64", nullptr, nullptr, {}, {130, 85, 230, 119}},
        {"-36,17,-16,37", nullptr, nullptr, {}, {255, 72, 275, 92}},
        {"|-40,|-40,|40,|40", nullptr, nullptr, {}, {160, 110, 240, 190}},
        {"-0,-0,-0,-0", nullptr, nullptr, {}, {291, 245, 291, 245}},
        {"|0,|0,|0,|0", nullptr, nullptr, {}, {200, 150, 200, 150}},  // inner width 181: 110 + 90
        {"-32,8", "50", "full", {12, 7}, {259, 63, 271, 70}},         // two items: width/height ignored
        {"1,2,3", nullptr, nullptr, {12, 7}, {110, 55, 122, 62}},     // ignored position: inner corner
        {"", "full", "30", {12, 7}, {110, 55, 291, 85}},
        {"", "40", "abc", {12, 7}, {110, 55, 150, 62}},
        {"", "-4", "0", {12, 7}, {110, 55, 122, 62}},
        {"", "Full", "FULL", {12, 7}, {110, 55, 122, 62}},  // "full" is case-sensitive here
    };
    for (const Layout& c : cases) {
        SCOPED_TRACE(std::string(c.pos) + " w=" + (c.width ? c.width : "-") + " h=" + (c.height ? c.height : "-"));
        EXPECT_EQ(c.expected, Place(c)) << Place(c).left << "," << Place(c).top << "," << Place(c).right << ","
                                        << Place(c).bottom;
    }
}

TEST(BkPos, FullWidthRunsPastTheInnerEdgeFromAnAnchor) {
    // An anchor 10 into the inner area plus the full inner width ends 10 past the inner right edge.
    BkPlacement place = BkPlaceChild({0, 0, 200, 100}, 0, 0, BkPosition{});
    place.x += 10;
    const BkRect rc = BkSizeChild(place, kBkPosWidthFull | kBkPosHeightFixed, 0, 20, [] { return BkSize{5, 5}; });
    EXPECT_EQ((BkRect{10, 0, 210, 20}), rc);
    // A negative extent never puts the right edge left of the left one.
    place.width = -50;
    EXPECT_EQ(10, BkSizeChild(place, kBkPosWidthFull, 0, 0, [] { return BkSize{}; }).right);
}

TEST(BkPos, ExactPlacementIgnoresContent) {
    BkPlacement place{5, 6, 70, 20, kBkPlaceExact};
    bool asked = false;
    const BkRect rc = BkSizeChild(place, kBkPosWidthFixed, 999, 999, [&] {
        asked = true;
        return BkSize{1, 1};
    });
    EXPECT_FALSE(asked);
    EXPECT_EQ((BkRect{5, 6, 75, 26}), rc);
}

TEST(BkLayoutParam, AttributesAndScaling) {
    const auto scale = [](int v) { return BkScaleByRate(v, 1.5f); };
    struct Case {
        const char* name;
        const char* value;
        int result;
        int BkLayoutParam::*field;
        int stored;
    };
    const Case cases[] = {
        {"layout_width", "-2", 0, &BkLayoutParam::width, kBkLayoutFill},
        {"layout_width", "-1", 0, &BkLayoutParam::width, kBkLayoutFromContent},
        {"layout_width", "-5", 0, &BkLayoutParam::width, 0},
        {"layout_width", " 20", 0, &BkLayoutParam::width, 30},  // atoi: leading space allowed
        {"layout_height", "10", 0, &BkLayoutParam::height, 15},
        {"layout_margin_left", "4", 0, &BkLayoutParam::marginLeft, 6},
        {"layout_margin_bottom", " 4", 0, &BkLayoutParam::marginBottom, 0},  // StrToIntA: no leading space
        {"layout_min_width", "10", 0, &BkLayoutParam::minWidth, 15},
        {"layout_max_height", "100", 0, &BkLayoutParam::maxHeight, 150},
        {"layout_place_holder", "8", 0, &BkLayoutParam::placeHolder, 12},
        {"layout_float", "3", 0, &BkLayoutParam::layoutFloat, 3},  // never scaled
        {"layout_", "3", kBkAttrNotHandled, nullptr, 0},
        {"layout_depth", "3", kBkAttrNotHandled, nullptr, 0},
        {"width", "3", kBkAttrNotHandled, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        BkLayoutParam lp;
        bool changed = true;
        EXPECT_EQ(c.result, lp.ApplyAttribute(c.name, c.value, scale, &changed));
        if (c.field) {
            EXPECT_EQ(c.stored, lp.*c.field);
        }
    }
    BkLayoutParam lp;
    bool changed = false;
    lp.ApplyAttribute("layout_width", "-1", nullptr, &changed);
    EXPECT_FALSE(changed);  // same value as the default: no re-placement needed
    lp.ApplyAttribute("layout_width", "7", nullptr, &changed);
    EXPECT_TRUE(changed);
}

TEST(BkPos, ContentSizeRules) {
    struct Case {
        const char* name;
        const char* pos;
        BkLayoutParam lp;
        int margin;
        BkSize text;  // what measuring the text answers
        BkSize expected;
    };
    const auto lp = [](int w, int h, int minW = 0, int minH = 0, int maxW = INT_MAX, int maxH = INT_MAX) {
        BkLayoutParam p;
        p.width = w, p.height = h, p.minWidth = minW, p.minHeight = minH, p.maxWidth = maxW, p.maxHeight = maxH;
        return p;
    };
    const Case cases[] = {
        {"four items decide alone", "10,10,-10,|5", lp(50, 50), 3, {1, 1}, {180, 35}},
        {"both layout sizes given", "", lp(-2, 30), 3, {1, 1}, {200, 30}},
        {"text plus margins", "", lp(-1, -1), 3, {40, 12}, {46, 18}},
        {"width from layout, height from text", "", lp(25, -1), 2, {40, 12}, {25, 16}},
        {"fill width, text height", "", lp(-2, -1), 0, {40, 12}, {200, 12}},
        {"minimum raises", "", lp(-1, -1, 60, 20), 0, {40, 12}, {60, 20}},
        {"maximum lowers last", "", lp(-1, -1, 60, 0, 50), 0, {40, 12}, {50, 12}},
        {"two items do not decide", "-32,8", lp(-1, -1), 0, {9, 9}, {9, 9}},
        {"empty text", "", lp(-1, -1), 4, {0, 0}, {8, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BkPosition pos;
        uint32_t flags = 0;
        BkParsePos(c.pos, pos, flags, nullptr);
        BkContentQuery q;
        q.pos = &pos;
        q.layout = &c.lp;
        q.availWidth = 200;
        q.availHeight = 80;
        q.xMargin = q.yMargin = c.margin;
        q.textBox = {200, 80};
        EXPECT_EQ(c.expected, BkQueryContentSize(q, [&](BkSize) { return c.text; }));
    }
}

TEST(BkPos, TextBoxFollowsLayoutAndBounds) {
    BkLayoutParam p;
    p.width = kBkLayoutFill;
    p.maxWidth = 150;
    p.minHeight = 90;
    BkContentQuery q;
    q.layout = &p;
    q.availWidth = 200;
    q.availHeight = 80;
    q.xMargin = 5;
    q.yMargin = 5;
    q.textBox = {300, 60};
    BkSize box{};
    BkQueryContentSize(q, [&](BkSize b) { return box = b, BkSize{}; });
    EXPECT_EQ((BkSize{150, 90}), box);  // -2 gives W, then clamped; height: 60 - 10, raised to the minimum
}

TEST(BkPos, SizeAttributesFloat) {
    EXPECT_EQ(kBkPosFloating, BkReadSizeAttrs(nullptr, nullptr, "1").flags & 0x300);
    EXPECT_EQ(kBkPosNotFloating, BkReadSizeAttrs(nullptr, nullptr, "0").flags & 0x300);
    EXPECT_EQ(kBkPosNotFloating, BkReadSizeAttrs(nullptr, nullptr, nullptr).flags & 0x300);
}

}  // namespace
