#include <gtest/gtest.h>
#include <tinyxml.h>
#include <windows.h>

#include <fstream>

#include "common/WinTestSupport_win.h"
#include "uikit/UikitTestSupport_win.h"
#include "uikit/doc/BkLayoutDoc.h"
#include "uikit/doc/BkResRegistry.h"
#include "uikit/doc/BkResource.h"
#include "uikit/doc/BkXml.h"

namespace {

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// Points the fallback files at a scratch folder for one test.
class ResourceFolder {
public:
    ResourceFolder() : m_temp(L"uikit_res") { BkSetResourceFolder(m_temp.Path()); }
    ~ResourceFolder() { BkSetResourceFolder(L""); }
    std::wstring operator/(const std::wstring& name) const { return m_temp / name; }

private:
    wintest::TempFolder m_temp;
};

TEST(BkResource, ProgramResourcesFirstThenFallbackFile) {
    ResourceFolder folder;
    std::string data;
    ASSERT_TRUE(BkFindResourceData(60002, L"xml", data));
    EXPECT_NE(std::string::npos, data.find("<string>"));
    ASSERT_TRUE(BkFindResourceData(101, L"PNG", data));  // type names ignore letter case
    EXPECT_EQ(std::string("\x89PNG", 4), data.substr(0, 4));

    EXPECT_FALSE(BkFindResourceData(4242, L"xml", data));
    WriteFile(folder / L"4242.xml", "<a/>");
    ASSERT_TRUE(BkFindResourceData(4242, L"xml", data));
    EXPECT_EQ("<a/>", data);

    WriteFile(folder / L"60002.xml", "<string/>");
    const std::vector<std::string> all = BkCollectResourceData(60002, L"xml");
    ASSERT_EQ(2u, all.size());
    EXPECT_NE(std::string::npos, all[0].find("微软雅黑"));  // the program's own comes first
    EXPECT_EQ("<string/>", all[1]);
    EXPECT_TRUE(BkCollectResourceData(4243, L"xml").empty());
}

TEST(BkRegistries, StringTableFirstIdWins) {
    BkStringTable& table = BkStringTable::Instance();
    ASSERT_TRUE(table.Load());
    ASSERT_NE(nullptr, table.Find(1));
    EXPECT_EQ(L"微软雅黑", *table.Find(1));
    EXPECT_EQ(L"宋体", *table.Find(2));
    EXPECT_EQ(L"维莫拉 %str2%", *table.Find(7));  // stored as written; expansion happens where texts are shown
    ASSERT_NE(nullptr, table.Find(8));
    EXPECT_EQ(L"", *table.Find(8));
    EXPECT_EQ(nullptr, table.Find(3));
    EXPECT_EQ(4u, table.Size());

    EXPECT_FALSE(table.ApplyDocument("<strings><s id=\"9\">x</s></strings>"));  // wrong root
    EXPECT_EQ(nullptr, table.Find(9));
}

TEST(BkRegistries, StylesFirstDefinitionWinsAcrossDocuments) {
    ResourceFolder folder;
    std::ifstream second(VELMORA_TEST_DATA_DIR "/uikit/styles_second.xml", std::ios::binary);
    WriteFile(folder / L"60001.xml", std::string(std::istreambuf_iterator<char>(second), {}));

    BkStyleRegistry& styles = BkStyleRegistry::Instance();
    ASSERT_TRUE(styles.Load());
    const BkStyle& left = styles.Find("left_12");
    EXPECT_EQ(0x525449u, left.crText);
    EXPECT_EQ(0x8024u, left.textMode);
    EXPECT_EQ(0x204, left.font);
    EXPECT_EQ(4, left.xMargin);
    EXPECT_EQ(4, left.yMargin);
    EXPECT_EQ("left_12", left.name);
    EXPECT_EQ(0xFE01, styles.Find("only_second").font);  // the second document still adds new names

    const BkStyle& link = styles.Find("link");
    EXPECT_EQ(kBkCursorHand, link.cursor);
    EXPECT_EQ(0u, link.crHover);  // a non-hexadecimal pair reads as 0
    EXPECT_EQ(0x8025u, link.textMode);
    const BkStyle& bad = styles.Find("bad_cursor");
    EXPECT_EQ(kBkCursorArrow, bad.cursor);
    EXPECT_EQ(0x030201u, bad.crText);  // attributes after the bad one still apply

    EXPECT_FALSE(styles.Contains("not_a_class"));
    const BkStyle& fallback = styles.Find("no_such_style");
    EXPECT_EQ(0x28u, fallback.textMode);
    EXPECT_EQ(kBkColorNone, fallback.crText);
    EXPECT_EQ(&fallback, &styles.Find(""));

    styles.Clear();
    EXPECT_TRUE(styles.Contains(""));  // the default survives a clear
}

TEST(BkRegistries, NothingFoundLeavesDefaults) {
    ResourceFolder folder;
    // The test program has no document 60000 of another type, and a broken fallback file is skipped.
    WriteFile(folder / L"60000.xml", "<skins><png name=\"late\" src=\"101\"/>");
    uitest::DebugOutputCapture capture;
    BkSkinRegistry& skins = BkSkinRegistry::Instance();
    ASSERT_TRUE(skins.Load());
    EXPECT_EQ(nullptr, skins.Find("late"));
    EXPECT_EQ(1u, capture.Lines().size());
    EXPECT_NE(nullptr, skins.Find("strip"));
    EXPECT_EQ(nullptr, skins.Find("unknown_tag"));
    EXPECT_EQ(nullptr, skins.Find("no_such_skin"));
}

// Records what the loader asks of a host.
class RecordingHost : public IBkLayoutHost {
public:
    explicit RecordingHost(HWND window = nullptr) : m_window(window) {}
    HWND LayoutWindow() override { return m_window; }
    void ResetLayout(const BkLayerInfo& defaults) override {
        ++resets;
        layer = defaults;
        sections.clear();
    }
    void ApplyLayer(const BkLayerInfo& info) override { layer = info; }
    void LoadSection(BkSection section, const TiXmlElement& element, bool dpiAware) override {
        sections.push_back(Name(section) + (dpiAware ? "+dpi" : "") + ":" + element.Value());
        if (section == BkSection::Header) headerText = BkElementText(element.FirstChildElement());
    }
    void SetSectionPos(BkSection section, const std::string& pos) override {
        sections.push_back(Name(section) + "=" + pos);
    }
    void OnLayoutLoaded(bool fills) override {
        loaded = true;
        headerFills = fills;
    }

    static std::string Name(BkSection s) {
        return s == BkSection::Header ? "header" : s == BkSection::Body ? "body" : "footer";
    }

    BkLayerInfo layer;
    std::vector<std::string> sections;
    std::wstring headerText;
    int resets = 0;
    bool loaded = false;
    bool headerFills = false;

private:
    HWND m_window;
};

TEST(BkLayoutDoc, LoadsRootAndSectionsFromResource) {
    ASSERT_TRUE(BkStringTable::Instance().Load());
    RecordingHost host;
    ASSERT_TRUE(BkLoadLayout(10000, host));
    EXPECT_EQ(1, host.resets);
    EXPECT_TRUE(host.loaded);
    EXPECT_FALSE(host.headerFills);
    EXPECT_EQ(L"维莫拉 微软雅黑", host.layer.title);
    EXPECT_EQ("wnd_frame", host.layer.frame);
    EXPECT_EQ(600, host.layer.width);
    EXPECT_EQ(400, host.layer.height);
    EXPECT_EQ(300, host.layer.minWidth);
    EXPECT_TRUE(host.layer.resizable);
    EXPECT_EQ(DWORD(WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), host.layer.style);
    EXPECT_EQ(DWORD(WS_EX_CONTROLPARENT | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE), host.layer.exStyle);
    const std::vector<std::string> expected = {"header:header",      "header=0,0,-0,80", "footer:footer",
                                               "footer=0,-30,-0,-0", "body:body",        "body=0,0,-0,-0"};
    EXPECT_EQ(expected, host.sections);
    EXPECT_EQ(L"宋体", host.headerText);
}

TEST(BkLayoutDoc, FullHeaderFillsTheWindow) {
    RecordingHost host;
    ASSERT_TRUE(BkLoadLayout(10001, host));
    EXPECT_TRUE(host.headerFills);
    EXPECT_TRUE(host.layer.dpiAware);
    EXPECT_EQ(DWORD(WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST), host.layer.exStyle);
    const std::vector<std::string> expected = {"header+dpi:header", "header=0,0,-0,0", "header=0,0,-0,-0"};
    EXPECT_EQ(expected, host.sections);

    // With a body beside it, "full" is only a height of 0.
    ASSERT_TRUE(BkLoadLayoutText("<layer><header height=\"full\"/><body/></layer>", host));
    EXPECT_FALSE(host.headerFills);
}

TEST(BkLayoutDoc, ParseErrorGoesToTheDebuggerAndInvalidates) {
    uitest::DebugOutputCapture capture;
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    ValidateRect(window, nullptr);
    RecordingHost host(window);
    EXPECT_FALSE(BkLoadLayout(10002, host));
    EXPECT_FALSE(host.loaded);
    EXPECT_EQ(1, host.resets);  // the sections were dropped before parsing
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_EQ(1u, lines.size());
    // "<body>" of line 3 is never closed: the parser stumbles over "</layer>" at the start of line 4.
    EXPECT_EQ(L"Error reading end tag., errorid=8, errorrow=4, errorcolom=1\n", lines[0]);
    DestroyWindow(window);
}

TEST(BkLayoutDoc, WrongRootMissingDocumentAndEmptyText) {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    ValidateRect(window, nullptr);
    RecordingHost host(window);
    EXPECT_FALSE(BkLoadLayout(10003, host));
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_FALSE(host.loaded);
    EXPECT_FALSE(BkLoadLayoutText("<Layer/>", host));  // the name is case-sensitive

    RecordingHost quiet;
    EXPECT_FALSE(BkLoadLayout(4321, quiet));
    EXPECT_EQ(0, quiet.resets);  // nothing found: the host is left alone
    uitest::DebugOutputCapture capture;
    EXPECT_FALSE(BkLoadLayoutText("", quiet));
    EXPECT_FALSE(BkLoadLayoutText("<?xml version=\"1.0\"?><!-- only a comment -->", quiet));
    DestroyWindow(window);
}

TEST(BkLayoutDoc, ChildWindowIgnoresTheWindowAttributes) {
    RecordingHost host;
    ASSERT_TRUE(BkLoadLayoutText("<layer child=\"1\" layered=\"1\" resize=\"1\" nomove=\"1\" holdsize=\"1\"/>", host));
    EXPECT_EQ(DWORD(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_MAXIMIZEBOX), host.layer.style);
    EXPECT_EQ(DWORD(WS_EX_CONTROLPARENT), host.layer.exStyle);
    EXPECT_FALSE(host.layer.noMove);
    EXPECT_FALSE(host.layer.holdSize);
    EXPECT_TRUE(host.sections.empty());
    EXPECT_TRUE(host.loaded);
}

TEST(BkXml, ElementTextTakesOnlyALeadingTextNode) {
    ASSERT_TRUE(BkStringTable::Instance().Load());
    TiXmlDocument doc;
    ASSERT_TRUE(BkParseXml("<r><a>%str1%%str2%</a><b><!-- c -->x</b><c><i/>y</c><d/></r>", doc));
    const TiXmlElement* root = doc.RootElement();
    EXPECT_EQ(L"微软雅黑%str2%", BkElementText(root->FirstChildElement("a")));
    EXPECT_EQ(L"", BkElementText(root->FirstChildElement("b")));
    EXPECT_EQ(L"", BkElementText(root->FirstChildElement("c")));
    EXPECT_EQ(L"", BkElementText(root->FirstChildElement("d")));
}

}  // namespace

namespace {

// The program itself carries the string table the start-up face choice relies on.
TEST(BkShippedResources, ProgramStringTable) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.erase(path.find_last_of(L'\\') + 1);
    path += VELMORA_PROGRAM_RELPATH;
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    HRSRC info = FindResourceW(program, MAKEINTRESOURCEW(kBkStringsDocId), L"xml");
    ASSERT_NE(nullptr, info);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, info)));
    const std::string text(bytes, SizeofResource(program, info));
    FreeLibrary(program);

    BkStringTable table;
    ASSERT_TRUE(table.ApplyDocument(text));
    ASSERT_NE(nullptr, table.Find(1));
    ASSERT_NE(nullptr, table.Find(2));
    EXPECT_EQ(L"微软雅黑", *table.Find(1));
    EXPECT_EQ(L"宋体", *table.Find(2));
}

}  // namespace
