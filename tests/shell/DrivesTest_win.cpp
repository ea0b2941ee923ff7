#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "common/WinTestSupport_win.h"
#include "shell/Drives.h"
#include "shell/Paths.h"

namespace {

// A drive letter that Wine (or Windows) does not map.
std::wstring MissingRoot() {
    for (wchar_t letter = L'Y'; letter > L'C'; --letter) {
        const std::wstring root{letter, L':', L'\\'};
        if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) return root;
    }
    return std::wstring();
}

std::wstring g_probePath;
unsigned long g_probeError = 0;
unsigned long FakeCreate(const std::wstring& path) {
    g_probePath = path;
    return g_probeError;
}

TEST(IsDirWritable, OnlyAccessDeniedMeansNotWritable) {
    const struct {
        unsigned long error;
        bool writable;
    } cases[] = {
        {ERROR_SUCCESS, true},     {ERROR_ACCESS_DENIED, false}, {ERROR_SHARING_VIOLATION, true},
        {ERROR_FILE_EXISTS, true}, {ERROR_PATH_NOT_FOUND, true}, {ERROR_WRITE_PROTECT, true},
    };
    for (const auto& c : cases) {
        g_probeError = c.error;
        EXPECT_EQ(IsDirWritableWith(L"D:", FakeCreate), c.writable) << c.error;
    }

    // "<dir>\<tick count>_test_write_access.tmp"
    const std::wstring suffix = L"_test_write_access.tmp";
    ASSERT_GT(g_probePath.size(), 3 + suffix.size());
    EXPECT_EQ(g_probePath.substr(0, 3), L"D:\\");
    EXPECT_EQ(g_probePath.substr(g_probePath.size() - suffix.size()), suffix);
    const std::wstring tick = g_probePath.substr(3, g_probePath.size() - 3 - suffix.size());
    ASSERT_FALSE(tick.empty());
    for (size_t i = 0; i < tick.size(); ++i) {
        EXPECT_TRUE(std::iswdigit(tick[i]) || (i == 0 && tick[i] == L'-')) << tick;
    }

    g_probePath.clear();
    EXPECT_FALSE(IsDirWritableWith(L"", FakeCreate));
    EXPECT_TRUE(g_probePath.empty());
}

TEST(IsDirWritable, RealFolderLeavesNothingBehind) {
    const wintest::TempFolder folder(L"writable");
    EXPECT_TRUE(IsDirWritable(folder.Path()));
    WIN32_FIND_DATAW entry;
    ScopedFindHandle find(FindFirstFileW((folder / L"*.tmp").c_str(), &entry));
    EXPECT_FALSE(find);
    EXPECT_FALSE(IsDirWritable(L""));
}

TEST(IsDirWritable, RealAccessDenied) {
    // Under Wine Z: is the Unix root, and sysfs refuses new files even to root.
    if (GetFileAttributesW(L"Z:\\sys\\kernel") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Z:\\sys here";
    EXPECT_FALSE(IsDirWritable(L"Z:\\sys"));
}

TEST(Drives, FreeSpaceInMegabytes) {
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    const unsigned long long expectedMB = free.QuadPart / (1024 * 1024);
    const unsigned mb = GetFreeSpaceMB(L"C:\\");
    // Other programs write meanwhile; a product computed in 32 bits would be off by far more.
    EXPECT_LT(mb > expectedMB ? mb - expectedMB : expectedMB - mb, 1024u) << mb << " vs " << expectedMB;

    const std::wstring missing = MissingRoot();
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(GetFreeSpaceMB(missing), 0u);
}

TEST(Drives, FixedAndMissingDrivesAreNotRemovable) {
    EXPECT_FALSE(IsRemovableDrive(L"C:\\"));
    EXPECT_FALSE(IsRemovableDrive(MissingRoot()));
    EXPECT_FALSE(IsRemovableDrive(L""));
}

// The real drives of this machine, once, as they are.
TEST(Drives, DownloadDirOnThisMachine) {
    bool existedBefore[26] = {};
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const std::wstring dir = std::wstring{letter, L':', L'\\'} + kDownloadFolderName;
        existedBefore[letter - L'A'] = GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    const std::wstring dir = GetDownloadDir();
    std::printf("download dir: %ls\n", dir.c_str());
    const std::wstring tail = std::wstring(kDownloadFolderName) + L"\\";
    ASSERT_GE(dir.size(), tail.size());
    EXPECT_EQ(dir.substr(dir.size() - tail.size()), tail);
    EXPECT_TRUE(dir == tail || (dir.size() == 3 + tail.size() && dir.substr(1, 2) == L":\\")) << dir;
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    if (dir.size() > tail.size() && !existedBefore[std::towupper(dir[0]) - L'A']) RemoveDirectoryW(dir.c_str());
    if (dir == tail) RemoveDirectoryW(dir.c_str());
}

}  // namespace
