// The lexical half of BkJsonEx: reading tokens at a parse context and writing them to wide text.
// Nothing here knows the tree; the value kinds build on it.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

#include "common/BkJsonEx.h"

namespace BkJsonEx {

// Code units compare as unsigned numbers, also where wchar_t is signed.
using CodeUnit = std::make_unsigned_t<wchar_t>;

inline CodeUnit ToUnit(wchar_t ch) { return static_cast<CodeUnit>(ch); }

inline bool IsDigit(wchar_t ch) { return static_cast<unsigned>(ToUnit(ch)) - static_cast<unsigned>(L'0') <= 9u; }

inline size_t EndOf(const ParseContext& ctx) { return ctx.index + ctx.left; }

inline void MoveTo(ParseContext& ctx, size_t index) {
    ctx.left = EndOf(ctx) - index;
    ctx.index = index;
}

// Skips tab, line feed, carriage return and space.
inline void SkipSpace(ParseContext& ctx) {
    size_t i = ctx.index;
    const size_t end = EndOf(ctx);
    while (i < end && (ctx.text[i] == L' ' || ctx.text[i] == L'\n' || ctx.text[i] == L'\r' || ctx.text[i] == L'\t'))
        ++i;
    MoveTo(ctx, i);
}

// Skips white space, then consumes ch if it is next.
inline bool Expect(ParseContext& ctx, wchar_t ch) {
    SkipSpace(ctx);
    if (ctx.left == 0 || ctx.text[ctx.index] != ch) return false;
    MoveTo(ctx, ctx.index + 1);
    return true;
}

// Records the error with its 1-based row and column, unless one is recorded already.
void RecordError(ParseContext& ctx, size_t position, int id);

enum class NumberRead {
    kNone,       // no number starts here; nothing consumed or recorded
    kRead,       // consumed
    kMalformed,  // recorded as a bad number
};

// "-?digits" whose magnitude is at most the limit for its sign.
NumberRead ReadInteger(ParseContext& ctx, unsigned long long maxPositive, unsigned long long maxNegative,
                       unsigned long long& magnitude, bool& negative);

// "-?" followed by a run of digits and at most one dot, up to 260 characters.
NumberRead ReadDouble(ParseContext& ctx, double& number);

// A quoted text after optional white space. On success the decoded text is either a piece of ctx.text or
// ctx.decoded, valid until the next read. Every failure is recorded.
bool ReadString(ParseContext& ctx, const wchar_t*& data, size_t& length);

// Appends the text quoted and escaped, then the trailer unless it is 0.
void AppendQuoted(std::wstring& out, const wchar_t* text, size_t length, wchar_t trailer = 0);

void AppendInteger(std::wstring& out, long long number);
void AppendUnsigned(std::wstring& out, unsigned long long number);
// Six decimals, as "%lf" in the "C" locale; false for infinity and NaN.
bool AppendFixed(std::wstring& out, double number);

}  // namespace BkJsonEx
