#include <gtest/gtest.h>

#include "CatalogTestSupport.h"
#include "common/OsVersion.h"

using cattest::Bytes;

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(CatalogFile, ScramblesWholeWordsAndTailBytesWithTheirOwnKeys) {
    struct Case {
        std::string body;
        const char* scrambledHex;
    };
    const Case cases[] = {
        {"", ""},
        {"A", "82"},                       // tail only
        {"ABC", "828180"},                 // three tail bytes
        {"ABCD", "1e0e392f"},              // one word, key bytes 5f 4c 7a 6b
        {"ABCDEFG", "1e0e392f868584"},     // word then three tail bytes
        {"ABCDEFGH", "1e0e392f1a0a3d23"},  // two words, no tail
    };
    for (const Case& c : cases) {
        std::string image = PackCatalogFile(c.body);
        EXPECT_EQ(Hex(image.substr(0, 4)), "1e341f71") << "magic, little-endian";
        EXPECT_EQ(Hex(image.substr(4)), c.scrambledHex) << c.body;

        std::string text;
        if (c.body.empty()) continue;
        ASSERT_EQ(UnpackCatalogFile(Bytes(image), image.size(), text), CatalogError::kNone) << c.body;
        EXPECT_EQ(text, c.body);
    }
}

TEST(CatalogFile, ScrambleIsItsOwnInverseForEveryByte) {
    std::string body;
    for (int i = 0; i < 259; ++i) body += static_cast<char>(i);
    std::string copy = body;
    ScrambleCatalogBody(reinterpret_cast<unsigned char*>(&copy[0]), copy.size());
    EXPECT_NE(copy, body);
    ScrambleCatalogBody(reinterpret_cast<unsigned char*>(&copy[0]), copy.size());
    EXPECT_EQ(copy, body);
}

// One fixture per reason a catalogue file does not load.
TEST(CatalogFile, EveryFailureRuleFailsTheLoadWithEmptyLists) {
    struct Case {
        const char* fixture;
        CatalogError expected;
    };
    const Case cases[] = {
        {"empty_file.dat", CatalogError::kEmptyFile},
        {"three_bytes.dat", CatalogError::kNoMagic},
        {"unscrambled_json_no_magic.dat", CatalogError::kBadMagic},
        {"magic_only.dat", CatalogError::kEmptyBody},
        {"body_starts_with_nul.dat", CatalogError::kEmptyText},
        {"bom_before_json.dat", CatalogError::kBadJson},
        {"cut_off_json.dat", CatalogError::kBadJson},
        {"root_is_array.dat", CatalogError::kRootNotObject},
        {"two_tables_one_tool.dat", CatalogError::kNone},
    };
    for (const Case& c : cases) {
        const std::string image = cattest::ReadFixture(c.fixture);
        SoftCatalog catalog;
        catalog.SetOsCode(kOsWin10);
        EXPECT_EQ(catalog.LoadFromImage(Bytes(image), image.size()), c.expected == CatalogError::kNone) << c.fixture;
        EXPECT_EQ(catalog.GetLastError(), c.expected) << c.fixture;
        if (c.expected != CatalogError::kNone) {
            EXPECT_TRUE(catalog.GetSoftList().empty() && catalog.GetTableList().empty() &&
                        catalog.GetBannerList().empty())
                << c.fixture;
        }
    }
}

TEST(CatalogFile, TextEndsAtTheFirstNulByte) {
    const std::string image = PackCatalogFile(std::string("{\"table\":[{\"id\":5}]}\0garbage", 28));
    CatalogLists lists;
    ASSERT_EQ(DecodeCatalog(Bytes(image), image.size(), 0, lists), CatalogError::kNone);
    ASSERT_EQ(lists.tables.size(), 1u);
    EXPECT_EQ(lists.tables[0].id, 5);
}

TEST(CatalogFile, OversizedImageIsRefusedBeforeAnyWork) {
    const std::string image = PackCatalogFile("{}");
    std::string text;
    EXPECT_EQ(UnpackCatalogFile(Bytes(image), kCatalogMaxFileSize + 1, text), CatalogError::kTooLarge);
}

}  // namespace
