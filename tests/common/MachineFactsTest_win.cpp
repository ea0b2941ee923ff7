#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/MachineFacts.h"
#include "common/OsVersion.h"
#include "common/WinTestSupport_win.h"

namespace {

std::wstring SystemFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + name;
}

// Wine answers the Windows version its prefix is configured for (Windows 7 under Wine 8, Windows 10 later), a
// workstation. From 6.2 on the code comes from the true version, which ntdll does not hide.
TEST(MachineFacts, OsVersionCodeOfThisSystem) {
    unsigned long major = 0, minor = 0, build = 0;
    ASSERT_TRUE(GetNtVersionNumbers(major, minor, build));
    EXPECT_LE(build, 0xFFFFu);
    const int code = GetOsVersionCode();
    std::printf("NT version %lu.%lu.%lu, OS code %d\n", major, minor, build, code);

    const struct {
        unsigned long major, minor;
        int code;
    } expectations[] = {
        {6, 1, kOsWin7}, {6, 2, kOsWin8}, {6, 3, kOsWin81}, {10, 0, build >= 21996 ? kOsWin11 : kOsWin10}};
    bool known = false;
    for (const auto& e : expectations) {
        if (e.major != major || e.minor != minor) continue;
        known = true;
        EXPECT_EQ(code, e.code);
    }
    EXPECT_TRUE(known) << "unexpected system version";
    EXPECT_EQ(GetOsVersionCode(), code);
}

TEST(MachineFacts, ArchitectureOfA64BitSystem) {
    // The Wine prefix of the tests is a 64-bit one.
    EXPECT_EQ(GetArchitecture(), 2);
    EXPECT_EQ(GetArchitecture(), 2);
}

// Wine writes the number of the version the prefix was made for; it need not follow a later change of version.
TEST(MachineFacts, CurrentBuildNumberOfThisSystem) {
    int build = 0;
    ASSERT_TRUE(GetCurrentBuildNumber(build));
    std::printf("CurrentBuildNumber %d\n", build);
    EXPECT_GT(build, 0);
}

TEST(MachineFacts, FileVersionFromTheRootBlock) {
    unsigned long high = 0, low = 0;
    ASSERT_TRUE(GetFileVersion(SystemFile(L"kernel32.dll"), high, low));
    EXPECT_GE(HIWORD(high), 5u);

    // The kernel file is the fallback of the true version.
    EXPECT_TRUE(GetFileVersion(SystemFile(L"ntoskrnl.exe"), high, low));

    // This test program has no version resource.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    high = low = 7;
    EXPECT_FALSE(GetFileVersion(self, high, low));
    EXPECT_FALSE(GetFileVersion(SystemFile(L"no-such-file.dll"), high, low));
    EXPECT_EQ(high, 7u);
    EXPECT_EQ(low, 7u);
}

TEST(MachineFacts, DotNet4ClientNeedsInstallDwordOne) {
    wintest::ScratchRegistryValue install(HKEY_LOCAL_MACHINE,
                                          L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client", L"Install");
    ASSERT_TRUE(install.SetDword(1));
    EXPECT_TRUE(IsDotNet4ClientInstalled());
    ASSERT_TRUE(install.SetDword(0));
    EXPECT_FALSE(IsDotNet4ClientInstalled());
    ASSERT_TRUE(install.SetDword(2));
    EXPECT_FALSE(IsDotNet4ClientInstalled());
    ASSERT_TRUE(install.SetString(L"1"));
    EXPECT_FALSE(IsDotNet4ClientInstalled());
    install.Remove();
    EXPECT_FALSE(IsDotNet4ClientInstalled());
}

}  // namespace
