// Load against real files in a scratch folder of its own (Windows only).

#include "common/KIniWrapEx.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/WinTestSupport_win.h"

namespace {

constexpr size_t kLimit = 2 * 1024 * 1024;


DWORD Attributes(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

long long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// An INI text of exactly `size` bytes whose last key sits at the very end, so a short read loses it.
std::string IniOfSize(size_t size)
{
    const std::string head = "[Big]\r\npad=";
    const std::string tail = "\r\nlast=end";
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

std::wstring Dump(const KIniWrapEx& ini)
{
    std::wstring text;
    ini.ToText(text);
    return text;
}

class KIniWrapExFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1];
        const DWORD len = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(len, 0u);
        // A non-ASCII folder name keeps the wide-path handling honest.
        dir_ = std::wstring(temp, len) + L"velmora-ini-\u6D4B\u8BD5-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }

    void TearDown() override
    {
        wintest::RemoveTree(dir_);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes(dir_));
    }

    std::wstring Path(const std::wstring& name) const { return dir_ + L"\\" + name; }

    std::wstring dir_;
};

TEST_F(KIniWrapExFile, CrlfFileReadsLikeLfFile)
{
    ASSERT_TRUE(wintest::WriteWholeFile(Path(L"crlf.ini"), "\xEF\xBB\xBF[Common]\r\nTryNo = 7\r\n\r\n[Net]\r\nHost=a.B\r\n"));
    ASSERT_TRUE(wintest::WriteWholeFile(Path(L"lf.ini"), "[Common]\nTryNo = 7\n[Net]\nHost=a.B\n"));
    KIniWrapEx crlf, lf;
    EXPECT_TRUE(crlf.Load(Path(L"crlf.ini"), false));
    EXPECT_TRUE(lf.Load(Path(L"lf.ini"), false));
    EXPECT_EQ(7, crlf.GetInt(L"COMMON", L"tryno"));
    EXPECT_EQ(L"a.B", crlf.GetString(L"net", L"HOST"));
    EXPECT_EQ(Dump(lf), Dump(crlf));
}

TEST_F(KIniWrapExFile, SizeLimit)
{
    const struct {
        size_t size;
        bool loaded;
    } cases[] = {{kLimit, true}, {kLimit + 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const std::wstring path = Path(L"big.ini");
        ASSERT_TRUE(wintest::WriteWholeFile(path, IniOfSize(c.size)));
        ASSERT_EQ(static_cast<long long>(c.size), FileSize(path));
        KIniWrapEx ini;
        ini.SetValue(L"old", L"k", L"v");
        EXPECT_EQ(c.loaded, ini.Load(path, false));
        EXPECT_EQ(c.loaded ? L"end" : L"", ini.GetString(L"big", L"last"));
        EXPECT_EQ(L"", ini.GetString(L"old", L"k"));
        EXPECT_EQ(c.loaded, !ini.IsEmpty());
    }
}

TEST_F(KIniWrapExFile, MissingFileWithoutCreateFlag)
{
    const std::wstring path = Path(L"sub\\missing.ini");
    KIniWrapEx ini;
    ini.SetValue(L"old", L"k", L"v");
    EXPECT_FALSE(ini.Load(path, false));
    EXPECT_TRUE(ini.IsEmpty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes(Path(L"sub")));
}

TEST_F(KIniWrapExFile, MissingFileWithCreateFlagMakesDirectoryChainAndEmptyFile)
{
    // Forward slashes as well: the directory maker wants backslashes.
    const std::wstring paths[] = {Path(L"a\\b\\c\\new.ini"), Path(L"x/y/new.ini"), Path(L"here.ini")};
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(testing::PrintToString(path));
        KIniWrapEx ini;
        ini.SetValue(L"old", L"k", L"v"); // a previous file's content must not survive
        EXPECT_TRUE(ini.Load(path, true));
        EXPECT_TRUE(ini.IsEmpty());
        EXPECT_EQ(0, FileSize(path));
    }
    EXPECT_NE(0u, Attributes(Path(L"a\\b\\c")) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(KIniWrapExFile, CreateFlagKeepsAnExistingFile)
{
    const std::wstring path = Path(L"kept.ini");
    ASSERT_TRUE(wintest::WriteWholeFile(path, "[s]\r\nk=v\r\n"));
    KIniWrapEx ini;
    EXPECT_TRUE(ini.Load(path, true));
    EXPECT_EQ(L"v", ini.GetString(L"s", L"k"));
    EXPECT_EQ(10, FileSize(path));
}

TEST_F(KIniWrapExFile, UnreadablePaths)
{
    KIniWrapEx ini;
    EXPECT_FALSE(ini.Load(dir_, false)); // a directory
    EXPECT_FALSE(ini.Load(dir_, true));

    // The parent is a file, so neither the chain nor the file can be made.
    ASSERT_TRUE(wintest::WriteWholeFile(Path(L"plain"), "x"));
    EXPECT_FALSE(ini.Load(Path(L"plain\\sub\\new.ini"), true));
    EXPECT_EQ(1, FileSize(Path(L"plain")));

    // Held open without read sharing.
    const std::wstring locked = Path(L"locked.ini");
    ASSERT_TRUE(wintest::WriteWholeFile(locked, "[s]\r\nk=v\r\n"));
    HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(ini.Load(locked, true));
    EXPECT_TRUE(ini.IsEmpty());
    CloseHandle(h);
    EXPECT_TRUE(ini.Load(locked, true));
}

} // namespace
