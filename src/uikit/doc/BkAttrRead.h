// Typed readers for attribute values of the UI documents. Portable: the documents are UTF-8, so everything here
// works on 8-bit text; the wide reader serves texts that were already converted ("%str" references).
//
// Every reader accepts any input (null included) and never reads past the terminating NUL of its argument.
#pragma once

#include <cstdint>
#include <string_view>

// Answer of an attribute setter that does not handle a name (the E_FAIL value); handled names answer 0 or 1.
constexpr int kBkAttrNotHandled = static_cast<int>(0x80004005u);

// The value read the way StrToIntA does: only a text that starts with '-' or a digit has a value; digits are
// read up to the first non-digit. Other texts, and null, give 0. Wraps like 32-bit arithmetic on overflow.
int BkReadInt(const char* text);

// The same rule for wide text (StrToIntW).
int BkReadIntW(const wchar_t* text);

// The value read the way C atoi does: leading white space, an optional sign, digits. Null and texts without digits
// give 0; values beyond the int range saturate.
int BkReadAtoi(const char* text);

// Hexadecimal digits from the start of the text; any character that is not a hexadecimal digit makes the whole
// value 0, as does an empty or null text. Digits beyond the eighth shift the older ones out.
uint32_t BkReadHex(const char* text);

// Six hexadecimal digits RRGGBB as a COLORREF (0x00BBGGRR). Each pair stands alone: a pair with any other
// character, or cut short by the end of the text, reads as 0. Characters after the sixth are ignored.
uint32_t BkReadColor(const char* text);

// A colour that is not set.
constexpr uint32_t kBkColorNone = 0xFFFFFFFFu;

// "DrawText" flags in hexadecimal, without bit 0x10000.
uint32_t BkReadTextMode(const char* text);

// A 16-bit font code in hexadecimal: high byte a signed size step, low byte italic 0x1, underline 0x2, bold 0x4.
uint16_t BkReadFontCode(const char* text);

// Case-insensitive comparison of ASCII letters.
bool BkEqualsNoCase(std::string_view a, std::string_view b);
