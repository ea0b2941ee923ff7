#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell/Drives.h"

namespace {

struct FakeDrive {
    unsigned freeMB = 0;
    bool removable = false;
    bool writable = true;
};

class FakeDrives : public IDriveProbe {
public:
    explicit FakeDrives(std::map<wchar_t, FakeDrive> drives) : m_drives(std::move(drives)) {}

    bool RootExists(const std::wstring& root) override {
        rootsAsked.push_back(root);
        return Find(root) != nullptr;
    }
    bool IsRemovable(const std::wstring& root) override { return Find(root)->removable; }
    unsigned FreeSpaceMB(const std::wstring& root) override { return Find(root)->freeMB; }
    bool IsWritable(const std::wstring& drive) override {
        writableAsked.push_back(drive);
        return Find(drive)->writable;
    }

    std::vector<std::wstring> rootsAsked;
    std::vector<std::wstring> writableAsked;

private:
    const FakeDrive* Find(const std::wstring& text) const {
        const auto it = m_drives.find(text.at(0));
        return it == m_drives.end() ? nullptr : &it->second;
    }
    std::map<wchar_t, FakeDrive> m_drives;
};

constexpr unsigned kGB = 1024;

TEST(DownloadDrive, ChoosesTableOfMachines) {
    const struct {
        const char* what;
        std::map<wchar_t, FakeDrive> drives;
        std::wstring expected;
    } cases[] = {
        {"most free space wins", {{L'C', {10 * kGB}}, {L'D', {50 * kGB}}}, L"D:\\velmoraDownload"},
        {"a removable drive is skipped", {{L'C', {10 * kGB}}, {L'D', {50 * kGB, true}}}, L"C:\\velmoraDownload"},
        {"a tie keeps the earlier letter", {{L'C', {20 * kGB}}, {L'D', {20 * kGB}}}, L"C:\\velmoraDownload"},
        {"an unwritable drive is skipped",
         {{L'C', {10 * kGB}}, {L'D', {50 * kGB, false, false}}},
         L"C:\\velmoraDownload"},
        {"the last letter counts", {{L'C', {1}}, {L'Z', {2}}}, L"Z:\\velmoraDownload"},
        {"A: and B: are never taken", {{L'A', {99 * kGB}}, {L'B', {99 * kGB}}, {L'E', {1}}}, L"E:\\velmoraDownload"},
        {"no drive at all", {}, L"velmoraDownload"},
        {"less than 1 MB free everywhere", {{L'C', {0}}, {L'D', {0}}}, L"velmoraDownload"},
        {"nothing writable", {{L'C', {10 * kGB, false, false}}}, L"velmoraDownload"},
        {"only removable drives", {{L'E', {10 * kGB, true}}}, L"velmoraDownload"},
    };
    for (const auto& c : cases) {
        FakeDrives drives(c.drives);
        EXPECT_EQ(ChooseDownloadRoot(drives), c.expected) << c.what;
    }
}

TEST(DownloadDrive, AsksEachRootOnceAndWritabilityOnlyOfABetterDrive) {
    FakeDrives drives({{L'C', {100}}, {L'D', {50}}, {L'E', {200}}, {L'F', {200}}, {L'G', {300, true}}});
    ChooseDownloadRoot(drives);
    ASSERT_EQ(drives.rootsAsked.size(), 24u);
    EXPECT_EQ(drives.rootsAsked.front(), L"C:\\");
    EXPECT_EQ(drives.rootsAsked.back(), L"Z:\\");
    // The probe file goes to the bare drive; D: (smaller), F: (a tie) and G: (removable) are never written to.
    EXPECT_EQ(drives.writableAsked, (std::vector<std::wstring>{L"C:", L"E:"}));
}

}  // namespace
