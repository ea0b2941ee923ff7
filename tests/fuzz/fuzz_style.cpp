// Style and skin attribute values come from documents compiled into the program and from skin files in the
// installation folder: every reader must take any text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "uikit/doc/BkAttrRead.h"
#include "uikit/doc/BkDpiMath.h"
#include "uikit/doc/BkFontCode.h"
#include "uikit/doc/BkLayoutParam.h"
#include "uikit/doc/BkStyle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* value = text.c_str();

    const uint32_t color = BkReadColor(value);
    if (color > 0xFFFFFFu) __builtin_trap();
    if (BkReadTextMode(value) & 0x10000u) __builtin_trap();
    const uint16_t code = BkReadFontCode(value);
    const BkFontDesc desc = BkFontDescFromCode(code, -12, true, 3.0f);
    if (desc.weight != 400 && desc.weight != 700) __builtin_trap();
    BkReadHex(value);
    BkReadInt(value);
    BkReadAtoi(value);

    // The value split at its first '=' as name and value, through both attribute setters.
    const size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string attrValue = eq == std::string::npos ? std::string() : text.substr(eq + 1);
    BkStyle style;
    style.ApplyAttribute(name.c_str(), attrValue.c_str());
    if (style.cursor != kBkCursorArrow && style.cursor != kBkCursorHand) __builtin_trap();
    BkLayoutParam lp;
    bool changed = false;
    lp.ApplyAttribute(
        name.c_str(), attrValue.c_str(), [](int v) { return BkScaleByRate(v, 1.5f); }, &changed);
    if (lp.width < -2 || lp.height < -2) __builtin_trap();
    return 0;
}
