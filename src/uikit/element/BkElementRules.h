// The decisions element painting makes from plain values: which skin frame a state shows, which background and
// text colours and fonts apply, where YaHei text sits, and how a GDI+ string is formatted. Portable: no window,
// no device context; the Win32 half applies the answers.
#pragma once

#include <cstdint>

#include "uikit/doc/BkPos.h"

struct BkStyle;

// DrawText flags the rules read (the values of <windows.h>).
constexpr uint32_t kBkDtCenter = 0x1;
constexpr uint32_t kBkDtVCenter = 0x4;
constexpr uint32_t kBkDtBottom = 0x8;
constexpr uint32_t kBkDtWordBreak = 0x10;
constexpr uint32_t kBkDtPathEllipsis = 0x4000;
constexpr uint32_t kBkDtEndEllipsis = 0x8000;
constexpr uint32_t kBkDtWordEllipsis = 0x40000;

// What an element's state word says for drawing. `disabled` counts ancestors too.
struct BkDrawState {
    bool hover = false;
    bool pressed = false;
    bool disabled = false;
};
BkDrawState BkDrawStateOf(uint32_t state, bool disabledWithAncestors);

// 3 disabled, else 2 pressed, else 1 hovered, else 0.
int BkStateIndex(const BkDrawState& s);

// The background colour: disabled → `crbgdisable`; pressed → `crbgpush`; hovered → `crbghover`; when that gives
// none, the element's `crbg`, else the style's. kBkColorNone when there is none.
uint32_t BkChooseBackground(const BkDrawState& s, uint32_t elementBg, const BkStyle& style);

// Font code and text colour for drawing text. `fontCode` is the element's when it has one (hasFontCode), else
// the style's; pressed and hovered looks of the style replace them.
struct BkTextLook {
    uint16_t fontCode = 0;
    uint32_t color = 0xFFFFFFFFu;  // kBkColorNone: leave the device context's colour
};
BkTextLook BkChooseTextLook(const BkDrawState& s, bool hasFontCode, uint16_t elementFont, uint32_t elementText,
                            const BkStyle& style);

// The text rectangle moved so YaHei text lands on the baseline other faces use. `defaultHeight` and `fontHeight`
// are negative logical heights (the default one already DPI-scaled when the element is DPI-aware).
BkRect BkYaHeiTextRect(const BkRect& rc, uint32_t textMode, int defaultHeight, int fontHeight, bool autoFixRect);

// GDI+ string format values (StringAlignment, StringFormatFlags, StringTrimming) for a text mode.
struct BkGdipFormat {
    int alignment = 0;      // 0 near, 1 centre, 2 far
    int lineAlignment = 0;  // 0 near, 1 centre, 2 far
    int flags = 0;          // 0x2000: line limit
    int trimming = 0;       // 0 none, 3 ellipsis character, 4 ellipsis word, 5 ellipsis path
};
BkGdipFormat BkGdipFormatFor(uint32_t textMode, uint32_t textModeEx);

// The brush alpha of GDI+ text: the element's `alphatxt` when set (0 or more), else the style's, kept within
// 0..255, where 255 becomes 254.
int BkGdipTextAlpha(int elementAlpha, int styleAlpha);
