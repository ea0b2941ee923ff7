#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "common/TextConv.h"

namespace {

TEST(KUTF8ToUTF16Ex, ConvertsTableOfTexts) {
    const struct {
        const char* what;
        const char* utf8;
        std::wstring expected;
    } cases[] = {
        {"empty", "", L""},
        {"ASCII", "velmora.exe", L"velmora.exe"},
        {"Chinese", "\xE7\xBB\xB4\xE8\x8E\xAB\xE6\x8B\x89", L"\u7EF4\u83AB\u62C9"},
        {"outside the BMP becomes a surrogate pair", "a\xF0\x9F\x98\x80z", L"a\xD83D\xDE00z"},
        {"invalid byte becomes U+FFFD", "a\xFFz", L"a\xFFFDz"},
        {"cut sequence becomes U+FFFD", "a\xE7\xBB", L"a\xFFFD"},
    };
    for (const auto& c : cases) {
        const KUTF8ToUTF16Ex text(c.utf8);
        ASSERT_NE(text.Get(), nullptr) << c.what;
        EXPECT_EQ(std::wstring(text.Get()), c.expected) << c.what;
        EXPECT_EQ(text.Length(), static_cast<int>(c.expected.size()) + 1) << c.what;
    }
}

TEST(KUTF8ToUTF16Ex, LongResultsMoveFromInlineBufferToHeap) {
    auto isInline = [](const KUTF8ToUTF16Ex& text) {
        const auto* begin = reinterpret_cast<const char*>(&text);
        const auto* result = reinterpret_cast<const char*>(text.Get());
        return result >= begin && result < begin + sizeof(KUTF8ToUTF16Ex);
    };
    const struct {
        size_t chars;
        bool inlineExpected;
    } cases[] = {{127, true}, {128, false}, {129, false}, {100000, false}};
    for (const auto& c : cases) {
        // Each 3-byte sequence is one UTF-16 unit, so the byte count alone cannot decide the buffer.
        std::string utf8;
        std::wstring expected;
        for (size_t i = 0; i < c.chars; ++i) {
            utf8 += "\xE7\xBB\xB4";
            expected += L'\u7EF4';
        }
        const KUTF8ToUTF16Ex text(utf8.c_str());
        EXPECT_EQ(text.Length(), static_cast<int>(c.chars) + 1) << c.chars;
        EXPECT_EQ(std::wstring(text.Get()), expected) << c.chars;
        EXPECT_EQ(isInline(text), c.inlineExpected) << c.chars;
    }
}

TEST(KUTF8ToUTF16Ex, NullGivesNull) {
    const KUTF8ToUTF16Ex text(nullptr);
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(text.Length(), 0);
}

TEST(UTF16ToANSI, ConvertsIntoCallerBuffer) {
    char buffer[8];
    EXPECT_EQ(UTF16ToANSI(L"abc", buffer, sizeof(buffer)), buffer);
    EXPECT_STREQ(buffer, "abc");

    // "abc" and its NUL fill four bytes exactly.
    EXPECT_EQ(UTF16ToANSI(L"abc", buffer, 4), buffer);
    EXPECT_STREQ(buffer, "abc");
}

TEST(UTF16ToANSI, FailuresGiveNullAndAnEmptyBuffer) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(UTF16ToANSI(L"abcdef", buffer, 4), nullptr);  // too small: no partial text is left
    EXPECT_EQ(buffer[0], '\0');

    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(UTF16ToANSI(nullptr, buffer, sizeof(buffer)), nullptr);
    EXPECT_EQ(buffer[0], '\0');

    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(UTF16ToANSI(L"abc", buffer, 0), nullptr);
    EXPECT_EQ(buffer[0], 'x');  // no room even for the NUL
    EXPECT_EQ(UTF16ToANSI(L"abc", nullptr, 8), nullptr);
}

}  // namespace
