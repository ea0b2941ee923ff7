// What a font code asks of a font, relative to the default font's height.
#pragma once

#include <cstdint>

struct BkFontDesc {
    int height = 0;  // logical units, negative for a character height
    int weight = 400;
    bool italic = false;
    bool underline = false;
};

// Height = baseHeight minus the signed high byte, then multiplied by `rate` (truncated) when `dpiScaled`.
BkFontDesc BkFontDescFromCode(uint16_t code, int baseHeight, bool dpiScaled, float rate);
