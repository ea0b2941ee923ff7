#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

#include "uikit/doc/BkDpiMath.h"
#include "uikit/doc/BkLayer.h"
#include "uikit/doc/BkSkinGeometry.h"
#include "uikit/doc/BkStrExpand.h"

namespace {

TEST(BkDpiMath, RateForDpi) {
    const std::vector<double> defaults = BkParseSupportRates(kBkDefaultSupportRates);
    ASSERT_EQ(9u, defaults.size());
    struct Case {
        int dpi;
        const wchar_t* rates;
        float rate;
    };
    const Case cases[] = {
        {96, nullptr, 1.0f},     {120, nullptr, 1.2f}, {130, nullptr, 1.2f},    {144, nullptr, 1.5f},
        {168, nullptr, 1.7f},    {192, nullptr, 2.0f}, {240, nullptr, 2.5f},    {288, nullptr, 3.0f},
        {600, nullptr, 3.0f},    {72, nullptr, 1.0f},  {120, L"1.0|1.5", 1.0f}, {144, L"||1.5||", 1.5f},
        {200, L"abc|1.5", 1.5f}, {200, L"0.5", 1.0f},  {200, L"", 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const std::vector<double> rates = c.rates ? BkParseSupportRates(c.rates) : defaults;
        EXPECT_EQ(c.rate, BkPickRate(c.dpi, rates));
    }
}

TEST(BkDpiMath, ScalingTruncatesAndSaturates) {
    struct Case {
        int value;
        float rate;
        int scaled;
    };
    const Case cases[] = {
        {20, 1.2f, 24},           {20, 1.7f, 34}, {10, 2.2f, 22},  {10, 2.7f, 27}, {-12, 1.5f, -18},
        {-14, 1.7f, -23},         {7, 1.5f, 10},  {-7, 1.5f, -10}, {0, 3.0f, 0},   {INT_MAX, 3.0f, INT_MAX},
        {INT_MIN, 2.0f, INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(c.scaled, BkScaleByRate(c.value, c.rate)) << c.value << " x " << c.rate;
    EXPECT_EQ(20, BkUnscaleByRate(30, 1.5f));
    EXPECT_EQ(-6, BkUnscaleByRate(-10, 1.5f));
    EXPECT_EQ(5, BkUnscaleByRate(5, 0.0f));
}

TEST(BkDpiMath, ImagePathAndVariantChoice) {
    EXPECT_EQ(L"C:\\p\\dpiimg\\1.5\\velmora\\22_1.5.png", BkDpiImagePath(L"C:\\p\\dpiimg", 1.5f, L"velmora", 22));
    EXPECT_EQ(L"d\\1.7\\x\\3_1.7.png", BkDpiImagePath(L"d", 1.7f, L"x", 3));

    const std::vector<double> rates = BkParseSupportRates(kBkDefaultSupportRates);
    struct Case {
        float current;
        std::set<double> present;
        double chosen;
    };
    const Case cases[] = {
        {1.0f, {1.0, 1.5}, 0}, {1.5f, {1.5, 2.0}, 1.5}, {1.5f, {2.0}, 2.0},
        {1.2f, {2.0}, 0},      {1.7f, {1.2, 2.0}, 2.0}, {2.0f, {1.7, 2.2}, 2.2},
        {1.5f, {}, 0},         {3.0f, {1.0}, 0},        {2.0f, {1.5}, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        const double chosen = BkChooseDpiImageRate(c.current, rates, [&](double r) {
            for (double p : c.present) {
                if (static_cast<float>(p) == static_cast<float>(r)) return true;
            }
            return false;
        });
        EXPECT_EQ(static_cast<float>(c.chosen), static_cast<float>(chosen));
    }
}

TEST(BkStrExpand, References) {
    const std::map<int, std::wstring> table = {
        {1, L"宋体"}, {2, L"微软雅黑"}, {3, L"x%str3%"}, {4, L"long text here"}, {5, L"abcdefgh%str5%"}};
    const auto lookup = [&](int id) {
        auto it = table.find(id);
        return it == table.end() ? std::wstring() : it->second;
    };
    struct Case {
        const wchar_t* text;
        const wchar_t* expanded;
    };
    const Case cases[] = {
        {L"%str1%", L"宋体"},
        {L"face %str2%!", L"face 微软雅黑!"},
        {L"%str1%%str2%", L"宋体%str2%"},  // resumes at old index 6, past the second reference
        {L"%str0%", L"%str0%"},
        {L"%strx%", L"%strx%"},
        {L"%str1", L"%str1"},
        {L"%str9%", L""},
        {L"%str1% and %str0% and %str2%", L"宋体 and %str0% and %str2%"},
        {L"%str4%%str1%", L"long text here宋体"},  // resumes after the inserted text, not inside it
        {L"%str3%%str3%", L"x%str3%x%str3%"},      // an entry holding a reference is not expanded again
        {L"%str5%", L"abcdefgh%str5%"},            // would otherwise grow without end
        {L"a%str1%bcdefgh%str2%", L"a宋体bcdefgh微软雅黑"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        BkExpandStr(text, lookup);
        EXPECT_EQ(std::wstring(c.expanded), text);
    }
}

TEST(BkLayer, RootAttributesToWindowStyles) {
    struct Case {
        std::map<std::string, std::string> attrs;
        uint32_t style;
        uint32_t exStyle;
        bool resizable;
    };
    const Case cases[] = {
        {{}, 0x800A0000, 0x10300, false},
        {{{"resize", "1"}}, 0x800F0000, 0x10300, true},
        {{{"noborder", "1"}, {"appwin", "1"}}, 0x800A0000, 0x50088, false},
        {{{"layered", "1"}}, 0x800A0000, 0x90300, false},
        {{{"child", "1"}, {"layered", "1"}, {"resize", "1"}, {"noborder", "1"}}, 0x46010000, 0x10000, false},
        {{{"resize", "yes"}}, 0x800A0000, 0x10300, false},
        {{{"resize", "2"}}, 0x800F0000, 0x10300, true},
    };
    for (const Case& c : cases) {
        const BkLayerInfo info = BkReadLayerAttributes(
            [&](const char* name) -> const char* {
                auto it = c.attrs.find(name);
                return it == c.attrs.end() ? nullptr : it->second.c_str();
            },
            nullptr, nullptr);
        EXPECT_EQ(c.style, info.style) << std::hex << info.style;
        EXPECT_EQ(c.exStyle, info.exStyle) << std::hex << info.exStyle;
        EXPECT_EQ(c.resizable, info.resizable);
    }
}

TEST(BkLayer, SizesScaleOnlyForDpiAwareDocuments) {
    std::map<std::string, std::string> attrs = {{"height", "400"}, {"min_width", "300"}, {"width", "600"},
                                                {"title", "t"},    {"holdsize", "1"},    {"nomove", "1"}};
    const auto get = [&](const char* name) -> const char* {
        auto it = attrs.find(name);
        return it == attrs.end() ? nullptr : it->second.c_str();
    };
    const auto scale = [](int v) { return BkScaleByRate(v, 1.5f); };
    BkLayerInfo plain = BkReadLayerAttributes(get, nullptr, scale);
    EXPECT_EQ(600, plain.width);
    EXPECT_EQ(L"t", plain.title);
    EXPECT_TRUE(plain.holdSize);
    EXPECT_TRUE(plain.noMove);
    attrs["dpiaware"] = "1";
    const BkLayerInfo aware = BkReadLayerAttributes(get, nullptr, scale);
    EXPECT_EQ(900, aware.width);
    EXPECT_EQ(600, aware.height);
    EXPECT_EQ(300, aware.minWidth);                                      // never scaled
    EXPECT_EQ(600, BkReadLayerAttributes(get, nullptr, nullptr).width);  // scaling off
}

TEST(BkLayer, SectionPositionsAndArrangement) {
    EXPECT_EQ("0,0,-0,80", BkHeaderPos("80"));
    EXPECT_EQ("0,0,-0,0", BkHeaderPos("full"));
    EXPECT_EQ("0,-30,-0,-0", BkFooterPos("30"));
    EXPECT_TRUE(BkIsFullHeight("FuLL"));
    EXPECT_FALSE(BkIsFullHeight("full "));
    EXPECT_FALSE(BkIsFullHeight(nullptr));

    const auto parse = [](const std::string& text) {
        BkPosition p;
        uint32_t f = 0;
        BkParsePos(text.c_str(), p, f, nullptr);
        return p;
    };
    const BkPosition header = parse(BkHeaderPos("80")), footer = parse(BkFooterPos("30")), body = parse(kBkBodyPos);
    const BkRect client{0, 0, 500, 400};
    BkSectionRects r = BkArrangeSections(client, &header, &body, &footer);
    EXPECT_EQ((BkRect{0, 0, 500, 80}), r.header);
    EXPECT_EQ((BkRect{0, 80, 500, 370}), r.body);
    EXPECT_EQ((BkRect{0, 370, 500, 400}), r.footer);

    r = BkArrangeSections(client, nullptr, &body, nullptr);
    EXPECT_EQ((BkRect{0, 0, 500, 400}), r.body);

    const BkPosition fullHeader = parse(kBkBodyPos);
    r = BkArrangeSections(client, &fullHeader, nullptr, nullptr);
    EXPECT_EQ((BkRect{0, 0, 500, 400}), r.header);

    r = BkArrangeSections({0, 0, 0, 400}, &header, &body, &footer);  // no width: nothing is arranged
    EXPECT_EQ(BkRect{}, r.body);
}

TEST(BkLayer, ParseErrorLine) {
    EXPECT_EQ("Error reading end tag., errorid=14, errorrow=3, errorcolom=8\n",
              BkXmlErrorMessage("Error reading end tag.", 14, 2, 7));
}

TEST(BkSkinGeometry, FramesOfAStrip) {
    struct Case {
        int width, sub, state, frames, index;
    };
    const Case cases[] = {
        {80, 20, 5, 4, 1}, {80, 20, -1, 4, 0}, {80, 20, 3, 4, 3}, {80, 0, 2, 1, 0},
        {10, 20, 1, 1, 0}, {80, 20, -3, 4, 1}, {81, 20, 4, 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.frames, BkFrameCount(c.width, c.sub));
        EXPECT_EQ(c.index, BkFrameIndex(c.state, BkFrameCount(c.width, c.sub)));
    }
}

TEST(BkSkinGeometry, NinePartsAndTiling) {
    const BkRect image{0, 0, 40, 20};
    const BkRect frame{20, 0, 40, 20};  // second frame of two
    // No margins: the middle column alone, stretched over everything.
    std::vector<BkBlit> parts = BkNinePartBlits(image, frame, {0, 0, 100, 50}, 0, 0, 0, 0, false);
    ASSERT_EQ(1u, parts.size());
    EXPECT_EQ((BkBlit{{20, 0, 40, 20}, {0, 0, 100, 50}}), parts[0]);

    // All margins: nine pieces, corners at natural size.
    parts = BkNinePartBlits(image, frame, {10, 10, 110, 60}, 4, 5, 3, 2, false);
    ASSERT_EQ(9u, parts.size());
    EXPECT_EQ((BkBlit{{20, 0, 24, 3}, {10, 10, 14, 13}}), parts[0]);    // top-left
    EXPECT_EQ((BkBlit{{20, 18, 24, 20}, {10, 58, 14, 60}}), parts[1]);  // bottom-left
    EXPECT_EQ((BkBlit{{35, 0, 40, 3}, {105, 10, 110, 13}}), parts[3]);  // top-right
    EXPECT_EQ((BkBlit{{24, 3, 35, 18}, {14, 13, 105, 58}}), parts[8]);  // centre

    // Tiling the 11-pixel middle over 25 pixels: 11 + 11 + 3.
    parts = BkNinePartBlits(image, frame, {0, 0, 34, 20}, 4, 5, 0, 0, true);
    ASSERT_EQ(5u, parts.size());
    EXPECT_EQ((BkBlit{{24, 0, 35, 20}, {4, 0, 15, 20}}), parts[2]);
    EXPECT_EQ((BkBlit{{24, 0, 35, 20}, {15, 0, 26, 20}}), parts[3]);
    EXPECT_EQ((BkBlit{{24, 0, 27, 20}, {26, 0, 29, 20}}), parts[4]);

    // Source rectangles are clipped to the image.
    parts = BkNinePartBlits(image, {30, 0, 50, 30}, {0, 0, 10, 10}, 0, 0, 0, 0, false);
    ASSERT_EQ(1u, parts.size());
    EXPECT_EQ((BkRect{30, 0, 40, 20}), parts[0].src);
}

TEST(BkSkinGeometry, FramedImageParts) {
    EXPECT_EQ(unsigned(kBkEdgeLeft | kBkEdgeRight), BkFramePartEdges("middle"));
    EXPECT_EQ(15u, BkFramePartEdges("all"));
    EXPECT_EQ(15u, BkFramePartEdges("diagonal"));
    EXPECT_EQ(unsigned(kBkEdgeTop | kBkEdgeBottom), BkFramePartEdges("center"));

    BkRect centre;
    // 9 × 9 image cut at (4, 4): 4-pixel borders, a one-pixel stretch line.
    std::vector<BkBlit> all = BkFrameBlits(9, 9, 4, 4, 15, {0, 0, 30, 20}, &centre);
    EXPECT_EQ(8u, all.size());
    EXPECT_EQ((BkRect{4, 4, 26, 16}), centre);
    EXPECT_EQ((BkBlit{{4, 0, 5, 4}, {4, 0, 26, 4}}), all[4]);  // top edge
    std::vector<BkBlit> middle = BkFrameBlits(9, 9, 4, 4, BkFramePartEdges("middle"), {0, 0, 30, 20}, &centre);
    EXPECT_EQ(2u, middle.size());
    EXPECT_EQ((BkBlit{{0, 4, 4, 5}, {0, 0, 4, 20}}), middle[0]);  // left edge runs the full height
    EXPECT_EQ((BkRect{4, 0, 26, 20}), centre);
}

}  // namespace
