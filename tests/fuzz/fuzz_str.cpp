// "%str" expansion runs over window titles and element texts: it must end for any text and any string table,
// including entries that themselves hold references.
#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/doc/BkStrExpand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per code unit; the first 0xFFFF unit splits the input into text and table entries.
    std::wstring all;
    for (size_t i = 0; i + 1 < size; i += 2) all.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    std::wstring text = all;
    std::wstring entries;
    const size_t split = all.find(static_cast<wchar_t>(0xFFFF));
    if (split != std::wstring::npos) {
        text = all.substr(0, split);
        entries = all.substr(split + 1);
    }
    const size_t before = text.size();
    size_t lookups = 0;
    BkExpandStr(text, [&](int id) -> std::wstring {
        ++lookups;
        if (entries.empty()) return std::wstring();
        // Entry N: a slice of the entries text, so entries can contain "%str" themselves.
        const size_t start = static_cast<size_t>(static_cast<unsigned>(id) % entries.size());
        return entries.substr(start, 16);
    });
    // Each expansion consumes at least six units of the original text.
    if (lookups > before / 6 + 1) __builtin_trap();
    return 0;
}
