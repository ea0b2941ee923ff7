#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "CatalogTestSupport.h"
#include "common/BkJsonEx.h"
#include "common/OsVersion.h"

using cattest::Bytes;
using cattest::DecodeJson;

namespace {

TEST(SoftCatalog, ReadsEveryMemberOfTheFixtureAndFiltersByOs) {
    const std::string image = cattest::ReadFixture("two_tables_one_tool.dat");
    SoftCatalog catalog;
    catalog.SetOsCode(kOsWin10);
    ASSERT_TRUE(catalog.LoadFromImage(Bytes(image), image.size()));

    ASSERT_EQ(catalog.GetSoftList().size(), 1u);
    const SoftEntry& soft = catalog.GetSoftList()[0];
    EXPECT_EQ(soft.softid, 7);
    EXPECT_EQ(soft.type, 3);
    EXPECT_EQ(soft.config, L"http://127.0.0.1:8731/soft/clean.zip");
    EXPECT_EQ(soft.regRoot, L"HKEY_CURRENT_USER");
    EXPECT_EQ(soft.regPath, L"Software\\VelmoraTest\\Clean");
    EXPECT_EQ(soft.regkey, L"InstallDir");
    EXPECT_EQ(soft.checkFiles, (std::vector<std::wstring>{L"Clean.exe", L"lang\\zh.dll"}));

    ASSERT_EQ(catalog.GetTableList().size(), 2u);
    const TableEntry& table = catalog.GetTableList()[0];
    EXPECT_EQ(table.id, 1);
    EXPECT_EQ(table.title, L"系统清理");
    EXPECT_EQ(table.iconnor_md5, L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(table.iconsel, L"http://127.0.0.1:8731/i/1s.png");
    EXPECT_EQ(table.details, L"清理");
    ASSERT_EQ(table.items.size(), 1u) << "the card for Windows 7 only is left out";
    const ItemEntry& item = table.items[0];
    EXPECT_EQ(item.itemid, 1);
    EXPECT_EQ(item.softid, 7);
    EXPECT_EQ(item.name, L"垃圾清理");
    EXPECT_EQ(item.details, L"一键清理");
    EXPECT_EQ(item.runfilename, L"Clean.exe");
    EXPECT_EQ(item.runcmd, L"");
    EXPECT_TRUE(catalog.GetTableList()[1].items.empty());

    ASSERT_EQ(catalog.GetBannerList().size(), 1u);
    const BannerEntry& banner = catalog.GetBannerList()[0];
    EXPECT_EQ(banner.softid, 7);
    EXPECT_EQ(banner.itemid, 0);
    EXPECT_EQ(banner.name, L"");
    EXPECT_EQ(banner.title, L"新品");
    EXPECT_EQ(banner.img_md5, L"00000000000000000000000000000003");
    EXPECT_EQ(banner.runfilename, L"Clean.exe");

    catalog.SetOsCode(kOsWin7);
    ASSERT_TRUE(catalog.LoadFromImage(Bytes(image), image.size()));
    EXPECT_EQ(catalog.GetTableList()[0].items.size(), 2u);
}

// A member of the wrong JSON type reads as 0 or empty, never fails the load.
TEST(SoftCatalog, ReadsItemMembersLeniently) {
    struct Case {
        const char* item;
        int softid;
        const wchar_t* name;
    };
    const Case cases[] = {
        {R"({"softid": 12, "name": "x"})", 12, L"x"},
        {R"({"softid": -5})", -5, L""},
        {R"({"softid": "12"})", 0, L""},  // quoted number
        {R"({"softid": 12.0})", 0, L""},  // decimal point
        {R"({"softid": true})", 0, L""},
        {R"({"softid": null})", 0, L""},
        {R"({"softid": [12]})", 0, L""},
        {R"({"softid": 2147483647})", INT_MAX, L""},
        {R"({"softid": 4294967297})", 0, L""},  // beyond 32 bits: 0, not the id 1
        {R"({"name": 5})", 0, L""},
        {R"({"name": {"a": "b"}})", 0, L""},
        {R"({"name": "first", "name": "second"})", 0, L"second"},
        {R"({})", 0, L""},
        {R"(5)", 0, L""},  // not an object: a card with nothing in it
    };
    for (const Case& c : cases) {
        CatalogLists lists;
        const std::string json = std::string(R"({"table": [{"id": 1, "softlist": [)") + c.item + "]}]}";
        ASSERT_EQ(DecodeJson(json, 0, lists), CatalogError::kNone) << c.item;
        ASSERT_EQ(lists.tables.at(0).items.size(), 1u) << c.item;
        EXPECT_EQ(lists.tables[0].items[0].softid, c.softid) << c.item;
        EXPECT_EQ(lists.tables[0].items[0].name, c.name) << c.item;
    }
}

TEST(SoftCatalog, MissingOrMistypedListsAreEmpty) {
    struct Case {
        const char* json;
        size_t softs, tables, banners, cardsInFirstTable, checkFilesOfFirstSoft;
    };
    const Case cases[] = {
        {R"({})", 0, 0, 0, 0, 0},
        {R"({"table": {}, "softlist": "x", "bannerList": 5})", 0, 0, 0, 0, 0},
        {R"({"table": [{"id": 1}]})", 0, 1, 0, 0, 0},
        {R"({"table": [{"id": 1, "softlist": {"itemid": 1}}]})", 0, 1, 0, 0, 0},
        {R"({"softlist": [{"checkFile": {"name": "a"}}]})", 1, 0, 0, 0, 0},
        {R"({"softlist": [{"checkFile": [{"name": "a"}, 7, {"name": 1}, {}]}]})", 1, 0, 0, 0, 4},
        {R"({"bannerList": [{}, null, "x"]})", 0, 0, 3, 0, 0},
        {R"({"softlist": [], "table": [], "bannerList": []} trailing text is ignored)", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CatalogLists lists;
        ASSERT_EQ(DecodeJson(c.json, 0, lists), CatalogError::kNone) << c.json;
        EXPECT_EQ(lists.softs.size(), c.softs) << c.json;
        EXPECT_EQ(lists.tables.size(), c.tables) << c.json;
        EXPECT_EQ(lists.banners.size(), c.banners) << c.json;
        if (!lists.tables.empty()) {
            EXPECT_EQ(lists.tables[0].items.size(), c.cardsInFirstTable) << c.json;
        }
        if (!lists.softs.empty()) {
            EXPECT_EQ(lists.softs[0].checkFiles.size(), c.checkFilesOfFirstSoft) << c.json;
        }
    }
}

// Member access on a value of another kind replaces it; reading must never do that, or handles would dangle.
TEST(SoftCatalog, ReadingNeverReplacesValues) {
    const wchar_t* text =
        LR"({"softlist": [3, {"softid": "x", "checkFile": "y"}], "table": [{"softlist": [[1], {"os": 8}]}, 2],)"
        LR"( "bannerList": {"a": 1}})";
    BkJsonEx::Document document;
    ASSERT_TRUE(document.Parse(text));
    BkJsonEx::Handle softs = document[L"softlist"];
    BkJsonEx::Handle tables = document[L"table"];
    CatalogLists lists;
    ASSERT_TRUE(ReadCatalogLists(document, 0, lists));
    EXPECT_EQ(lists.softs.size(), 2u);
    EXPECT_EQ(lists.tables.size(), 2u);
    EXPECT_EQ(lists.tables[0].items.size(), 2u) << "a numeric \"os\" reads as empty: shown everywhere";

    EXPECT_EQ(softs.GetType(), BkJsonEx::kTypeArray);
    EXPECT_EQ(softs[0].GetType(), BkJsonEx::kTypeLongLong);
    EXPECT_STREQ(softs[1][L"softid"].GetString(), L"x");
    EXPECT_STREQ(softs[1][L"checkFile"].GetString(), L"y");
    EXPECT_EQ(tables[0][L"softlist"][0].GetType(), BkJsonEx::kTypeArray);
    EXPECT_EQ(tables[0][L"softlist"][1][L"os"].GetInt64(), 8);
    EXPECT_EQ(tables[1].GetType(), BkJsonEx::kTypeLongLong);
    EXPECT_EQ(document[L"bannerList"].GetType(), BkJsonEx::kTypeObject);
}

TEST(SoftCatalog, OsFilter) {
    struct Case {
        const wchar_t* os;
        int code;
        bool shown;
    };
    const Case cases[] = {
        {L"", 12, true},
        {L"8,10", 8, true},
        {L"8,10", 10, true},
        {L"8,10", 12, false},
        {L"8,", 0, true},
        {L"8,", 12, false},
        {L",12", 0, true},
        {L" 12 , 13 ", 13, true},
        {L"\v12\f\r\n\t ", 12, true},
        {L" \t\n", 0, false},
        {L" ", 12, false},
        {L"abc", 0, true},
        {L"12abc", 12, true},
        {L"+12", 12, true},
        {L"-1", -1, true},
        {L"0x0c", 12, false},
        {L"99999999999", INT_MAX, true},
        {L"1 2", 12, false},
    };
    for (const Case& c : cases) EXPECT_EQ(PassesOsFilter(c.os, c.code), c.shown) << c.os << " on " << c.code;
}

TEST(SoftCatalog, LookupsFindTheFirstMatch) {
    const std::string json = R"({
        "softlist": [{"softid": 5, "type": 1}, {"softid": 5, "type": 2}, {"softid": 6, "type": 3}],
        "table": [{"id": 1, "softlist": [{"itemid": 1, "name": "a"}, {"itemid": 1, "name": "b"}]},
                  {"id": 2, "softlist": [{"itemid": 9, "name": "c"}]},
                  {"id": 1, "softlist": [{"itemid": 2, "name": "d"}]}],
        "bannerList": [{"softid": 5, "title": "x"}, {"softid": 5, "title": "y"}]})";
    const std::string image = PackCatalogFile(json);
    SoftCatalog catalog;
    ASSERT_TRUE(catalog.LoadFromImage(Bytes(image), image.size()));

    ASSERT_NE(catalog.FindSoft(5), nullptr);
    EXPECT_EQ(catalog.FindSoft(5)->type, 1);
    EXPECT_EQ(catalog.FindSoft(6)->type, 3);
    EXPECT_EQ(catalog.FindSoft(7), nullptr);
    EXPECT_EQ(catalog.FindBanner(5)->title, L"x");
    EXPECT_EQ(catalog.FindBanner(6), nullptr);
    EXPECT_EQ(catalog.FindTable(1), &catalog.GetTableList()[0]);
    EXPECT_EQ(catalog.FindTable(3), nullptr);
    EXPECT_EQ(catalog.FindItem(1, 1)->name, L"a");
    EXPECT_EQ(catalog.FindItem(2, 9)->name, L"c");
    EXPECT_EQ(catalog.FindItem(1, 2), nullptr) << "only the first table with the id is searched";
    EXPECT_EQ(catalog.FindItem(3, 1), nullptr);
}

TEST(SoftCatalog, MatchItemsIgnoresLatinCase) {
    TableEntry table;
    table.id = 4;
    const wchar_t* names[] = {L"垃圾清理", L"PDF转换", L"pdf阅读", L"Ångström", L"清理助手"};
    for (int i = 0; i < 5; ++i) {
        ItemEntry item;
        item.itemid = i + 1;
        item.name = names[i];
        item.icon = L"u" + std::to_wstring(i + 1);
        item.icon_md5 = L"m" + std::to_wstring(i + 1);
        table.items.push_back(item);
    }
    struct Case {
        const wchar_t* query;
        std::vector<int> itemIds;
    };
    const Case cases[] = {
        {L"清理", {1, 5}}, {L"PDF", {2, 3}}, {L"pdf", {2, 3}},       {L"Pdf转", {2}},
        {L"ÅNG", {4}},     {L"xyz", {}},     {L"", {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        std::vector<SearchResult> results;
        SoftCatalog::MatchItems(c.query, table, results);
        std::vector<int> ids;
        for (const SearchResult& r : results) ids.push_back(r.itemId);
        EXPECT_EQ(ids, c.itemIds) << c.query;
    }
    std::vector<SearchResult> results(1);  // appends, keeps what was there
    SoftCatalog::MatchItems(L"阅读", table, results);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].tableId, 4);
    EXPECT_EQ(results[1].itemId, 3);
    EXPECT_EQ(results[1].icon, L"u3");
    EXPECT_EQ(results[1].icon_md5, L"m3");
    EXPECT_EQ(results[1].name, L"pdf阅读");
}

TEST(SoftCatalog, FailedLoadEmptiesWhatAnEarlierLoadFilled) {
    const std::string good = cattest::ReadFixture("two_tables_one_tool.dat");
    const std::string bad = cattest::ReadFixture("cut_off_json.dat");
    SoftCatalog catalog;
    ASSERT_TRUE(catalog.LoadFromImage(Bytes(good), good.size()));
    ASSERT_TRUE(catalog.LoadFromImage(Bytes(good), good.size()));
    EXPECT_EQ(catalog.GetSoftList().size(), 1u) << "a second load replaces, not appends";
    EXPECT_FALSE(catalog.LoadFromImage(Bytes(bad), bad.size()));
    EXPECT_TRUE(catalog.GetSoftList().empty());
    EXPECT_TRUE(catalog.GetTableList().empty());
}

TEST(SoftCatalog, ConcurrentFirstCallersShareOneInstance) {
    constexpr int kThreads = 8;
    std::vector<SoftCatalog*> seen(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back([&seen, i] { seen[i] = &SoftCatalog::Instance(); });
    for (std::thread& t : threads) t.join();
    for (SoftCatalog* p : seen) EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(&SoftCatalog::Instance(), seen[0]);
}

}  // namespace
