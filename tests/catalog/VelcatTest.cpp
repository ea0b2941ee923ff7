#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CatalogCheck.h"
#include "CatalogTestSupport.h"
#include "JsonLayout.h"
#include "ToolFiles.h"
#include "Velcat.h"
#include "common/BkJsonEx.h"
#include "common/Utf8.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A scratch folder with a Chinese name, so the Windows build proves it opens wide paths.
class VelcatTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                fs::u8path("velcat_测试_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const char* name) const { return (m_dir / name).u8string(); }

    int Run(std::vector<std::string> arguments) {
        m_out.str("");
        m_err.str("");
        return RunVelcat(arguments, m_out, m_err);
    }

    std::string Read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
        return bytes;
    }

    fs::path m_dir;
    std::ostringstream m_out, m_err;
};

std::wstring Canonical(const std::string& utf8) {
    BkJsonEx::Document document;
    EXPECT_TRUE(document.Parse(Utf8ToWide(utf8).c_str()));
    return document.Serialize();
}

TEST_F(VelcatTest, PackUnpackPackRoundTrip) {
    const std::string source = cattest::ReadFixture("two_tables_one_tool.json");
    ASSERT_TRUE(WriteFileBytes(PathOf("source.json"), source));

    ASSERT_EQ(Run({"pack", PathOf("source.json"), PathOf("packed.dat")}), kVelcatOk) << m_err.str();
    EXPECT_NE(m_out.str().find("1 tool, 2 categories, 2 cards, 1 banner"), std::string::npos) << m_out.str();
    // The fixture was packed by an independent script: the bytes must agree.
    EXPECT_EQ(Read(PathOf("packed.dat")), cattest::ReadFixture("two_tables_one_tool.dat"));

    ASSERT_EQ(Run({"unpack", PathOf("packed.dat"), PathOf("unpacked.json")}), kVelcatOk) << m_err.str();
    const std::string unpacked = Read(PathOf("unpacked.json"));
    EXPECT_EQ(Canonical(unpacked), Canonical(source));
    EXPECT_LT(unpacked.find("\"softlist\""), unpacked.find("\"table\"")) << "members keep their written order";

    ASSERT_EQ(Run({"pack", PathOf("unpacked.json"), PathOf("repacked.dat")}), kVelcatOk) << m_err.str();
    CatalogLists first, second;
    const std::string a = Read(PathOf("packed.dat")), b = Read(PathOf("repacked.dat"));
    ASSERT_EQ(DecodeCatalog(cattest::Bytes(a), a.size(), 8, first), CatalogError::kNone);
    ASSERT_EQ(DecodeCatalog(cattest::Bytes(b), b.size(), 8, second), CatalogError::kNone);
    ASSERT_EQ(second.tables.size(), 2u);
    ASSERT_EQ(second.tables[0].items.size(), 2u);
    EXPECT_EQ(second.tables[0].items[1].name, first.tables[0].items[1].name);
    EXPECT_EQ(second.softs[0].checkFiles, first.softs[0].checkFiles);

    ASSERT_EQ(Run({"unpack", "--raw", PathOf("packed.dat"), "-"}), kVelcatOk);
    EXPECT_EQ(m_out.str(), source);
}

TEST_F(VelcatTest, PackRemovesAByteOrderMarkAndRefusesWhatCannotLoad) {
    ASSERT_TRUE(WriteFileBytes(PathOf("bom.json"), "\xEF\xBB\xBF{\"table\": []}"));
    EXPECT_EQ(Run({"pack", PathOf("bom.json"), PathOf("bom.dat")}), kVelcatOk) << m_err.str();
    EXPECT_NE(m_err.str().find("warning: text: starts with a UTF-8 byte-order mark; pack removes it"),
              std::string::npos);
    EXPECT_EQ(Read(PathOf("bom.dat")), PackCatalogFile("{\"table\": []}"));

    struct Case {
        std::string text;
        const char* message;
    };
    const Case refused[] = {
        {"{\"table\": [", "line 1, column 12"},
        {"[]", "the catalogue is an array, not an object"},
        {"{\"table\": []}\0{"s, "NUL byte"},
        {"{\"table\": [{\"id\": \"1\"}]}", "1 error; nothing written"},
    };
    for (const Case& c : refused) {
        ASSERT_TRUE(WriteFileBytes(PathOf("bad.json"), c.text));
        fs::remove(m_dir / "bad.dat");
        EXPECT_EQ(Run({"pack", PathOf("bad.json"), PathOf("bad.dat")}), kVelcatFailed) << c.text;
        EXPECT_NE(m_err.str().find(c.message), std::string::npos) << m_err.str();
        EXPECT_FALSE(fs::exists(m_dir / "bad.dat")) << c.text;
    }
    // --force writes a catalogue with errors, which still count in the exit status.
    EXPECT_EQ(Run({"pack", "--force", PathOf("bad.json"), PathOf("bad.dat")}), kVelcatFailed);
    EXPECT_TRUE(fs::exists(m_dir / "bad.dat"));
}

TEST_F(VelcatTest, CommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* output;  // in out or err
    };
    const Case cases[] = {
        {{"--help"}, kVelcatOk, "velcat check FILE..."},
        {{}, kVelcatUsage, "no command given"},
        {{"frobnicate"}, kVelcatUsage, "unknown command 'frobnicate'"},
        {{"pack", "only-one"}, kVelcatUsage, "pack needs"},
        {{"unpack", "--pretty", "a", "b"}, kVelcatUsage, "unknown option --pretty"},
        {{"check"}, kVelcatUsage, "check needs at least one file"},
        {{"check", cattest::FixturePath("two_tables_one_tool.dat")}, kVelcatOk, "(1 tool, 2 categories"},
        {{"check", cattest::FixturePath("bom_before_json.dat")}, kVelcatFailed, "byte-order mark"},
        {{"check", cattest::FixturePath("magic_only.dat")}, kVelcatFailed, "file: the file holds the header"},
        {{"check", cattest::FixturePath("no_such_file.dat")}, kVelcatFailed, "cannot read the file"},
        {{"unpack", cattest::FixturePath("unscrambled_json_no_magic.dat"), "-"}, kVelcatFailed, "not packed?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.arguments), c.status) << c.output;
        EXPECT_NE((m_out.str() + m_err.str()).find(c.output), std::string::npos) << m_out.str() << m_err.str();
    }
}

// Each case: a catalogue, and one finding it must produce.
TEST(VelcatCheck, FindsWhatAPublisherShouldFix) {
    const std::string tool =
        R"({"softid": 1, "type": 3, "config": "http://h/x.zip", "checkFile": [{"name": "x.exe"}]})";
    auto withItem = [&](const std::string& item) {
        return R"({"softlist": [)" + tool + R"(], "table": [{"id": 1, "title": "清理", "softlist": [)" + item + "]}]}";
    };
    auto withSoft = [&](const std::string& soft) { return R"({"softlist": [)" + soft + "]}"; };
    struct Case {
        std::string json;
        Severity severity;
        std::string finding;
    };
    const Case cases[] = {
        {withItem(R"({"itemid": 3, "name": "垃圾", "softid": "1", "runfilename": "x.exe"})"), Severity::kError,
         R"(table[0] (id 1 "清理") softlist[0] (itemid 3 "垃圾"): "softid" is a quoted text "1"; the program reads )"
         "it as 0 (write a plain whole number)"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": 5})"), Severity::kError,
         R"("name" is the number 5; the program reads it as empty text)"},
        {withItem(R"({"itemid": 3, "softid": 1.5})"), Severity::kError, "a number with a decimal point"},
        {withItem(R"({"itemid": 4294967296})"), Severity::kError, "beyond 32 bits"},
        {withItem(R"(7)"), Severity::kError, "softlist[0] (itemid 0): is the number 7, not an object"},
        {withItem(R"({"itemid": 3, "softid": 2, "name": "a"})"), Severity::kError,
         "softid 2 has no entry in \"softlist\""},
        {withItem(R"({"itemid": 3, "softid": 0, "name": "a"})"), Severity::kError, "\"runfilename\" is empty"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "icon": "http://h/i.png"})"), Severity::kError,
         "\"icon_md5\" is missing"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "icon_md5": "..\\..\\x"})"), Severity::kError,
         "is not 32 hexadecimal digits"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "os": " "})"), Severity::kError, "only white space"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "os": "win7"})"), Severity::kError,
         "names no Windows version (codes 1 to 13), so the card is shown only where the version is not recognised"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "os": "99"})"), Severity::kError, "shown nowhere"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "os": "8,"})"), Severity::kWarning, "empty piece"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "sofid": 1})"), Severity::kWarning,
         "line 1, table[0].softlist[0]: member \"sofid\" is not read by the program"},
        {withItem(R"({"itemid": 3, "softid": 1, "name": "a", "name": "b"})"), Severity::kWarning,
         "member \"name\" appears again; the program uses the last one"},
        {withSoft(tool + "," + tool), Severity::kError,
         "softlist[1] (softid 1): softid 1 is used again (first by softlist[0])"},
        {withSoft(R"({"softid": 1, "type": 5, "config": "u"})"), Severity::kError, "must be 1 to 4"},
        {withSoft(R"({"softid": 1, "type": 1})"), Severity::kError, "\"config\" (the package URL) is empty"},
        {withSoft(R"({"softid": 1, "type": 1, "config": "u", "checkFile": [{"name": "C:\\t\\x.exe"}]})"),
         Severity::kError, "checkFile[0]: \"name\" \"C:\\t\\x.exe\" is an absolute path"},
        {withSoft(R"({"softid": 1, "type": 1, "config": "u", "checkFile": [{"name": "/x.exe"}]})"), Severity::kError,
         "is an absolute path"},
        {withSoft(R"({"softid": 1, "type": 1, "config": "u", "checkFile": [{"name": "a\\..\\..\\x.exe"}]})"),
         Severity::kError, "climbs out of the tool's folder"},
        {withSoft(R"({"softid": 1, "type": 1, "config": "u", "checkFile": [{"file": "x.exe"}]})"), Severity::kError,
         "checkFile[0]: \"name\" is empty"},
        {withSoft(R"({"softid": 1, "type": 1, "config": "u", "regRoot": "HKCU"})"), Severity::kWarning,
         "\"regRoot\" \"HKCU\" is neither"},
        {R"({"bannerList": [{"softid": 9, "title": "t"}]})", Severity::kError,
         "bannerList[0] (softid 9 \"t\"): softid 9 has no entry"},
        {R"({"table": [{"id": 1, "title": "t", "iconsel": "http://h/s.png"}]})", Severity::kError,
         "\"iconsel_md5\" is missing"},
        {R"({"table": "none"})", Severity::kError, "catalogue: \"table\" is a quoted text \"none\", not an array"},
        {"{\n  \"table\": [\n    {\"id\": 1,}\n  ]\n}", Severity::kError, "line 3, column 14: opening quote expected"},
        {R"({"table": []} {"table": []})", Severity::kWarning, "text after the end of the catalogue object"},
        {"\xEF\xBB\xBF{}", Severity::kWarning, "pack removes it"},
        {"{\"table\": [{\"title\": \"\xC0\xAF\"}]}", Severity::kError, "line 1: bytes that are not UTF-8"},
    };
    for (const Case& c : cases) {
        const CheckReport report = CheckCatalogJson(c.json);
        bool found = false;
        for (const Finding& f : report.findings)
            found = found || (f.severity == c.severity && f.text.find(c.finding) != std::string::npos);
        std::string all;
        for (const Finding& f : report.findings) all += f.text + "\n";
        EXPECT_TRUE(found) << "expected: " << c.finding << "\nin: " << c.json << "\ngot:\n" << all;
    }

    // The body of a packed file is what the program parses: there a byte-order mark breaks the load.
    const CheckReport packed = CheckCatalogBody("\xEF\xBB\xBF{}");
    EXPECT_FALSE(packed.loadable);
    EXPECT_EQ(packed.Count(Severity::kError), 1);
}

TEST(VelcatCheck, DemoCatalogueHasNoFindings) {
    std::string json;
    ASSERT_TRUE(ReadFileBytes(std::string(VELMORA_SOURCE_DIR) + "/companions/install/data/velmora_config.json", json));
    const CheckReport report = CheckCatalogJson(json);
    EXPECT_TRUE(report.loadable);
    for (const Finding& f : report.findings) ADD_FAILURE() << f.text;
    EXPECT_GE(report.lists.tables.size(), 3u);
    EXPECT_GE(report.lists.banners.size(), 2u);
}

TEST(JsonLayout, IndentKeepsTheDocument) {
    struct Case {
        const char* text;
        const char* indented;
    };
    const Case cases[] = {
        {R"({"a":[1,2],"b":{},"c":[ ]})", "{\n  \"a\": [\n    1,\n    2\n  ],\n  \"b\": {},\n  \"c\": []\n}\n"},
        {R"(  {"s" : "x, [y] {\"z\"}"}  )", "{\n  \"s\": \"x, [y] {\\\"z\\\"}\"\n}\n"},
        {"[1 2]", "[\n  1 2\n]\n"},  // stays invalid
        {"{\"a\":", "{\n  \"a\": \n"},
    };
    for (const Case& c : cases) EXPECT_EQ(IndentJson(c.text), c.indented) << c.text;
}

}  // namespace
