#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "../common/WinTestSupport_win.h"
#include "common/KTime.h"
#include "common/RegistryRead.h"
#include "report/KInfocPublicInfo.h"

namespace {

using namespace KDirectInfoc;

// The shipped program is 32-bit; this 64-bit test reaches the same 32-bit branch through its real path.
const wchar_t kSetup32[] = L"Software\\Wow6432Node\\Velmora\\setup";
const wchar_t kSetupDefault[] = L"SOFTWARE\\Velmora\\setup";
const std::wstring kIdKey32 = std::wstring(L"Software\\Classes\\Wow6432Node\\") + kInstallationIdKey;

void WriteText(const std::wstring& path, const std::string& text) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
}

struct SetupValues {
    wintest::ScratchRegistryValue iid{HKEY_LOCAL_MACHINE, kSetup32, L"iid"};
    wintest::ScratchRegistryValue tid1{HKEY_LOCAL_MACHINE, kSetup32, L"tid1"};
    wintest::ScratchRegistryValue tid2{HKEY_LOCAL_MACHINE, kSetup32, L"tid2"};
    wintest::ScratchRegistryValue tod1{HKEY_LOCAL_MACHINE, kSetup32, L"tod1"};
    wintest::ScratchRegistryValue tod2{HKEY_LOCAL_MACHINE, kSetup32, L"tod2"};
    wintest::ScratchRegistryValue installTime{HKEY_LOCAL_MACHINE, kSetup32, L"installtime"};
    wintest::ScratchRegistryValue installPath{HKEY_LOCAL_MACHINE, kSetupDefault, L"installpath"};
    wintest::ScratchRegistryValue uuid{HKEY_LOCAL_MACHINE, kIdKey32, L"uuid"};
    wintest::ScratchRegistryValue svrid{HKEY_LOCAL_MACHINE, kIdKey32, L"svrid"};

    void RemoveAll() {
        for (auto* v : {&iid, &tid1, &tid2, &tod1, &tod2, &installTime, &installPath, &uuid, &svrid}) v->Remove();
    }
};

TEST(KInfocPublicInfo, SetupKeyAndFilesMissingGiveZerosAndDefaults) {
    SetupValues values;
    values.RemoveAll();
    const KPublicFacts f = KInfocPublicInfo::Gather();
    EXPECT_EQ(f.installId, (std::array<uint8_t, 16>{}));
    EXPECT_EQ(f.tid1, 0);
    EXPECT_EQ(f.tid2, 0);
    EXPECT_EQ(f.tod1, 0);
    EXPECT_EQ(f.tod2, 0);
    EXPECT_EQ(f.iid, 0);
    EXPECT_EQ(f.tryNo, 1000);
    EXPECT_EQ(f.version, 0);
    EXPECT_EQ(f.installTime, "");
    EXPECT_EQ(f.svrid, "");
    EXPECT_FALSE(f.systemCode.empty());
    EXPECT_NEAR(static_cast<double>(f.now), static_cast<double>(time(nullptr)), 5.0);
}

TEST(KInfocPublicInfo, SetupKeyAndFilesPresent) {
    SetupValues values;
    wintest::TempFolder install(L"publicinfo");
    CreateDirectoryW((install / L"data").c_str(), nullptr);
    CreateDirectoryW((install / L"ressrc").c_str(), nullptr);
    CreateDirectoryW((install / L"ressrc\\chs").c_str(), nullptr);
    WriteText(install / L"data\\baseconfig.dat", "[common]\r\nTryNo=4321\r\nVersion=1.0.0.1021\r\n");
    // version.ini is missing from data\, so the copy under ressrc\chs\ counts.
    WriteText(install / L"ressrc\\chs\\version.ini", "[infos]\r\nversion=2024.06.123456\r\n");

    ASSERT_TRUE(values.installPath.SetString(install.Path()));
    ASSERT_TRUE(values.iid.SetString(L"77"));
    ASSERT_TRUE(values.tid1.SetString(L"11"));
    ASSERT_TRUE(values.tid2.SetString(L"-12"));
    ASSERT_TRUE(values.tod1.SetString(L"13"));
    ASSERT_TRUE(values.tod2.SetString(L"x"));
    const DWORD installed = 1700000000;
    ASSERT_TRUE(values.installTime.SetDword(installed));
    ASSERT_TRUE(values.uuid.SetString(L"00112233445566778899aabbccddeeff"));
    const std::wstring svrid(30, L's');
    ASSERT_TRUE(values.svrid.SetString(svrid));

    const KPublicFacts f = KInfocPublicInfo::Gather();
    EXPECT_EQ(f.iid, 77);
    EXPECT_EQ(f.tid1, 11);
    EXPECT_EQ(f.tid2, -12);
    EXPECT_EQ(f.tod1, 13);
    EXPECT_EQ(f.tod2, 0);
    EXPECT_EQ(f.tryNo, 4321);
    EXPECT_EQ(f.version, 10211234);
    EXPECT_EQ(f.installTime, FormatInstallTime(KTime(installed).ToSystemTime()));
    EXPECT_EQ(f.installId[0], 0x00);
    EXPECT_EQ(f.installId[5], 0x55);
    EXPECT_EQ(f.installId[15], 0xFF);
    EXPECT_EQ(f.svrid, std::string(30, 's'));
}

TEST(KInfocPublicInfo, ShortSvridIsSentEmptyAndEmptiedInTheRegistry) {
    SetupValues values;
    ASSERT_TRUE(values.svrid.SetString(L"0123456789"));
    const KPublicFacts f = KInfocPublicInfo::Gather();
    EXPECT_EQ(f.svrid, "");
    std::wstring stored = L"unchanged";
    ASSERT_TRUE(RegReadString(HKEY_CLASSES_ROOT, kInstallationIdKey, L"svrid", RegView::Wow32, stored));
    EXPECT_EQ(stored, L"");
}

}  // namespace
