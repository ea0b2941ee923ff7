#include "uikit/doc/BkFontCode.h"

#include "uikit/doc/BkDpiMath.h"

BkFontDesc BkFontDescFromCode(uint16_t code, int baseHeight, bool dpiScaled, float rate) {
    BkFontDesc desc;
    const int step = static_cast<int8_t>(static_cast<uint8_t>(code >> 8));
    desc.height = baseHeight - step;
    if (dpiScaled) desc.height = BkScaleByRate(desc.height, rate);
    desc.weight = (code & 0x4) ? 700 : 400;
    desc.underline = (code & 0x2) != 0;
    desc.italic = (code & 0x1) != 0;
    return desc;
}
