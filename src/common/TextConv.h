// UTF-8 → UTF-16 and UTF-16 → ANSI with the system's own converters. Windows only.
#pragma once

#include <memory>

// Converts one NUL-terminated UTF-8 text on construction and owns the result. Results that fit in 128 UTF-16
// units (with their NUL) stay inline, larger ones go to the heap. Invalid UTF-8 becomes U+FFFD.
// A null input gives a null result of length 0. Throws std::bad_alloc when a large result cannot be allocated.
class KUTF8ToUTF16Ex {
public:
    static constexpr int kInlineChars = 128;

    explicit KUTF8ToUTF16Ex(const char* utf8);
    virtual ~KUTF8ToUTF16Ex() = default;

    KUTF8ToUTF16Ex(const KUTF8ToUTF16Ex&) = delete;
    KUTF8ToUTF16Ex& operator=(const KUTF8ToUTF16Ex&) = delete;

    const wchar_t* Get() const { return m_result; }
    operator const wchar_t*() const { return m_result; }
    // In UTF-16 units including the NUL; 0 for a null result.
    int Length() const { return m_length; }

private:
    const wchar_t* m_result = nullptr;  // m_inline, m_heap or null; not separately owned
    wchar_t m_inline[kInlineChars] = {};
    std::unique_ptr<wchar_t[]> m_heap;
    int m_length = 0;
};

// Converts a NUL-terminated UTF-16 text into the ANSI code page, into `buffer` of `bufferBytes` bytes (the NUL
// included). Answers `buffer`, or null when an argument is null or empty or the conversion fails (for example a
// buffer too small); then the buffer, if there is one, starts with a NUL.
char* UTF16ToANSI(const wchar_t* text, char* buffer, int bufferBytes);
