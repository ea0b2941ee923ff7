#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/WinTestSupport_win.h"
#include "shell/PathText.h"
#include "shell/Paths.h"

namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ::WriteFile(file.Get(), "x", 1, &written, nullptr);
}

TEST(Paths, ExeDirHoldsThisProgram) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring dir = GetExeDir();
    EXPECT_EQ(dir, GetDirPart(module));
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_TRUE(IsFile(dir + GetFileNamePart(module)));
}

TEST(Paths, CreateDirTreeMakesEveryMissingLevel) {
    const wintest::TempFolder root(L"tree");
    const std::wstring deep = root / L"x\\y\\z";
    EXPECT_TRUE(CreateDirTree(deep));
    EXPECT_TRUE(IsDirectory(root / L"x"));
    EXPECT_TRUE(IsDirectory(root / L"x\\y"));
    EXPECT_TRUE(IsDirectory(deep));

    EXPECT_TRUE(CreateDirTree(deep));  // already there
    EXPECT_TRUE(CreateDirTree(root / L"p\\q\\"));
    EXPECT_TRUE(IsDirectory(root / L"p\\q"));

    // An existing file counts as existing.
    WriteFile(root / L"file");
    EXPECT_TRUE(CreateDirTree(root / L"file"));
    EXPECT_TRUE(IsFile(root / L"file"));
    EXPECT_FALSE(CreateDirTree(root / L"file\\below"));
}

TEST(Paths, CreateDirTreeOnAMissingDriveFails) {
    std::wstring missing;
    for (wchar_t letter = L'Y'; letter > L'C' && missing.empty(); --letter) {
        const std::wstring root{letter, L':', L'\\'};
        if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) missing = std::wstring{letter, L':'};
    }
    ASSERT_FALSE(missing.empty());
    EXPECT_FALSE(CreateDirTree(missing + L"\\x\\y\\z"));
    EXPECT_FALSE(CreateDirTreeReplacingFile(missing + L"\\x"));
}

TEST(Paths, CreateDirTreeReplacingFileDeletesOnlyAFileInTheWay) {
    const wintest::TempFolder root(L"replace");
    const std::wstring path = root / L"drvquillfentemp";

    WriteFile(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CreateDirTreeReplacingFile(path));
    EXPECT_TRUE(IsDirectory(path));

    // A directory that is already there keeps what it holds.
    WriteFile(path + L"\\kept.bin");
    EXPECT_TRUE(CreateDirTreeReplacingFile(path));
    EXPECT_TRUE(IsFile(path + L"\\kept.bin"));

    EXPECT_TRUE(CreateDirTreeReplacingFile(root / L"a\\b\\c"));
    EXPECT_TRUE(IsDirectory(root / L"a\\b\\c"));
}

TEST(Paths, InstallPathFromTheSetupKey) {
    wintest::ScratchRegistryValue installPath(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Velmora\\setup", L"installpath");
    const struct {
        const char* what;
        DWORD type;
        std::wstring stored;
        std::wstring expected;
    } cases[] = {
        {"plain", REG_SZ, L"C:\\Program Files\\Velmora", L"C:\\Program Files\\Velmora\\"},
        {"already ending in a backslash", REG_SZ, L"C:\\Velmora\\", L"C:\\Velmora\\"},
        {"expandable stays unexpanded", REG_EXPAND_SZ, L"%ProgramFiles%\\Velmora", L"%ProgramFiles%\\Velmora\\"},
        {"empty is no path, not the drive root", REG_SZ, L"", L""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(installPath.SetString(c.stored, c.type)) << c.what;
        EXPECT_EQ(GetInstallPath(), c.expected) << c.what;
    }
    ASSERT_TRUE(installPath.SetDword(1));
    EXPECT_EQ(GetInstallPath(), L"");
    installPath.Remove();
    EXPECT_EQ(GetInstallPath(), L"");
}

}  // namespace
