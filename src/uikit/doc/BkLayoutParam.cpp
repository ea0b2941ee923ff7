#include "uikit/doc/BkLayoutParam.h"

#include <cstring>

#include "uikit/doc/BkAttrRead.h"

int BkLayoutParam::ApplyAttribute(const char* name, const char* value, const std::function<int(int)>& scale,
                                  bool* changed) {
    if (changed) *changed = false;
    if (!name || std::strncmp(name, "layout_", 7) != 0) return kBkAttrNotHandled;
    const char* key = name + 7;
    const auto scaled = [&](int v) { return scale ? scale(v) : v; };

    int* field = nullptr;
    int next = 0;
    if (!std::strcmp(key, "width") || !std::strcmp(key, "height")) {
        field = key[0] == 'w' ? &width : &height;
        next = BkReadAtoi(value);
        if (next != kBkLayoutFromContent && next != kBkLayoutFill) {
            next = scaled(next);
            if (next < 0) next = 0;
        }
    } else {
        struct Entry {
            const char* key;
            int BkLayoutParam::*member;
            bool scaled;
        };
        static const Entry kEntries[] = {
            {"margin_left", &BkLayoutParam::marginLeft, true},   {"margin_right", &BkLayoutParam::marginRight, true},
            {"margin_top", &BkLayoutParam::marginTop, true},     {"margin_bottom", &BkLayoutParam::marginBottom, true},
            {"min_width", &BkLayoutParam::minWidth, true},       {"min_height", &BkLayoutParam::minHeight, true},
            {"max_width", &BkLayoutParam::maxWidth, true},       {"max_height", &BkLayoutParam::maxHeight, true},
            {"place_holder", &BkLayoutParam::placeHolder, true}, {"float", &BkLayoutParam::layoutFloat, false},
        };
        for (const Entry& e : kEntries) {
            if (std::strcmp(key, e.key) != 0) continue;
            field = &(this->*e.member);
            next = BkReadInt(value);
            if (e.scaled) next = scaled(next);
            break;
        }
    }
    if (!field) return kBkAttrNotHandled;
    if (changed) *changed = *field != next;
    *field = next;
    return 0;
}
