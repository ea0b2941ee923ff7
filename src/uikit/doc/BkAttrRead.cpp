#include "uikit/doc/BkAttrRead.h"

#include <climits>

namespace {

template <typename Char>
int ReadIntLikeStrToInt(const Char* text) {
    if (!text) return 0;
    const bool negative = *text == '-';
    if (!negative && !(*text >= '0' && *text <= '9')) return 0;
    if (negative) ++text;
    uint32_t value = 0;  // unsigned: overflow wraps instead of being undefined
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<uint32_t>(*text - '0');
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int BkReadInt(const char* text) { return ReadIntLikeStrToInt(text); }

int BkReadIntW(const wchar_t* text) { return ReadIntLikeStrToInt(text); }

int BkReadAtoi(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

uint32_t BkReadHex(const char* text) {
    if (!text) return 0;
    uint32_t value = 0;
    for (; *text; ++text) {
        const int digit = HexDigit(*text);
        if (digit < 0) return 0;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

uint32_t BkReadColor(const char* text) {
    if (!text) return 0;
    uint32_t channels[3] = {};
    bool ended = false;
    for (int pair = 0; pair < 3; ++pair) {
        int hi = -1;
        int lo = -1;
        if (!ended) {
            hi = text[pair * 2] ? HexDigit(text[pair * 2]) : -1;
            if (!text[pair * 2]) ended = true;
        }
        if (!ended) {
            lo = text[pair * 2 + 1] ? HexDigit(text[pair * 2 + 1]) : -1;
            if (!text[pair * 2 + 1]) ended = true;
        }
        if (hi >= 0 && lo >= 0) channels[pair] = static_cast<uint32_t>(hi * 16 + lo);
    }
    return channels[0] | (channels[1] << 8) | (channels[2] << 16);
}

uint32_t BkReadTextMode(const char* text) { return BkReadHex(text) & ~0x10000u; }

uint16_t BkReadFontCode(const char* text) { return static_cast<uint16_t>(BkReadHex(text)); }

bool BkEqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}
