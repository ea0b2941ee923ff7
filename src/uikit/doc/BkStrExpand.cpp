#include "uikit/doc/BkStrExpand.h"

#include "uikit/doc/BkAttrRead.h"

void BkExpandStr(std::wstring& text, const BkStringLookup& lookup) {
    size_t from = 0;
    for (;;) {
        const size_t start = text.find(L"%str", from);
        if (start == std::wstring::npos) return;
        if (BkReadIntW(text.c_str() + start + 4) <= 0) return;
        const size_t close = text.find(L'%', start + 4);
        if (close == std::wstring::npos) return;
        const std::wstring replacement = lookup ? lookup(BkReadIntW(text.c_str() + start + 4)) : std::wstring();
        text.replace(start, close - start + 1, replacement);
        from = close + 1;
        if (from < start + replacement.size()) from = start + replacement.size();
    }
}
