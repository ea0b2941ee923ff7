// Proves the Windows tests run as Windows programs: under Wine the module path is a drive path.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>

TEST(WindowsHost, ModuleFileNameIsADrivePathWithBackslashes) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 3u);
    std::printf("module path: %ls\n", path);
    EXPECT_TRUE(std::iswalpha(path[0]));
    EXPECT_EQ(path[1], L':');
    EXPECT_EQ(path[2], L'\\');
    EXPECT_NE(wcsrchr(path, L'\\'), nullptr);
}
