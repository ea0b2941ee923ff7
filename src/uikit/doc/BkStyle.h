// A style class: colours, text mode, fonts, margins and the skin an element draws with. Portable record; the
// registry that loads styles from the style documents is BkResRegistry.h.
#pragma once

#include <cstdint>
#include <string>

#include "uikit/doc/BkAttrRead.h"

constexpr int kBkCursorArrow = 32512;  // IDC_ARROW
constexpr int kBkCursorHand = 32649;   // IDC_HAND

struct BkStyle {
    uint32_t crBg = kBkColorNone;
    uint32_t crBgHover = kBkColorNone;
    uint32_t crBgDisable = kBkColorNone;
    uint32_t crBgPush = kBkColorNone;
    uint32_t crText = kBkColorNone;
    uint32_t crHover = kBkColorNone;
    uint32_t crDisabled = 0xCCCCCC;
    uint32_t crPush = kBkColorNone;
    uint32_t textMode = 0x28;  // DT_SINGLELINE | DT_BOTTOM
    uint16_t font = 0;
    uint16_t hoverFont = 0;  // 0: none
    uint16_t pushFont = 0;
    int xMargin = 0;
    int yMargin = 0;
    int spacing = 0;
    int lineSpacing = 20;
    int cursor = kBkCursorArrow;
    std::string skin;
    int shadow = 0;
    int gdiplus = 0;
    int gdiplusCalcText = 0;
    int yhResizeDisable = 0;
    int textRenderingHint = 0;
    uint32_t crShadow = 0x010101;
    int alphaBg = 255;
    int alphaText = 254;
    int bgGdiplus = 0;
    uint32_t textModeEx = 0;
    std::string name;

    // 0 when the attribute was taken; kBkAttrNotHandled for an unknown name or a cursor other than "hand" or
    // "arrow" (the cursor then stays as it was).
    int ApplyAttribute(const char* attr, const char* value);
};
