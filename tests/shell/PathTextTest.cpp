#include <gtest/gtest.h>

#include <string>

#include "shell/PathText.h"

namespace {

struct PathCase {
    std::wstring path;
    std::wstring dirPart;
    std::wstring fileNamePart;
    std::wstring cutLast;
};

const PathCase kCases[] = {
    {L"C:\\a\\b\\velmora.exe", L"C:\\a\\b\\", L"velmora.exe", L"C:\\a\\b"},
    {L"a/b\\c.txt", L"a/b\\", L"c.txt", L"a/b"},
    {L"a\\b/c.txt", L"a\\b/", L"c.txt", L"a"},  // cutting sees only backslashes
    {L"C:/a/b", L"C:/a/", L"b", L""},
    {L"velmora.exe", L"", L"velmora.exe", L""},
    {L"", L"", L"", L""},
    {L"C:\\a\\", L"C:\\a\\", L"", L"C:\\a"},
    {L"C:\\", L"C:\\", L"", L"C:"},
    {L"\\", L"\\", L"", L""},
    {L"\\\\server\\share", L"\\\\server\\", L"share", L"\\\\server"},
};

TEST(PathText, SplitsTableOfPaths) {
    for (const PathCase& c : kCases) {
        EXPECT_EQ(GetDirPart(c.path), c.dirPart) << c.path;
        EXPECT_EQ(GetFileNamePart(c.path), c.fileNamePart) << c.path;
        std::wstring cut = c.path;
        CutLastComponent(cut);
        EXPECT_EQ(cut, c.cutLast) << c.path;
    }
}

TEST(PathText, EnsureTrailingSlashTable) {
    const struct {
        std::wstring in;
        std::wstring out;
    } cases[] = {
        {L"C:\\a", L"C:\\a\\"}, {L"C:\\a\\", L"C:\\a\\"}, {L"C:\\a/", L"C:\\a/"}, {L"C:", L"C:\\"}, {L"", L"\\"},
    };
    for (const auto& c : cases) {
        std::wstring path = c.in;
        EnsureTrailingSlash(path);
        EXPECT_EQ(path, c.out) << c.in;
    }
}

}  // namespace
