#include <gtest/gtest.h>
#include <windows.h>

#include "CatalogTestSupport.h"
#include "common/OsVersion.h"
#include "common/ScopedWin.h"
#include "shell/Paths.h"

namespace {

// Puts fixtures where the program looks for its catalogue: the data folder beside the test program.
class InstalledCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = GetExeDir() + L"data";
        m_madeDir = CreateDirectoryW(m_dir.c_str(), nullptr) != 0;
        m_path = m_dir + L"\\velmora_config.dat";
        DeleteFileW(m_path.c_str());
    }
    void TearDown() override {
        DeleteFileW(m_path.c_str());
        if (m_madeDir) RemoveDirectoryW(m_dir.c_str());
    }

    void Install(const std::string& bytes) {
        ScopedHandle file(
            CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
    }

    std::wstring m_dir, m_path;
    bool m_madeDir = false;
};

TEST_F(InstalledCatalogTest, PathIsTheDataFolderBesideTheProgram) {
    std::wstring path = L"old";
    SoftCatalog::GetCatalogPath(path);
    EXPECT_EQ(path, m_path);
}

TEST_F(InstalledCatalogTest, LoadsTheInstalledFileWithTheRunningSystemsCode) {
    struct Case {
        const char* fixture;  // null: no file at all
        CatalogError expected;
    };
    const Case cases[] = {
        {nullptr, CatalogError::kMissing},
        {"empty_file.dat", CatalogError::kEmptyFile},
        {"three_bytes.dat", CatalogError::kNoMagic},
        {"unscrambled_json_no_magic.dat", CatalogError::kBadMagic},
        {"magic_only.dat", CatalogError::kEmptyBody},
        {"body_starts_with_nul.dat", CatalogError::kEmptyText},
        {"bom_before_json.dat", CatalogError::kBadJson},
        {"root_is_array.dat", CatalogError::kRootNotObject},
        {"two_tables_one_tool.dat", CatalogError::kNone},
    };
    for (const Case& c : cases) {
        DeleteFileW(m_path.c_str());
        if (c.fixture != nullptr) Install(cattest::ReadFixture(c.fixture));
        const bool loaded = LoadInstalledCatalog();
        const SoftCatalog& catalog = SoftCatalog::Instance();
        EXPECT_EQ(loaded, c.expected == CatalogError::kNone) << (c.fixture ? c.fixture : "no file");
        EXPECT_EQ(catalog.GetLastError(), c.expected) << (c.fixture ? c.fixture : "no file");
        EXPECT_EQ(catalog.GetPath(), m_path);
        EXPECT_EQ(catalog.GetOsCode(), GetOsVersionCode());
        EXPECT_EQ(catalog.GetTableList().size(), loaded ? 2u : 0u);
    }
    ASSERT_NE(SoftCatalog::Instance().FindItem(1, 1), nullptr);
    EXPECT_EQ(SoftCatalog::Instance().FindItem(1, 1)->name, L"垃圾清理");
}

TEST_F(InstalledCatalogTest, ReadsBesideOtherReadersButNotBesideAWriter) {
    Install(cattest::ReadFixture("two_tables_one_tool.dat"));
    SoftCatalog catalog;
    catalog.SetPath(m_path);
    {
        ScopedHandle reader(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_TRUE(catalog.Load());
    }
    {
        ScopedHandle writer(CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_FALSE(catalog.Load()) << "an updater may be rewriting it";
        EXPECT_EQ(catalog.GetLastError(), CatalogError::kUnreadable);
        EXPECT_TRUE(catalog.GetTableList().empty());
    }
}

}  // namespace
