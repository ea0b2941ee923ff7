#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/RegistryRead.h"
#include "common/WinTestSupport_win.h"

namespace {

// Raw value bytes, so that texts without a NUL or with an odd length can be stored.
std::vector<BYTE> Bytes(const std::wstring& text, bool withNul) {
    const size_t bytes = (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t);
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(begin, begin + bytes);
}

std::vector<BYTE> Bytes(DWORD value) {
    const auto* begin = reinterpret_cast<const BYTE*>(&value);
    return std::vector<BYTE>(begin, begin + sizeof(value));
}

class RegistryReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_subKey = L"Software\\VelmoraTest\\RegistryRead" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  m_key.Receive(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        m_key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_subKey.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");  // only when nothing else is left in it
    }
    void Put(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(RegSetValueExW(m_key.Get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    std::wstring m_subKey;
    ScopedRegKey m_key;
};

TEST_F(RegistryReadTest, StringValuesTable) {
    const std::wstring longText(5000, L'x');
    const struct {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        bool ok;
        std::wstring expected;
    } cases[] = {
        {L"plain", REG_SZ, Bytes(L"C:\\Program Files\\Velmora", true), true, L"C:\\Program Files\\Velmora"},
        {L"stored without its NUL", REG_SZ, Bytes(L"abc", false), true, L"abc"},
        {L"odd byte count", REG_SZ, {'a', 0, 'b'}, true, L"ab"},
        {L"empty with NUL", REG_SZ, Bytes(L"", true), true, L""},
        {L"no bytes at all", REG_SZ, {}, true, L""},
        {L"embedded NUL ends the text", REG_SZ, Bytes(std::wstring(L"a\0b", 3), true), true, L"a"},
        {L"expandable stays unexpanded", REG_EXPAND_SZ, Bytes(L"%SystemRoot%\\x", true), true, L"%SystemRoot%\\x"},
        {L"long", REG_SZ, Bytes(longText, true), true, longText},
        {L"multi-string", REG_MULTI_SZ, Bytes(std::wstring(L"a\0b\0", 4), true), false, L""},
        {L"binary", REG_BINARY, Bytes(L"abc", true), false, L""},
        {L"number", REG_DWORD, Bytes(7), false, L""},
    };
    for (const auto& c : cases) Put(c.name, c.type, c.data);

    for (const auto& c : cases) {
        std::wstring value = L"untouched";
        EXPECT_EQ(RegReadString(m_key.Get(), c.name, value), c.ok) << c.name;
        EXPECT_EQ(value, c.ok ? c.expected : L"untouched") << c.name;
    }
    std::wstring value;
    EXPECT_FALSE(RegReadString(m_key.Get(), L"missing", value));
}

TEST_F(RegistryReadTest, DwordValuesTable) {
    const struct {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        bool ok;
        DWORD expected;
    } cases[] = {
        {L"one", REG_DWORD, Bytes(1), true, 1},
        {L"all bits", REG_DWORD, Bytes(0xFFFFFFFF), true, 0xFFFFFFFF},
        {L"two bytes only", REG_DWORD, {1, 0}, false, 0},
        {L"big endian", REG_DWORD_BIG_ENDIAN, Bytes(1), false, 0},
        {L"qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, false, 0},
        {L"binary of four bytes", REG_BINARY, Bytes(1), false, 0},
        {L"text", REG_SZ, Bytes(L"1", true), false, 0},
    };
    for (const auto& c : cases) Put(c.name, c.type, c.data);

    for (const auto& c : cases) {
        DWORD value = 12345;
        EXPECT_EQ(RegReadDword(m_key.Get(), c.name, value), c.ok) << c.name;
        EXPECT_EQ(value, c.ok ? c.expected : 12345u) << c.name;
    }
}

TEST_F(RegistryReadTest, OpensByPathAndReadsReadOnly) {
    Put(L"s", REG_SZ, Bytes(L"text", true));
    Put(L"d", REG_DWORD, Bytes(42));

    std::wstring text;
    DWORD number = 0;
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, m_subKey.c_str(), L"s", RegView::Default, text));
    EXPECT_EQ(text, L"text");
    EXPECT_TRUE(RegReadDword(HKEY_CURRENT_USER, m_subKey.c_str(), L"d", RegView::Default, number));
    EXPECT_EQ(number, 42u);
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, (m_subKey + L"\\missing").c_str(), L"s", RegView::Default, text));

    ScopedRegKey key;
    ASSERT_TRUE(RegOpenForRead(HKEY_CURRENT_USER, m_subKey.c_str(), RegView::Default, key));
    const DWORD value = 1;
    EXPECT_NE(RegSetValueExW(key.Get(), L"w", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
}

// HKLM\SOFTWARE is split into a 32-bit and a 64-bit branch; a 64-bit process sees the 64-bit one by default.
TEST(RegistryViews, Wow32ReadsTheThirtyTwoBitBranch) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "only a 64-bit process tells the views apart";
    const wchar_t* subKey = L"SOFTWARE\\VelmoraTest";
    const bool existed32 = wintest::KeyExists(HKEY_LOCAL_MACHINE, subKey, KEY_WOW64_32KEY);
    const bool existed64 = wintest::KeyExists(HKEY_LOCAL_MACHINE, subKey, KEY_WOW64_64KEY);

    auto put = [subKey](REGSAM view, const wchar_t* text) {
        ScopedRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                                  key.Receive(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.Get(), L"branch", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    };
    put(KEY_WOW64_32KEY, L"32");
    put(KEY_WOW64_64KEY, L"64");

    std::wstring value;
    EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, subKey, L"branch", RegView::Wow32, value));
    EXPECT_EQ(value, L"32");
    EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, subKey, L"branch", RegView::Default, value));
    EXPECT_EQ(value, L"64");

    for (const auto& [view, existed] : {std::pair{KEY_WOW64_32KEY, existed32}, std::pair{KEY_WOW64_64KEY, existed64}}) {
        ScopedRegKey key;
        if (existed && RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_SET_VALUE | view, key.Receive()) == 0) {
            RegDeleteValueW(key.Get(), L"branch");
        } else if (!existed) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey, view, 0);
        }
    }
}

}  // namespace
