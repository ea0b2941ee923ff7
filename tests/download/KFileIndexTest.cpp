// The content server's URL scheme of the file index.
#include <gtest/gtest.h>

#include "download/KFileIndex.h"

namespace {

TEST(KFileIndex, BuildContentUrl) {
    KIniWrapEx ini;
    ASSERT_TRUE(ini.Parse(L"[a.dll]\nSFN=a.dll.z\nRP=tools/x\nLP=%P\\bin\n"
                          L"[b.exe]\nSFN=b7.z\nRP=r\nLP=%Pdata%\\%sub%P\n"
                          L"[c.txt]\nSFN=c.z\n"
                          L"[d.txt]\nRP=r\nLP=x\n"));
    KFileIndex index;
    index.Load(ini, 12, L"http://cdn.example/cratel/bin");
    EXPECT_TRUE(index.IsLoaded());

    struct Case {
        const wchar_t* name;
        bool ok;
        const wchar_t* url;
        const wchar_t* relative;
    } cases[] = {
        // "%P" gone, the backslash after it stays: the final path gets a doubled backslash, which Windows accepts.
        {L"a.dll", true, L"http://cdn.example/cratel/bin/12/cratel/tools/x/a.dll.z", L"\\bin\\a.dll"},
        {L"b.exe", true, L"http://cdn.example/cratel/bin/12/cratel/r/b7.z", L"data\\sub\\b.exe"},
        {L"c.txt", true, L"http://cdn.example/cratel/bin/12/cratel//c.z", L"\\c.txt"},
        {L"d.txt", false, L"", L""},
        {L"nosuch", false, L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring url, relative;
        EXPECT_EQ(index.BuildContentUrl(c.name, url, relative), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(url, c.url) << c.name;
        EXPECT_EQ(relative, c.relative) << c.name;
    }
}

}  // namespace
