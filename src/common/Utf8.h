#pragma once

#include <string>
#include <string_view>

// UTF-8 to wide text, portable (no Win32).
//
// The result is UTF-16 (with surrogate pairs) where wchar_t has 16 bits and code points where it has 32 bits.
// Malformed input never fails: each maximal ill-formed subsequence (bad lead byte, missing continuation,
// overlong form, encoded surrogate, value above U+10FFFF) becomes one U+FFFD, the same answer
// MultiByteToWideChar gives for CP_UTF8. NUL bytes are decoded like any other character; callers that want
// C-string semantics cut the input first.
//
// The result never has more wchar_t units than the input has bytes.

// Replaces the content of out with the decoded text.
void Utf8ToWide(std::string_view utf8, std::wstring& out);

std::wstring Utf8ToWide(std::string_view utf8);

// Wide text (UTF-16 with surrogate pairs, or code points where wchar_t has 32 bits) to UTF-8; a lone surrogate
// or a value above U+10FFFF becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
