#include "uikit/element/BkElementRules.h"

#include <cstdlib>

#include "uikit/doc/BkStyle.h"

BkDrawState BkDrawStateOf(uint32_t state, bool disabledWithAncestors) {
    BkDrawState s;
    s.hover = (state & 0x1) != 0;
    s.pressed = (state & 0x2) != 0;
    s.disabled = disabledWithAncestors || (state & 0x10) != 0;
    return s;
}

int BkStateIndex(const BkDrawState& s) {
    if (s.disabled) return 3;
    if (s.pressed) return 2;
    if (s.hover) return 1;
    return 0;
}

uint32_t BkChooseBackground(const BkDrawState& s, uint32_t elementBg, const BkStyle& style) {
    uint32_t color = kBkColorNone;
    if (s.disabled) {
        color = style.crBgDisable;
    } else if (s.pressed && style.crBgPush != kBkColorNone) {
        color = style.crBgPush;
    } else if (s.hover) {
        color = style.crBgHover;
    }
    if (color == kBkColorNone) color = elementBg != kBkColorNone ? elementBg : style.crBg;
    return color;
}

BkTextLook BkChooseTextLook(const BkDrawState& s, bool hasFontCode, uint16_t elementFont, uint32_t elementText,
                            const BkStyle& style) {
    BkTextLook look;
    look.fontCode = hasFontCode ? elementFont : style.font;
    if (s.disabled) {
        look.color = style.crDisabled;
        return look;
    }
    look.color = elementText != kBkColorNone ? elementText : style.crText;
    bool pressedFont = false;
    bool pressedColor = false;
    if (s.pressed) {
        if (style.pushFont != 0) {
            look.fontCode = style.pushFont;
            pressedFont = true;
        }
        if (style.crPush != kBkColorNone) {
            look.color = style.crPush;
            pressedColor = true;
        }
    }
    if (s.hover && !pressedFont) {
        if (style.hoverFont != 0) look.fontCode = style.hoverFont;
        if (style.crHover != kBkColorNone && !pressedColor) look.color = style.crHover;
    }
    return look;
}

BkRect BkYaHeiTextRect(const BkRect& rc, uint32_t textMode, int defaultHeight, int fontHeight, bool autoFixRect) {
    const int d = defaultHeight - fontHeight;
    const int absDefault = std::abs(defaultHeight);
    BkRect out = rc;
    if (textMode & kBkDtBottom) {
        const int originalTop = rc.top;
        out.top -= 2 * d + 2;
        out.bottom -= 2 * d + 2;
        if (autoFixRect) {
            const int least = 3 * d + absDefault + 4;
            if (out.Height() < least) out.bottom = out.top + least;
            if (out.bottom - absDefault - d - 3 < originalTop) out.bottom = originalTop + absDefault + d + 3;
        }
    } else if (!(textMode & kBkDtVCenter)) {
        out.top -= 3 * d + 3;
        out.bottom -= 3 * d + 3;
    }
    return out;
}

BkGdipFormat BkGdipFormatFor(uint32_t textMode, uint32_t textModeEx) {
    BkGdipFormat f;
    if (textMode & kBkDtCenter) f.alignment = 1;
    if (textMode & kBkDtVCenter) f.lineAlignment = 1;
    if (textModeEx & 0x20) f.flags |= 0x2000;
    if (textModeEx & 0x2) f.alignment = 2;
    if (textModeEx & 0x1) f.alignment = 1;
    if (textModeEx & 0x4) f.lineAlignment = 1;
    if (textModeEx & 0x8) f.lineAlignment = 2;
    if (textMode & kBkDtEndEllipsis) {
        f.trimming = 3;
    } else if (textMode & kBkDtWordEllipsis) {
        f.trimming = 4;
    } else if (textMode & kBkDtPathEllipsis) {
        f.trimming = 5;
    }
    return f;
}

int BkGdipTextAlpha(int elementAlpha, int styleAlpha) {
    int a = elementAlpha >= 0 ? elementAlpha : styleAlpha;
    if (a < 0) a = 0;
    if (a >= 255) a = 254;
    return a;
}
