#include <gtest/gtest.h>

#include "ZipTestSupport.h"
#include "download/KZipReader.h"

using ziptest::Entry;
using ziptest::File;

namespace {

std::unique_ptr<KZipReader> OpenBytes(const std::string& bytes, ZipResult expected = ZipResult::kOk) {
    auto reader = std::make_unique<KZipReader>();
    EXPECT_EQ(reader->Open(MakeMemoryZipSource(bytes.data(), bytes.size())), expected);
    return reader;
}

// The whole data of entry `index`, or the result that stopped the reading.
ZipResult ReadAll(KZipReader& reader, int index, std::string& data) {
    data.clear();
    ZipResult rc = reader.OpenEntry(index);
    if (rc != ZipResult::kOk) return rc;
    char buffer[777];  // odd size: pieces never line up with the 16 KiB input blocks
    for (;;) {
        std::size_t got = 0;
        rc = reader.ReadEntry(buffer, sizeof(buffer), got);
        if (rc != ZipResult::kOk || got == 0) break;
        data.append(buffer, got);
    }
    reader.CloseEntry();
    return rc;
}

TEST(ZipNameGuard, StripsEveryPrefixThatClimbsOrAnchors) {
    struct Case {
        const wchar_t* stored;
        const wchar_t* expected;
    } const cases[] = {
        {L"tool/bin/app.exe", L"tool/bin/app.exe"},
        {L"../../evil.exe", L"evil.exe"},
        {L"..\\..\\evil.exe", L"evil.exe"},
        {L"C:\\Windows\\evil.exe", L"Windows\\evil.exe"},
        {L"C:evil.exe", L"evil.exe"},
        {L"\\abs\\x.dll", L"abs\\x.dll"},
        {L"//server/share/x.dll", L"server/share/x.dll"},
        {L"a/../b/c.txt", L"b/c.txt"},
        {L"a\\..\\..\\b.txt", L"b.txt"},
        {L"a/..\\b.txt", L"b.txt"},
        {L"x/y/../../z.txt", L"z.txt"},
        {L"/../C:/../d.txt", L"d.txt"},
        {L"..", L".."},  // left to the safety check below
    };
    for (const Case& c : cases) EXPECT_EQ(StripZipNamePrefixes(c.stored), c.expected) << c.stored;
}

TEST(ZipNameGuard, RefusesNamesWindowsWouldTurnIntoSomethingElse) {
    struct Case {
        std::wstring name;
        bool safe;
    } const cases[] = {
        {L"app.exe", true},
        {L"sub/dir/", true},
        {L"./app.exe", true},
        {L"console.txt", true},
        {L"com10.dll", true},
        {L"..app", true},
        {std::wstring(kZipMaxNameChars, L'a'), true},
        {std::wstring(kZipMaxNameChars + 1, L'a'), false},
        {L"", false},
        {L"./", false},
        {L"app.exe:hidden", false},
        {L"sub/app.exe::$DATA", false},
        {L"..", false},
        {L"sub/..", false},
        {L"sub/.../x", false},
        {L".. /x", false},
        {L"CON", false},
        {L"sub/nul.txt", false},
        {L"Lpt1", false},
        {L"aux .txt", false},
        {std::wstring(L"a\0b", 3), false},
        {L"tab\there", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeZipName(c.name), c.safe) << c.name;
}

TEST(ZipReader, DescribesEntriesWithCleanedNamesAndRefusesUnsafeOnes) {
    const std::string zip = ziptest::Build({
        File("../../tool/app.exe", "x"),
        File("C:\\tool\\run.dll", "y"),
        File("\xE5\xB7\xA5\xE5\x85\xB7/readme.txt", "z"),  // UTF-8 name, decoded whatever the flags say
        File("tool/app.exe:ads", "w"),
        File("sub/CON", "v"),
    });
    auto reader = OpenBytes(zip);
    KZipEntry archive;
    ASSERT_EQ(reader->GetEntry(-1, archive), 0);
    EXPECT_EQ(archive.index, 5);

    const wchar_t* const names[] = {L"tool/app.exe", L"tool\\run.dll", L"\x5DE5\x5177/readme.txt"};
    for (int i = 0; i < 3; ++i) {
        KZipEntry e;
        ASSERT_EQ(reader->GetEntry(i, e), 0) << i;
        EXPECT_EQ(e.index, i);
        EXPECT_EQ(e.name, names[i]);
    }
    for (int i = 3; i < 5; ++i) {
        KZipEntry e;
        EXPECT_EQ(reader->GetEntry(i, e), static_cast<int>(ZipResult::kBadName)) << i;
    }
    KZipEntry e;
    EXPECT_EQ(reader->GetEntry(5, e), static_cast<int>(ZipResult::kBadIndex));
    EXPECT_EQ(reader->GetEntry(-2, e), static_cast<int>(ZipResult::kBadIndex));
}

TEST(ZipReader, ReadsStoredDeflatedDescribedAndEmptyEntries) {
    const std::string big = ziptest::SampleText(100000);
    Entry described = File("described.bin", big, true);
    described.dataDescriptor = true;
    const std::string zip = ziptest::Build({
        File("stored.txt", "plain bytes"),
        File("deflated.txt", big, true),
        described,
        File("empty.txt", ""),
        File("empty_deflated.txt", "", true),
    });
    auto reader = OpenBytes(zip);
    const std::string expected[] = {"plain bytes", big, big, "", ""};
    for (int i = 0; i < 5; ++i) {
        std::string data;
        EXPECT_EQ(ReadAll(*reader, i, data), ZipResult::kOk) << i;
        EXPECT_EQ(data, expected[i]) << i;
        KZipEntry e;
        ASSERT_EQ(reader->GetEntry(i, e), 0);
        EXPECT_EQ(e.uncompressedSize, expected[i].size());
    }
}

TEST(ZipReader, ReportsWhyAnEntryCannotBeRead) {
    Entry encrypted = File("secret.exe", "not really encrypted");
    encrypted.flags = 0x0001;
    Entry badCrc = File("bad_crc.txt", ziptest::SampleText(5000), true);
    badCrc.wrongCrc = true;
    Entry badStoredCrc = File("bad_crc_stored.txt", "abc");
    badStoredCrc.wrongCrc = true;
    std::string zip = ziptest::Build({encrypted, badCrc, badStoredCrc, File("ok.txt", "fine")});

    struct Case {
        int index;
        ZipResult expected;
    } const cases[] = {
        {0, ZipResult::kNeedPassword}, {1, ZipResult::kBadCrc},   {2, ZipResult::kBadCrc},
        {3, ZipResult::kOk},           {4, ZipResult::kBadIndex},
    };
    auto reader = OpenBytes(zip);
    for (const Case& c : cases) {
        std::string data;
        EXPECT_EQ(ReadAll(*reader, c.index, data), c.expected) << c.index;
    }
    std::size_t got = 0;
    char byte;
    EXPECT_EQ(reader->ReadEntry(&byte, 1, got), ZipResult::kNotOpen);
}

TEST(ZipReader, DamagedDataIsCorruptNotShort) {
    // Deflated data whose directory size cuts it in half (the full size is still promised), and a method we
    // do not know.
    const std::string text = ziptest::SampleText(20000);
    std::string zip = ziptest::Build({File("a.txt", text, true)});
    const std::size_t dirRecord = zip.size() - 22 - 46 - 5;
    const std::uint32_t half = static_cast<std::uint32_t>(ziptest::Deflate(text).size() / 2);
    for (int i = 0; i < 4; ++i) zip[dirRecord + 20 + i] = static_cast<char>(half >> (8 * i));
    auto reader = OpenBytes(zip);
    std::string data;
    EXPECT_EQ(ReadAll(*reader, 0, data), ZipResult::kCorrupt);

    std::string unknownMethod = ziptest::Build({File("b.txt", "bbbb")});
    unknownMethod[8] = 12;                                        // local header
    unknownMethod[unknownMethod.size() - 22 - 46 - 5 + 10] = 12;  // directory record
    auto reader2 = OpenBytes(unknownMethod);
    EXPECT_EQ(ReadAll(*reader2, 0, data), ZipResult::kUnsupported);
}

TEST(ZipReader, RefusesWhatIsNotAnArchive) {
    const std::string good = ziptest::Build({File("a.txt", "aaa")});
    std::string dirBeyondEnd = good;
    dirBeyondEnd[dirBeyondEnd.size() - 6] = '\x7F';  // directory offset far past the end record
    std::string badRecord = good;
    badRecord[good.size() - 22 - 46 - 5] = 'X';  // the directory record's signature
    std::string localMissing = good;
    localMissing[0] = 'X';

    struct Case {
        std::string bytes;
        ZipResult open;
    } const cases[] = {
        {"", ZipResult::kNoArchive},
        {"MZ this is a program, not an archive", ZipResult::kNoArchive},
        {std::string(5000, '\0'), ZipResult::kNoArchive},
        {dirBeyondEnd, ZipResult::kBadDirectory},
        {badRecord, ZipResult::kBadDirectory},
        {ziptest::Build({}), ZipResult::kOk},
        {ziptest::Build({File("a.txt", "aaa")}, "self-extractor stub "), ZipResult::kOk},
    };
    for (const Case& c : cases) {
        KZipReader reader;
        EXPECT_EQ(reader.Open(MakeMemoryZipSource(c.bytes.data(), c.bytes.size())), c.open) << c.bytes.size();
        if (c.open != ZipResult::kOk) {
            EXPECT_EQ(GetLastZipError(), c.open);
        }
    }

    // A directory that points at no local header: the archive opens, the entry does not.
    auto reader = OpenBytes(localMissing);
    KZipEntry e;
    EXPECT_EQ(reader->GetEntry(0, e), static_cast<int>(ZipResult::kBadHeader));
}

TEST(ZipReader, TimesComeFromMsDosFieldsAndTheUtBlock) {
    const std::uint64_t dos = DosDateTimeToFileTimeValue((45 << 9) | (6 << 5) | 15, (10 << 11) | (30 << 5) | 4);
    EXPECT_EQ(dos, UnixTimeToFileTimeValue(1749983408));  // 2025-06-15 10:30:08
    const std::uint32_t m = 1600000000, a = 1600000100, c = 1500000000;

    struct Case {
        std::string extra;
        std::uint64_t write, access, creation;
    } const cases[] = {
        {"", dos, dos, dos},
        {ziptest::UtBlock(1, {m}), UnixTimeToFileTimeValue(m), dos, dos},
        {ziptest::UtBlock(7, {m, a, c}), UnixTimeToFileTimeValue(m), UnixTimeToFileTimeValue(a),
         UnixTimeToFileTimeValue(c)},
        {ziptest::UtBlock(4, {c}), dos, dos, UnixTimeToFileTimeValue(c)},
        // Flags announce three times but the block holds one, as directory copies of the block do.
        {ziptest::UtBlock(7, {m}), UnixTimeToFileTimeValue(m), dos, dos},
        // Another block first, then "UT"; and a block header whose length runs past the field.
        {std::string("\x01\x00\x04\x00"
                     "abcd",
                     8) +
             ziptest::UtBlock(1, {m}),
         UnixTimeToFileTimeValue(m), dos, dos},
        {std::string("\x55\x54\x40\x00\x01", 5), dos, dos, dos},
    };
    for (const Case& k : cases) {
        Entry e = File("t.txt", "t");
        e.localExtra = k.extra;
        auto reader = OpenBytes(ziptest::Build({e}));
        KZipEntry entry;
        ASSERT_EQ(reader->GetEntry(0, entry), 0);
        EXPECT_EQ(entry.writeTime, k.write) << k.extra.size();
        EXPECT_EQ(entry.accessTime, k.access) << k.extra.size();
        EXPECT_EQ(entry.creationTime, k.creation) << k.extra.size();
    }
}

TEST(ZipReader, AttributesFollowTheHostThatMadeTheEntry) {
    struct Case {
        const char* name;
        std::uint16_t madeBy;
        std::uint32_t external;
        std::uint32_t expected;
    } const cases[] = {
        {"unix_rw", 0x0314, 0100644u << 16, kZipAttrArchive},
        {"unix_ro", 0x0314, 0100444u << 16, kZipAttrArchive | kZipAttrReadOnly},
        {"unix_dir", 0x0314, 0040755u << 16, kZipAttrArchive | kZipAttrDirectory},
        {"dos_hidden_system", 0x0014, 0x26, kZipAttrArchive | kZipAttrHidden | kZipAttrSystem},
        {"ntfs_ro", 0x0B14, 0x21 | 0x80, kZipAttrArchive | kZipAttrReadOnly},  // 0x80 (normal) is dropped
        {"vfat_dir", 0x0E14, 0x10, kZipAttrDirectory},
        {"unix_without_mode", 0x0314, 0x20, kZipAttrArchive},
        {"slash_dir/", 0x0014, 0, kZipAttrDirectory},
    };
    for (const Case& c : cases) {
        Entry e = File(c.name, "");
        e.madeBy = c.madeBy;
        e.external = c.external;
        auto reader = OpenBytes(ziptest::Build({e}));
        KZipEntry entry;
        ASSERT_EQ(reader->GetEntry(0, entry), 0) << c.name;
        EXPECT_EQ(entry.attributes, c.expected) << c.name;
    }
}

TEST(ZipReader, AnEntryThatPromisesLessThanItHoldsStopsEarly) {
    // A deflated entry whose directory claims 10 bytes but which inflates to a megabyte.
    std::string zip = ziptest::Build({File("bomb.txt", std::string(1 << 20, 'a'), true)});
    const std::size_t dirRecord = zip.size() - 22 - 46 - 8;
    zip[dirRecord + 24] = 10;
    zip[dirRecord + 25] = zip[dirRecord + 26] = zip[dirRecord + 27] = 0;
    auto reader = OpenBytes(zip);
    std::string data;
    EXPECT_EQ(ReadAll(*reader, 0, data), ZipResult::kCorrupt);
    EXPECT_LE(data.size(), 10u);
}

}  // namespace
