#include <gtest/gtest.h>
#include <windows.h>

#include "../common/WinTestSupport_win.h"
#include "ZipTestSupport.h"
#include "common/ScopedWin.h"
#include "download/ExtractArchive.h"
#include "download/KZipReader.h"

using ziptest::Entry;
using ziptest::File;

namespace {

// Names in a folder, "." and ".." left out.
std::vector<std::wstring> List(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &data));
    if (!find) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

class ExtractArchiveTest : public ::testing::Test {
protected:
    // The archive lies beside the target folder, so anything that escapes "out" shows up in the scratch folder.
    bool Extract(const std::vector<Entry>& entries) {
        EXPECT_TRUE(wintest::WriteWholeFile(m_archive, ziptest::Build(entries)));
        return ExtractArchive(m_out, m_archive);
    }
    std::string Content(const std::wstring& relative) {
        std::string bytes;
        EXPECT_TRUE(wintest::ReadWholeFile(m_out + L"\\" + relative, bytes))
            << std::string(relative.begin(), relative.end());
        return bytes;
    }

    wintest::TempFolder m_scratch{L"zip"};
    std::wstring m_archive = m_scratch / L"tool.zip";
    std::wstring m_out = m_scratch / L"out";
};

TEST_F(ExtractArchiveTest, NoNameLeavesTheTargetFolder) {
    const std::vector<Entry> entries = {
        File("../../up_two.txt", "1"),      File("..\\..\\up_two_backslash.txt", "2"),
        File("C:\\drive.txt", "3"),         File("C:/Windows/drive_dir.txt", "4"),
        File("\\rooted.txt", "5"),          File("/rooted_slash.txt", "6"),
        File("sub/../../between.txt", "7"), File("deep/er/..\\../../between2.txt", "8"),
    };
    EXPECT_TRUE(Extract(entries));
    struct Case {
        const wchar_t* where;
        const char* content;
    } const cases[] = {
        {L"up_two.txt", "1"}, {L"up_two_backslash.txt", "2"}, {L"drive.txt", "3"},   {L"Windows\\drive_dir.txt", "4"},
        {L"rooted.txt", "5"}, {L"rooted_slash.txt", "6"},     {L"between.txt", "7"}, {L"between2.txt", "8"},
    };
    for (const Case& c : cases) EXPECT_EQ(Content(c.where), c.content);
    const std::vector<std::wstring> beside = List(m_scratch.Path());
    EXPECT_EQ(beside.size(), 2u);  // tool.zip and out, nothing else
}

TEST_F(ExtractArchiveTest, UnsafeNamesAreRefusedAndMakeTheToolIncomplete) {
    // Alternate streams and device names cannot be made safe: nothing is written for them.
    EXPECT_FALSE(
        Extract({File("app.exe", "MZ"), File("app.exe:payload", "x"), File("sub/NUL.txt", "n"), File("ok.txt", "ok")}));
    EXPECT_EQ(Content(L"app.exe"), "MZ");
    EXPECT_EQ(Content(L"ok.txt"), "ok");
    EXPECT_FALSE(wintest::FileExists(m_out + L"\\sub"));
}

TEST_F(ExtractArchiveTest, EmptyFilesDoNotEndTheExtraction) {
    const std::string big = ziptest::SampleText(300000, 7);
    Entry dir = File("tool/logs/", "");
    EXPECT_TRUE(Extract({File("tool/a.txt", "a"), File("tool/b.dll", big, true), File("tool/empty.cfg", ""),
                         File("tool/bin/run.exe", "MZrun", true), dir}));
    EXPECT_EQ(Content(L"tool\\a.txt"), "a");
    EXPECT_EQ(Content(L"tool\\b.dll"), big);
    EXPECT_EQ(Content(L"tool\\empty.cfg"), "");
    EXPECT_EQ(Content(L"tool\\bin\\run.exe"), "MZrun");
    const DWORD logs = GetFileAttributesW((m_out + L"\\tool\\logs").c_str());
    EXPECT_TRUE(logs != INVALID_FILE_ATTRIBUTES && (logs & FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(ExtractArchiveTest, AnEntryThatFailsLeavesNoFileAndTheAnswerIsFalse) {
    Entry encrypted = File("secret.dll", "scrambled");
    encrypted.flags = 0x0001;
    Entry badCrc = File("broken.dll", ziptest::SampleText(40000), true);
    badCrc.wrongCrc = true;
    Entry described = File("described.txt", ziptest::SampleText(20000, 3), true);
    described.dataDescriptor = true;

    EXPECT_FALSE(Extract({File("first.txt", "1"), encrypted, badCrc, described, File("last.txt", "L")}));
    EXPECT_FALSE(wintest::FileExists(m_out + L"\\secret.dll"));
    EXPECT_FALSE(wintest::FileExists(m_out + L"\\broken.dll"));
    EXPECT_EQ(Content(L"first.txt"), "1");
    EXPECT_EQ(Content(L"described.txt"), ziptest::SampleText(20000, 3));
    EXPECT_EQ(Content(L"last.txt"), "L");
}

TEST_F(ExtractArchiveTest, WhatIsNotAnArchiveIsFalse) {
    EXPECT_FALSE(ExtractArchive(m_out, L""));
    EXPECT_FALSE(ExtractArchive(m_out, m_scratch / L"missing.zip"));
    EXPECT_EQ(GetLastZipError(), ZipResult::kOpenFailed);
    ASSERT_TRUE(wintest::WriteWholeFile(m_archive, "MZ\x90 a program, not an archive"));
    EXPECT_FALSE(ExtractArchive(m_out, m_archive));
    EXPECT_EQ(GetLastZipError(), ZipResult::kNoArchive);
    EXPECT_TRUE(List(m_out).empty());
}

TEST_F(ExtractArchiveTest, AFileStandingWhereAFolderMustGoFailsTheEntry) {
    ASSERT_TRUE(CreateDirectoryW(m_out.c_str(), nullptr));
    ASSERT_TRUE(wintest::WriteWholeFile(m_out + L"\\bin", "a file"));
    EXPECT_FALSE(Extract({File("bin/run.exe", "MZ"), File("other.txt", "o")}));
    EXPECT_EQ(Content(L"other.txt"), "o");
}

TEST_F(ExtractArchiveTest, TimesAndAttributesReachTheFiles) {
    const std::uint32_t modified = 1600000000;  // 2020-09-13 12:26:40 UTC
    Entry stamped = File("stamped.txt", "t");
    stamped.localExtra = ziptest::UtBlock(1, {modified});
    Entry plain = File("plain.txt", "p");
    Entry readOnly = File("readonly.txt", "r");
    readOnly.external = 0100444u << 16;

    ASSERT_TRUE(Extract({stamped, plain, readOnly}));
    // The MS-DOS time is local time; what reaches the file is UTC.
    SYSTEMTIME dosLocal = {2025, 6, 0, 15, 10, 30, 8, 0};
    FILETIME local, dosUtc;
    ASSERT_TRUE(SystemTimeToFileTime(&dosLocal, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &dosUtc));
    const auto value = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };

    struct Case {
        const wchar_t* name;
        std::uint64_t write, access;
    } const cases[] = {
        {L"stamped.txt", UnixTimeToFileTimeValue(modified), value(dosUtc)},
        {L"plain.txt", value(dosUtc), value(dosUtc)},
    };
    for (const Case& c : cases) {
        ScopedHandle file(CreateFileW((m_out + L"\\" + c.name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        FILETIME created, accessed, written;
        ASSERT_TRUE(GetFileTime(file.Get(), &created, &accessed, &written));
        EXPECT_EQ(value(written), c.write);
        EXPECT_EQ(value(accessed), c.access);
    }
    const DWORD attributes = GetFileAttributesW((m_out + L"\\readonly.txt").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);

    // Unpacking again (a tool fetched once more) replaces the read-only file instead of failing on it.
    readOnly.data = "second";
    EXPECT_TRUE(Extract({readOnly}));
    EXPECT_EQ(Content(L"readonly.txt"), "second");
}

TEST(KZipReaderWin, RelativeTargetsLandInTheFolderCurrentAtOpening) {
    wintest::TempFolder scratch(L"zipbase");
    const std::wstring archive = scratch / L"a.zip";
    ASSERT_TRUE(wintest::WriteWholeFile(archive, ziptest::Build({File("x.txt", "x"), File("d/", "")})));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
    std::unique_ptr<KZipReader> reader = OpenArchive(archive);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->ExtractEntry(0, L"rel\\y.txt"), 0);
    EXPECT_EQ(reader->ExtractEntry(1, L"made\\here"), 0);
    CloseArchive(reader);
    std::string bytes;
    EXPECT_TRUE(wintest::ReadWholeFile(scratch / L"rel\\y.txt", bytes));
    EXPECT_EQ(bytes, "x");
    EXPECT_TRUE(wintest::FileExists(scratch / L"made\\here"));
}

}  // namespace
