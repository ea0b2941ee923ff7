#include "common/Utf8.h"

#include <cstdint>
#include <type_traits>

#include <cstddef>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

inline void PutCodePoint(wchar_t*& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *out++ = static_cast<wchar_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    *out++ = static_cast<wchar_t>(cp);
}

}  // namespace

void Utf8ToWide(std::string_view utf8, std::wstring& out) {
    // Every step consumes at least as many bytes as it writes units, so the input size bounds the output.
    out.resize(utf8.size());
    wchar_t* const begin = out.empty() ? nullptr : &out[0];
    wchar_t* o = begin;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* const end = p + utf8.size();

    while (p < end) {
        const unsigned lead = *p;
        if (lead < 0x80) {
            *o++ = static_cast<wchar_t>(lead);
            ++p;
            continue;
        }

        // Allowed range of the first continuation byte; it is narrower after E0, ED, F0 and F4 so that overlong
        // forms, surrogates and values above U+10FFFF are rejected at the earliest byte.
        unsigned lo = 0x80, hi = 0xBF;
        int need;
        char32_t cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                lo = 0xA0;
            else if (lead == 0xED)
                hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            cp = lead & 0x07;
            if (lead == 0xF0)
                lo = 0x90;
            else if (lead == 0xF4)
                hi = 0x8F;
        } else {
            *o++ = kReplacement;
            ++p;
            continue;
        }

        ++p;
        int got = 0;
        while (got < need && p < end && *p >= lo && *p <= hi) {
            cp = (cp << 6) | (*p & 0x3F);
            lo = 0x80;
            hi = 0xBF;
            ++p;
            ++got;
        }
        // A broken sequence yields one U+FFFD and decoding resumes at the byte that broke it.
        if (got < need)
            *o++ = kReplacement;
        else
            PutCodePoint(o, cp);
    }

    out.resize(static_cast<size_t>(o - begin));
}

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    Utf8ToWide(utf8, out);
    return out;
}

namespace {

void AppendCodePointUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i]));
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i + 1]));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePointUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        AppendCodePointUtf8(out, cp);
    }
    return out;
}
