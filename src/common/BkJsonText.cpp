#include "common/BkJsonText.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

namespace BkJsonEx {

namespace {

int ClampToInt(size_t n) { return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

inline size_t ScanPlain(const wchar_t* text, size_t i, size_t end) {
    while (i < end && text[i] != L'"' && text[i] != L'\\') ++i;
    return i;
}

int HexDigit(wchar_t ch) {
    const unsigned u = ToUnit(ch);
    if (u - '0' <= 9u) return static_cast<int>(u - '0');
    if ((u | 0x20u) - 'a' <= 5u) return static_cast<int>((u | 0x20u) - 'a' + 10);
    return -1;
}

// How code units below 256 are written: unchanged (0), as a backslash and a letter, or as "\u00xx" (letter u).
// Escaped are the control codes, the escape table, and 127 to 255.
struct EscapeTable {
    EscapeTable() {
        for (int c = 0; c < 256; ++c) letter[c] = (c < 32 || c >= 127) ? L'u' : 0;
        const char escaped[] = "\"\\/\b\f\n\r\t";
        const wchar_t letters[] = L"\"\\/bfnrt";
        for (size_t k = 0; escaped[k] != '\0'; ++k) letter[static_cast<unsigned char>(escaped[k])] = letters[k];
    }
    wchar_t letter[256];
};
const EscapeTable kEscapes;

inline wchar_t EscapeLetter(wchar_t ch) {
    const CodeUnit u = ToUnit(ch);
    return u < 256 ? kEscapes.letter[u] : 0;
}

void AppendAscii(std::wstring& out, const char* text, size_t length) {
    const size_t at = out.size();
    out.resize(at + length);
    for (size_t i = 0; i < length; ++i) out[at + i] = static_cast<wchar_t>(text[i]);
}

void AppendMagnitude(std::wstring& out, unsigned long long number, bool negative) {
    char buffer[24];
    char* p = buffer + sizeof(buffer);
    do {
        *--p = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    if (negative) *--p = '-';
    AppendAscii(out, p, static_cast<size_t>(buffer + sizeof(buffer) - p));
}

}  // namespace

// Row and column are only worked out here, so a good parse never pays for them.
void RecordError(ParseContext& ctx, size_t position, int id) {
    if (ctx.error.IsRecorded()) return;
    size_t row = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < position; ++i) {
        if (ctx.text[i] == L'\n') {
            ++row;
            lineStart = i + 1;
        }
    }
    ctx.error.Set(id, ClampToInt(row), ClampToInt(position - lineStart + 1));
}

NumberRead ReadInteger(ParseContext& ctx, unsigned long long maxPositive, unsigned long long maxNegative,
                       unsigned long long& magnitude, bool& negative) {
    const wchar_t* text = ctx.text;
    const size_t end = EndOf(ctx);
    size_t i = ctx.index;
    negative = i < end && text[i] == L'-';
    if (negative) ++i;
    const size_t digitsStart = i;
    const unsigned long long limit = negative ? maxNegative : maxPositive;
    unsigned long long value = 0;
    bool overflow = false;
    for (; i < end && IsDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(ToUnit(text[i])) - static_cast<unsigned>(L'0');
        if (value > (limit - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    if (i == digitsStart && !negative) return NumberRead::kNone;
    // A sign without digits is malformed rather than a silent zero, and wrapping would turn an out-of-range
    // number into a plausible wrong one.
    if (i == digitsStart || overflow) {
        RecordError(ctx, i, kErrorBadNumber);
        return NumberRead::kMalformed;
    }
    MoveTo(ctx, i);
    magnitude = value;
    return NumberRead::kRead;
}

NumberRead ReadDouble(ParseContext& ctx, double& number) {
    const wchar_t* text = ctx.text;
    const size_t end = EndOf(ctx);
    size_t i = ctx.index;
    const bool negative = i < end && text[i] == L'-';
    if (negative) ++i;
    const size_t runStart = i;
    size_t dots = 0;
    size_t digits = 0;
    for (; i < end; ++i) {
        if (text[i] == L'.')
            ++dots;
        else if (IsDigit(text[i]))
            ++digits;
        else
            break;
    }
    const size_t runLength = i - runStart;
    if (runLength == 0 && !negative) return NumberRead::kNone;
    constexpr size_t kLongestRun = 260;
    if (digits == 0 || dots > 1 || runLength > kLongestRun) {
        RecordError(ctx, i, kErrorBadNumber);
        return NumberRead::kMalformed;
    }
    // from_chars ignores the locale, unlike the C runtime's conversions.
    char narrow[kLongestRun];
    for (size_t k = 0; k < runLength; ++k) narrow[k] = static_cast<char>(text[runStart + k]);
    double parsed = 0;
    const auto result = std::from_chars(narrow, narrow + runLength, parsed, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != narrow + runLength) {
        RecordError(ctx, i, kErrorBadNumber);
        return NumberRead::kMalformed;
    }
    number = negative ? -parsed : parsed;
    MoveTo(ctx, i);
    return NumberRead::kRead;
}

bool ReadString(ParseContext& ctx, const wchar_t*& data, size_t& length) {
    if (!Expect(ctx, L'"')) {
        RecordError(ctx, ctx.index, kErrorQuoteExpected);
        return false;
    }
    const wchar_t* text = ctx.text;
    const size_t end = EndOf(ctx);
    const size_t start = ctx.index;
    size_t i = ScanPlain(text, start, end);
    if (i < end && text[i] == L'"') {
        data = text + start;
        length = i - start;
        MoveTo(ctx, i + 1);
        return true;
    }
    std::wstring& decoded = ctx.decoded;
    decoded.assign(text + start, i - start);
    for (;;) {
        if (i >= end) {
            RecordError(ctx, end, kErrorUnterminatedString);
            return false;
        }
        if (text[i] == L'"') break;
        // text[i] is a backslash
        if (++i >= end) {
            RecordError(ctx, end, kErrorUnterminatedString);
            return false;
        }
        wchar_t ch;
        switch (text[i]) {
            case L'"':
                ch = L'"';
                break;
            case L'\\':
                ch = L'\\';
                break;
            case L'/':
                ch = L'/';
                break;
            case L'b':
                ch = L'\b';
                break;
            case L'f':
                ch = L'\f';
                break;
            case L'n':
                ch = L'\n';
                break;
            case L'r':
                ch = L'\r';
                break;
            case L't':
                ch = L'\t';
                break;
            case L'u': {
                unsigned code = 0;
                bool ok = end - i > 4;
                for (size_t k = 1; ok && k <= 4; ++k) {
                    const int nibble = HexDigit(text[i + k]);
                    ok = nibble >= 0;
                    code = code * 16 + static_cast<unsigned>(nibble);
                }
                // Code 0 would cut the text short for callers reading it as a C string.
                if (!ok || code == 0) {
                    RecordError(ctx, i, kErrorBadEscape);
                    return false;
                }
                ch = static_cast<wchar_t>(code);
                i += 4;
                break;
            }
            default:
                RecordError(ctx, i, kErrorBadEscape);
                return false;
        }
        decoded.push_back(ch);
        const size_t runStart = ++i;
        i = ScanPlain(text, i, end);
        decoded.append(text + runStart, i - runStart);
    }
    data = decoded.data();
    length = decoded.size();
    MoveTo(ctx, i + 1);
    return true;
}

void AppendQuoted(std::wstring& out, const wchar_t* text, size_t length, wchar_t trailer) {
    // Sized first, so the text goes in with one resize and usually one copy.
    size_t extra = 0;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t letter = EscapeLetter(text[i]);
        if (letter != 0) extra += letter == L'u' ? 5 : 1;
    }
    const size_t at = out.size();
    out.resize(at + length + extra + (trailer != 0 ? 3 : 2));
    wchar_t* p = &out[at];
    *p++ = L'"';
    if (extra == 0) {
        if (length != 0) std::char_traits<wchar_t>::copy(p, text, length);
        p += length;
    } else {
        static const wchar_t kHex[] = L"0123456789abcdef";
        for (size_t i = 0; i < length; ++i) {
            const wchar_t letter = EscapeLetter(text[i]);
            if (letter == 0) {
                *p++ = text[i];
                continue;
            }
            *p++ = L'\\';
            *p++ = letter;
            if (letter == L'u') {
                const unsigned code = ToUnit(text[i]);
                *p++ = L'0';
                *p++ = L'0';
                *p++ = kHex[(code >> 4) & 0xF];
                *p++ = kHex[code & 0xF];
            }
        }
    }
    *p++ = L'"';
    if (trailer != 0) *p = trailer;
}

void AppendInteger(std::wstring& out, long long number) {
    // Negating in unsigned arithmetic keeps the smallest value defined.
    const bool negative = number < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    AppendMagnitude(out, magnitude, negative);
}

void AppendUnsigned(std::wstring& out, unsigned long long number) { AppendMagnitude(out, number, false); }

bool AppendFixed(std::wstring& out, double number) {
    // Infinity and NaN have no JSON text.
    if (!std::isfinite(number)) return false;
    // to_chars, unlike printf, does not take the locale's decimal point.
    char buffer[DBL_MAX_10_EXP + 32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), number, std::chars_format::fixed, 6);
    if (result.ec != std::errc()) return false;
    AppendAscii(out, buffer, static_cast<size_t>(result.ptr - buffer));
    return true;
}

}  // namespace BkJsonEx
