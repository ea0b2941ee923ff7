#include "uikit/doc/BkStyle.h"

#include <cstring>

int BkStyle::ApplyAttribute(const char* attr, const char* value) {
    if (!attr) return kBkAttrNotHandled;
    if (!value) value = "";
    struct ColorEntry {
        const char* name;
        uint32_t BkStyle::*field;
    };
    static const ColorEntry kColors[] = {
        {"crbg", &BkStyle::crBg},
        {"crbghover", &BkStyle::crBgHover},
        {"crbgdisable", &BkStyle::crBgDisable},
        {"crbgpush", &BkStyle::crBgPush},
        {"crtext", &BkStyle::crText},
        {"crhover", &BkStyle::crHover},
        {"crdisabled", &BkStyle::crDisabled},
        {"crpush", &BkStyle::crPush},
        {"crshadow", &BkStyle::crShadow},
    };
    for (const ColorEntry& e : kColors) {
        if (!std::strcmp(attr, e.name)) return this->*e.field = BkReadColor(value), 0;
    }
    struct IntEntry {
        const char* name;
        int BkStyle::*field;
    };
    static const IntEntry kInts[] = {
        {"x-margin", &BkStyle::xMargin},
        {"y-margin", &BkStyle::yMargin},
        {"spacing", &BkStyle::spacing},
        {"linespacing", &BkStyle::lineSpacing},
        {"shadow", &BkStyle::shadow},
        {"gdiplus", &BkStyle::gdiplus},
        {"gdipluscalctxt", &BkStyle::gdiplusCalcText},
        {"yhresizedisable", &BkStyle::yhResizeDisable},
        {"gditxtrndhit", &BkStyle::textRenderingHint},
        {"alphabg", &BkStyle::alphaBg},
        {"alphatxt", &BkStyle::alphaText},
        {"bggdiplus", &BkStyle::bgGdiplus},
    };
    for (const IntEntry& e : kInts) {
        if (!std::strcmp(attr, e.name)) return this->*e.field = BkReadInt(value), 0;
    }
    if (!std::strcmp(attr, "textmode")) return textMode = BkReadTextMode(value), 0;
    if (!std::strcmp(attr, "textmodeex")) return textModeEx = BkReadTextMode(value), 0;
    if (!std::strcmp(attr, "font")) return font = BkReadFontCode(value), 0;
    if (!std::strcmp(attr, "hoverfont")) return hoverFont = BkReadFontCode(value), 0;
    if (!std::strcmp(attr, "pushfont")) return pushFont = BkReadFontCode(value), 0;
    if (!std::strcmp(attr, "margin")) return xMargin = yMargin = BkReadInt(value), 0;
    if (!std::strcmp(attr, "skin")) return skin = value, 0;
    if (!std::strcmp(attr, "name")) return name = value, 0;
    if (!std::strcmp(attr, "cursor")) {
        if (!std::strcmp(value, "hand")) return cursor = kBkCursorHand, 0;
        if (!std::strcmp(value, "arrow")) return cursor = kBkCursorArrow, 0;
        return kBkAttrNotHandled;
    }
    return kBkAttrNotHandled;
}
