#include "uikit/doc/BkPos.h"

#include <climits>
#include <cstring>

#include "uikit/doc/BkAttrRead.h"

namespace {

int Saturate(int64_t v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

int WrapAdd(int a, int b) { return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }

}  // namespace

bool BkParsePos(const char* value, BkPosition& pos, uint32_t& posFlags, const BkScaleFn& scale) {
    if (!value || !*value) return false;

    BkPosition parsed;
    bool hasW[4] = {};
    bool hasH[4] = {};
    const char* p = value;
    int count = 0;
    while (count < 4) {
        BkPosItem& item = parsed.items[count];
        if (*p == '|') item.center = 1, ++p;
        if (*p == '-') item.minus = 1, ++p;
        if (*p == 'w') hasW[count] = true, ++p;
        if (*p == 'h') hasH[count] = true, ++p;
        item.value = BkReadInt(p);
        ++count;
        const char* comma = std::strchr(p, ',');
        if (!comma) break;
        p = comma + 1;
    }
    // Right = left + width and bottom = top + height, with the numbers as written.
    if (count > 2 && hasW[2]) parsed.items[2].value = WrapAdd(parsed.items[2].value, parsed.items[0].value);
    if (count > 3 && hasH[3]) parsed.items[3].value = WrapAdd(parsed.items[3].value, parsed.items[1].value);

    if (count == 2 || count == 4) {
        posFlags = (posFlags & ~0x55u) | 0x22u;
        parsed.count = count;
        if (scale) {
            for (int i = 0; i < count; ++i) parsed.items[i].value = scale(parsed.items[i].value);
        }
    } else {
        parsed.count = 0;
    }
    pos = parsed;
    return true;
}

int BkResolvePosItem(const BkPosItem& item, int lo, int hi) {
    const int64_t l = lo;
    const int64_t h = hi;
    const int64_t v = item.value;
    if (item.center) {
        const int64_t mid = l + (h - l) / 2;
        return Saturate(item.minus ? mid - v : mid + v);
    }
    if (item.minus) return Saturate(h - v);
    return Saturate(l + v);
}

BkPlacement BkPlaceChild(const BkRect& container, int xMargin, int yMargin, const BkPosition& child) {
    const int left = Saturate(static_cast<int64_t>(container.left) + xMargin);
    const int right = Saturate(static_cast<int64_t>(container.right) - xMargin);
    const int top = Saturate(static_cast<int64_t>(container.top) + yMargin);
    const int bottom = Saturate(static_cast<int64_t>(container.bottom) - yMargin);
    BkPlacement place;
    place.x = left;
    place.y = top;
    if (child.count > 0) {
        place.x = BkResolvePosItem(child.items[0], left, right);
        place.y = BkResolvePosItem(child.items[1], top, bottom);
    }
    place.width = Saturate(static_cast<int64_t>(right) - left);
    place.height = Saturate(static_cast<int64_t>(bottom) - top);
    return place;
}

BkRect BkSizeChild(const BkPlacement& place, uint32_t posFlags, int fixedWidth, int fixedHeight,
                   const std::function<BkSize()>& measured) {
    const auto far = [](int origin, int extent) { return Saturate(static_cast<int64_t>(origin) + extent); };
    BkRect rc;
    rc.left = place.x;
    rc.top = place.y;
    if (place.flags & kBkPlaceExact) {
        rc.right = far(place.x, place.width);
        rc.bottom = far(place.y, place.height);
        return rc;
    }
    const BkSize size = measured ? measured() : BkSize{};
    rc.right = far(place.x, size.cx);
    rc.bottom = far(place.y, size.cy);
    if (posFlags & kBkPosWidthFull) {
        rc.right = far(place.x, place.width);
        if (rc.right < rc.left) rc.right = rc.left;
    } else if (posFlags & kBkPosWidthFixed) {
        rc.right = far(rc.left, fixedWidth);
    }
    if (posFlags & kBkPosHeightFull) {
        rc.bottom = far(place.y, place.height);
        if (rc.bottom < rc.top) rc.bottom = rc.top;
    } else if (posFlags & kBkPosHeightFixed) {
        rc.bottom = far(rc.top, fixedHeight);
    }
    return rc;
}

BkSize BkQueryContentSize(const BkContentQuery& q, const std::function<BkSize(BkSize box)>& measureText) {
    static const BkPosition kNoPos;
    static const BkLayoutParam kDefaults;
    const BkPosition& pos = q.pos ? *q.pos : kNoPos;
    const BkLayoutParam& lp = q.layout ? *q.layout : kDefaults;
    const int W = q.availWidth;
    const int H = q.availHeight;

    if (pos.count == 4) {
        return {
            Saturate(static_cast<int64_t>(BkResolvePosItem(pos.items[2], 0, W)) - BkResolvePosItem(pos.items[0], 0, W)),
            Saturate(static_cast<int64_t>(BkResolvePosItem(pos.items[3], 0, H)) -
                     BkResolvePosItem(pos.items[1], 0, H))};
    }
    if (lp.width != kBkLayoutFromContent && lp.height != kBkLayoutFromContent) {
        return {lp.width >= 0 ? lp.width : W, lp.height >= 0 ? lp.height : H};
    }

    // Given sizes replace the box (-2: the available extent), then the bounds apply.
    const auto given = [](int layout, int avail, int fallback) {
        return layout >= 0 ? layout : layout == kBkLayoutFill ? avail : fallback;
    };
    const auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; };
    BkSize box;
    box.cx = given(lp.width, W, Saturate(static_cast<int64_t>(q.textBox.cx) - 2LL * q.xMargin));
    box.cy = given(lp.height, H, Saturate(static_cast<int64_t>(q.textBox.cy) - 2LL * q.yMargin));
    box.cx = clamp(box.cx, lp.minWidth, lp.maxWidth);
    box.cy = clamp(box.cy, lp.minHeight, lp.maxHeight);

    const BkSize text = measureText ? measureText(box) : BkSize{};
    BkSize size{Saturate(static_cast<int64_t>(text.cx) + 2LL * q.xMargin),
                Saturate(static_cast<int64_t>(text.cy) + 2LL * q.yMargin)};
    size.cx = given(lp.width, W, size.cx);
    size.cy = given(lp.height, H, size.cy);
    if (size.cx < lp.minWidth) size.cx = lp.minWidth;
    if (size.cy < lp.minHeight) size.cy = lp.minHeight;
    if (size.cx > lp.maxWidth) size.cx = lp.maxWidth;
    if (size.cy > lp.maxHeight) size.cy = lp.maxHeight;
    return size;
}

BkSizeAttrs BkReadSizeAttrs(const char* widthText, const char* heightText, const char* floatText) {
    BkSizeAttrs out;
    const auto one = [&](const char* text, uint32_t fixed, uint32_t content, uint32_t full, int& size) {
        if (text && std::strcmp(text, "full") == 0) {
            out.flags |= full;
            return;
        }
        const int v = BkReadAtoi(text);
        if (v > 0) {
            out.flags |= fixed;
            size = v;
        } else {
            out.flags |= content;
        }
    };
    one(widthText, kBkPosWidthFixed, kBkPosWidthContent, kBkPosWidthFull, out.fixedWidth);
    one(heightText, kBkPosHeightFixed, kBkPosHeightContent, kBkPosHeightFull, out.fixedHeight);
    out.flags |= BkReadAtoi(floatText) != 0 ? kBkPosFloating : kBkPosNotFloating;
    return out;
}
