// `pos` values come from layout documents and from run-time attribute calls: any text must parse, and every
// rectangle derived from it must be computed without overflow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/doc/BkDpiMath.h"
#include "uikit/doc/BkPos.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // First byte picks the scaling and the container; the rest is the value.
    const uint8_t mode = data[0];
    const std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
    const float rates[] = {1.0f, 1.2f, 1.5f, 1.7f, 2.0f, 2.2f, 2.5f, 3.0f};
    const float rate = rates[mode & 7];
    BkScaleFn scale;
    if (mode & 8) scale = [rate](int v) { return BkScaleByRate(v, rate); };

    BkPosition pos;
    uint32_t flags = mode & 0x80 ? 0x55u : 0u;
    BkParsePos(value.c_str(), pos, flags, scale);
    if (pos.count != 0 && pos.count != 2 && pos.count != 4) __builtin_trap();
    if (pos.count && (flags & 0x55u)) __builtin_trap();
    for (const BkPosItem& item : pos.items) {
        if ((item.center | item.minus) & ~1) __builtin_trap();
    }

    const BkRect container = mode & 0x10 ? BkRect{-2147483647, 0, 2147483647, 101} : BkRect{3, 4, 104, 205};
    const BkPlacement place = BkPlaceChild(container, (mode & 0x20) ? 7 : 0, (mode & 0x40) ? -3 : 0, pos);
    const BkRect rc = BkSizeChild(place, flags, 10, 20, [&] {
        BkContentQuery q;
        q.pos = &pos;
        q.availWidth = place.width;
        q.availHeight = place.height;
        q.textBox = {place.width, place.height};
        return BkQueryContentSize(q, [](BkSize box) { return box; });
    });
    (void)rc;
    return 0;
}
