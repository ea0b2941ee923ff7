#include "common/KIniWrapEx.h"
#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <string_view>

using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

std::wstring Dump(const KIniWrapEx& ini)
{
    std::wstring text;
    EXPECT_TRUE(ini.ToText(text));
    return text;
}

// Hex dump of wide units, so a failing case shows exactly which unit differs.
std::string Units(const std::wstring& s)
{
    std::string out;
    char buf[16];
    for (wchar_t c : s) {
        snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::wstring_view text;
    bool ok;
    std::wstring_view stored; // ToText of the document afterwards
};

const ParseCase kParseCases[] = {
    {"names and keys lower-cased, value case kept", L"[Common]\nTryNo = 7\nName=MiXeD", true,
     L"[common]\r\nname=MiXeD\r\ntryno=7\r\n"},
    {"anything before the first bracket ignored", L"\uFEFFjunk line\nk=v\n[a]\nk=v", true, L"[a]\r\nk=v\r\n"},
    {"CRLF lines", L"[a]\r\nk=v\r\n\r\nm=n\r\n", true, L"[a]\r\nk=v\r\nm=n\r\n"},
    {"space and tab around lines and names", L"  \t[  S e c  ]\t\n \t key   =   v a l  \t\n", true,
     L"[s e c]\r\nkey=v a l\r\n"},
    {"only blanks trimmed inside a line", L"[a]\nk\t=\tv\n", true, L"[a]\r\nk\t=\tv\r\n"},
    {"value keeps later equals signs", L"[a]\na=b=c", true, L"[a]\r\na=b=c\r\n"},
    {"empty value", L"[a]\nk=\nm =  ", true, L"[a]\r\nk=\r\nm=\r\n"},
    {"comment line holding '=' is a key", L"[a]\n; x=y", true, L"[a]\r\n; x=y\r\n"},
    {"last key wins, repeated section merged", L"[a]\nk=1\n[b]\nx=y\n[A]\nK=2\nm=3", true,
     L"[a]\r\nk=2\r\nm=3\r\n[b]\r\nx=y\r\n"},
    {"written in name order, not file order", L"[b]\nz=1\ny=2\n[a]\nk=v", true, L"[a]\r\nk=v\r\n[b]\r\ny=2\r\nz=1\r\n"},
    {"section without keys not stored", L"[a]\n[b]\nk=v\n[c]", true, L"[b]\r\nk=v\r\n"},
    {"brackets inside names and keys", L"[a]]\n[k=v\n", true, L"[a]]\r\n[k=v\r\n"},
    {"NUL is an ordinary character", L"[a]\nk=v\0w\n"sv, true, L"[a]\r\nk=v\0w\r\n"sv},

    {"empty text", L"", false, L""},
    {"no bracket at all", L"k=v\nm=n\n", false, L""},
    {"unclosed header stops, earlier keys stay", L"[a]\nk=v\n[x\nm=n", false, L"[a]\r\nk=v\r\n"},
    {"comment without '=' stops", L"[a]\nk=v\n; note\n[b]\nz=1", false, L"[a]\r\nk=v\r\n"},
    {"empty section name", L"[a]\nk=v\n[  ]\nm=n", false, L"[a]\r\nk=v\r\n"},
    {"empty key", L"[a]\nk=v\n  = v\nm=n", false, L"[a]\r\nk=v\r\n"},
    {"key before any section", L"[k=v\n[a]\nm=n", false, L""},
};

TEST(KIniWrapExParse, Table)
{
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.name);
        KIniWrapEx ini;
        EXPECT_EQ(c.ok, ini.Parse(c.text));
        EXPECT_EQ(std::wstring(c.stored), Dump(ini));
    }
}

TEST(KIniWrapExParse, AddsToExistingContent)
{
    KIniWrapEx ini;
    ASSERT_TRUE(ini.Parse(L"[a]\nk=1\n"));
    // The section of a previous text does not carry over: a key before a header is still invalid.
    EXPECT_FALSE(ini.Parse(L"[x=2\n"));
    ASSERT_TRUE(ini.Parse(L"[b]\nm=2\n"));
    EXPECT_EQ(L"[a]\r\nk=1\r\n[b]\r\nm=2\r\n", Dump(ini));
}

TEST(KIniWrapExParse, ToTextReadsBack)
{
    KIniWrapEx ini;
    ASSERT_TRUE(ini.Parse(L"\uFEFF[Zeta]\n k = v  1\n[alpha ]\nB=x=y\n;c=d\n[ZETA]\nK=v2\n"));
    const std::wstring text = Dump(ini);
    KIniWrapEx again;
    EXPECT_TRUE(again.Parse(text));
    EXPECT_EQ(text, Dump(again));
}

TEST(KIniWrapExLookup, IgnoresCaseAndAnswersEmptyWhenMissing)
{
    KIniWrapEx ini;
    ASSERT_TRUE(ini.Parse(L"[Common]\nTryNo = 7\n"));
    EXPECT_EQ(7, ini.GetInt(L"common", L"tryno"));
    EXPECT_EQ(L"7", ini.GetString(L"COMMON", L"TRYNO"));
    EXPECT_EQ(L"", ini.GetString(L"common", L"missing"));
    EXPECT_EQ(L"", ini.GetString(L"missing", L"tryno"));
    EXPECT_EQ(0, ini.GetInt(L"common", L"missing"));
    EXPECT_EQ(0, ini.GetInt(L"missing", L"tryno"));
}

TEST(KIniWrapExLookup, SetValueCreatesAndReplaces)
{
    KIniWrapEx ini;
    ini.SetValue(L"Net", L"Host", L"Example.COM");
    ini.SetValue(L"NET", L"PORT", L"80");
    ini.SetValue(L"net", L"port", L"8080");
    EXPECT_EQ(L"Example.COM", ini.GetString(L"net", L"host"));
    EXPECT_EQ(8080, ini.GetInt(L"Net", L"Port"));
    EXPECT_EQ(L"[net]\r\nhost=Example.COM\r\nport=8080\r\n", Dump(ini));
    ini.Clear();
    EXPECT_TRUE(ini.IsEmpty());
    EXPECT_EQ(L"", Dump(ini));
}

TEST(KIniWrapExLookup, GetIntReadsLikeWtoi)
{
    const struct {
        std::wstring_view value;
        int expected;
    } cases[] = {
        {L"7", 7},
        {L"-12abc", -12},
        {L"+5", 5},
        {L" \t 42", 42},
        {L"1 2", 1},
        {L"000000000000000000000012", 12},
        {L"2147483647", INT_MAX},
        {L"-2147483648", INT_MIN},
        // Out of range saturates instead of wrapping.
        {L"2147483648", INT_MAX},
        {L"-2147483649", INT_MIN},
        {L"99999999999999999999999999", INT_MAX},
        {L"-99999999999999999999999999", INT_MIN},
        {L"", 0},
        {L"abc", 0},
        {L"-", 0},
        {L"+-1", 0},
        {L"0x1A", 0},
        {L"\uFF11", 0}, // only ASCII digits count
    };
    for (const auto& c : cases) {
        KIniWrapEx ini;
        ini.SetValue(L"s", L"k", c.value);
        EXPECT_EQ(c.expected, ini.GetInt(L"s", L"k")) << Units(std::wstring(c.value));
    }
}

TEST(KIniWrapExLoadFromUtf8, Table)
{
    const struct {
        const char* name;
        std::string_view bytes;
        bool ok;
        std::wstring_view stored;
    } cases[] = {
        {"LF", "[Common]\nTryNo = 7\n", true, L"[common]\r\ntryno=7\r\n"},
        {"CRLF same as LF", "[Common]\r\nTryNo = 7\r\n", true, L"[common]\r\ntryno=7\r\n"},
        {"lone CR ends a line", "[a]\rk=v\rm=n", true, L"[a]\r\nk=v\r\nm=n\r\n"},
        {"byte-order mark skipped", "\xEF\xBB\xBF[a]\nk=v", true, L"[a]\r\nk=v\r\n"},
        {"non-ASCII text", "[\xE7\xBB\xB4]\nname=\xE7\xBB\xB4\xE8\x8E\xAB\xE6\x8B\x89 \xF0\x9F\x98\x80", true,
         L"[\u7EF4]\r\nname=\u7EF4\u83AB\u62C9 \U0001F600\r\n"},
        {"malformed UTF-8 becomes U+FFFD", "[a]\nk=\xFF\xC3(\xE4\xB8", true, L"[a]\r\nk=\uFFFD\uFFFD(\uFFFD\r\n"},
        {"NUL byte ends the text", "[a]\nk=v\0\n[b]\nx=y"sv, true, L"[a]\r\nk=v\r\n"},
        {"empty", "", true, L""},
        {"NUL first", "\0[a]\nk=v"sv, true, L""},
        {"no section", "just text\n", false, L""},
        {"stops at invalid line", "[a]\r\nk=v\r\n;comment\r\nm=n\r\n", false, L"[a]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KIniWrapEx ini;
        ini.SetValue(L"old", L"k", L"v"); // replaced, never merged
        EXPECT_EQ(c.ok, ini.LoadFromUtf8(c.bytes));
        EXPECT_EQ(std::wstring(c.stored), Dump(ini));
    }
}

TEST(KIniWrapExParse, HostileInputStaysLinear)
{
    // A long section name followed by many keys, and many one-key sections: both must stay fast.
    std::string text = "[" + std::string(1 << 20, 'S') + "]\n";
    for (int i = 0; i < 200000; ++i)
        text += "k=v\n";
    for (int i = 0; i < 50000; ++i)
        text += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    KIniWrapEx ini;
    EXPECT_TRUE(ini.LoadFromUtf8(text));
    EXPECT_EQ(L"v", ini.GetString(std::wstring(1 << 20, L's'), L"k"));
    EXPECT_EQ(49999, ini.GetInt(L"S49999", L"K"));
}

TEST(Utf8ToWide, Table)
{
    const struct {
        std::string_view utf8;
        std::wstring_view wide;
    } cases[] = {
        {"", L""},
        {"plain ascii", L"plain ascii"},
        {"a\0b"sv, L"a\0b"sv},
        {"\xC2\x80\xDF\xBF", L"\u0080\u07FF"},
        {"\xE0\xA0\x80\xEF\xBF\xBF", L"\u0800\uFFFF"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", L"\U00010000\U0010FFFF"},
        {"\xEF\xBB\xBF", L"\uFEFF"},
        // One U+FFFD per maximal ill-formed subsequence.
        {"\x80", L"\uFFFD"},
        {"\xBF\x80", L"\uFFFD\uFFFD"},
        {"\xC0\x80", L"\uFFFD\uFFFD"},         // overlong NUL
        {"\xC1\xBF", L"\uFFFD\uFFFD"},         // overlong
        {"\xE0\x80\x80", L"\uFFFD\uFFFD\uFFFD"}, // overlong, rejected at the second byte
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xF5\x80", L"\uFFFD\uFFFD"},
        {"\xFE\xFF", L"\uFFFD\uFFFD"},
        {"\xE4\xB8", L"\uFFFD"},               // truncated at the end
        {"\xE4\xB8" "A", L"\uFFFD" L"A"},      // truncated, next character kept
        {"\xF0\x9F\x98" "\xE4\xB8\x80", L"\uFFFD\u4E00"},
        {"\xC3" "\xC3\xA9", L"\uFFFD\u00E9"},
    };
    for (const auto& c : cases) {
        const std::wstring got = Utf8ToWide(c.utf8);
        EXPECT_EQ(std::wstring(c.wide), got) << "got " << Units(got);
        EXPECT_LE(got.size(), c.utf8.size());
    }
}

} // namespace
