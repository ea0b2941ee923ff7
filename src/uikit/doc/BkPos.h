// The position grammar of layout documents and the rules that turn position items into rectangles. Pure
// functions over plain values: no window, no device context. All rectangles here are in the host window's client
// coordinates, the coordinates elements keep their rectangles in.
#pragma once

#include <cstdint>
#include <functional>

#include "uikit/doc/BkLayoutParam.h"

struct BkRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const BkRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct BkSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const BkSize& o) const { return cx == o.cx && cy == o.cy; }
};

// One coordinate of a `pos` value.
struct BkPosItem {
    int center = 0;  // written with a leading '|': measured from the middle of the extent
    int minus = 0;   // written with '-': measured back from the far edge (from the middle with `center`)
    int value = 0;
    bool operator==(const BkPosItem& o) const { return center == o.center && minus == o.minus && value == o.value; }
};

// Position flags of an element.
enum BkPosFlag : uint32_t {
    kBkPosWidthFixed = 0x1,
    kBkPosWidthContent = 0x2,
    kBkPosWidthFull = 0x4,
    kBkPosHeightFixed = 0x10,
    kBkPosHeightContent = 0x20,
    kBkPosHeightFull = 0x40,
    kBkPosNotFloating = 0x100,
    kBkPosFloating = 0x200,
};

// Placement flag: the extent is the exact rectangle (linear layouts place their children so).
constexpr uint32_t kBkPlaceExact = 0x200;

// Items 0 and 1 are left and top, items 2 and 3 right and bottom. `count` is 0, 2 or 4.
struct BkPosition {
    int count = 0;
    BkPosItem items[4];
};

// Scales a document value when the element is DPI-aware and scaling is on; null means no scaling.
using BkScaleFn = std::function<int(int)>;

// Parses a `pos` value into `pos` and updates the position flags. An empty value changes nothing and answers
// false; otherwise true. One or three items leave a count of 0 (the position is ignored).
bool BkParsePos(const char* value, BkPosition& pos, uint32_t& posFlags, const BkScaleFn& scale);

// One item against the extent lo..hi.
int BkResolvePosItem(const BkPosItem& item, int lo, int hi);

// What a container tells a child it places.
struct BkPlacement {
    int x = 0;
    int y = 0;
    int width = 0;  // available extent
    int height = 0;
    uint32_t flags = 0;
};

// A child's anchor inside its container: the container rectangle shrunk by the style margins, item 0 and 1
// resolved against it (its top-left corner when the child has no position).
BkPlacement BkPlaceChild(const BkRect& container, int xMargin, int yMargin, const BkPosition& child);

// The child's rectangle for a placement; `measured` is the answer of its content-size query for the available
// extent (not asked with the exact-rectangle flag). `fixedWidth`/`fixedHeight` come from `width`/`height`.
BkRect BkSizeChild(const BkPlacement& place, uint32_t posFlags, int fixedWidth, int fixedHeight,
                   const std::function<BkSize()>& measured);

// The content-size query of a plain element for the available extent W × H. `measureText` measures the text in a
// box (already shrunk by the margins, adjusted by the layout parameters and clamped) and answers 0 × 0 for empty
// text; it is called only when neither the position nor the layout parameters settle the size.
struct BkContentQuery {
    const BkPosition* pos = nullptr;
    const BkLayoutParam* layout = nullptr;
    int availWidth = 0;
    int availHeight = 0;
    int xMargin = 0;
    int yMargin = 0;
    BkSize textBox;  // the element's rectangle size (for a placement: W × H) before the margins
};
BkSize BkQueryContentSize(const BkContentQuery& q, const std::function<BkSize(BkSize box)>& measureText);

// `width`/`height`/`float` of an element without a usable position. `widthText` and friends are null when absent.
// Answers the flags to add and the fixed sizes.
struct BkSizeAttrs {
    uint32_t flags = 0;
    int fixedWidth = 0;
    int fixedHeight = 0;
};
BkSizeAttrs BkReadSizeAttrs(const char* widthText, const char* heightText, const char* floatText);
