#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/ReportRecord.h"
#include "shell/StartupReport.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Val {
    enum Kind { Number, Number64, String, Binary } kind;
    const wchar_t* name;
    int64_t number = 0;
    std::wstring text = {};
    Bytes bytes = {};
};

Val Num(const wchar_t* name, int32_t v) { return {Val::Number, name, v}; }
Val Num64(const wchar_t* name, int64_t v) { return {Val::Number64, name, v}; }
Val Str(const wchar_t* name, std::wstring v) { return {Val::String, name, 0, std::move(v)}; }
Val Bin(const wchar_t* name, Bytes v) { return {Val::Binary, name, 0, {}, std::move(v)}; }

struct RecordCase {
    const char* what;
    const wchar_t* schema;
    std::vector<Val> values;
    bool schemaOk;
    bool encodes;
    Bytes record;  // when encodes
};

const RecordCase kRecordCases[] = {
    {"bits packed ahead of the other fields",
     L"t:5 a:bit b:int c:bit",
     {Num(L"a", 1), Num(L"b", 7), Num(L"c", 0)},
     true,
     true,
     {0x05, 0x00, 0x01, 0x07, 0x00, 0x00, 0x00}},
    {"bit set only for values above 0",
     L"t:5 a:bit b:bit c:bit",
     {Num(L"a", -4), Num(L"b", 0), Num(L"c", 9)},
     true,
     true,
     {0x05, 0x00, 0x04}},
    {"nine bits take two bytes",
     L"t:1 a:bit b:bit c:bit d:bit e:bit f:bit g:bit h:bit i:bit",
     {Num(L"a", 1), Num(L"b", 0), Num(L"c", 0), Num(L"d", 0), Num(L"e", 0), Num(L"f", 0), Num(L"g", 0), Num(L"h", 0),
      Num(L"i", 1)},
     true,
     true,
     {0x01, 0x00, 0x01, 0x01}},
    {"string is length then XOR-ed UTF-8",
     L"t:2 s:string",
     {Str(L"s", L"abc")},
     true,
     true,
     {0x02, 0x00, 0x03, 0x00, 0x61 ^ 0xA7, 0x62 ^ 0xA7, 0x63 ^ 0xA7}},
    {"string of CJK text",
     L"t:2 s:string",
     {Str(L"s", L"\u7EF4")},
     true,
     true,
     {0x02, 0x00, 0x03, 0x00, 0xE7 ^ 0xA7, 0xBB ^ 0xA7, 0xB4 ^ 0xA7}},
    {"empty string", L"t:2 s:string", {Str(L"s", L"")}, true, true, {0x02, 0x00, 0x00, 0x00}},
    {"byte keeps the low 8 bits", L"t:3 a:byte", {Num(L"a", 300)}, true, true, {0x03, 0x00, 0x2C}},
    {"short keeps the low 16 bits", L"t:3 a:short", {Num(L"a", -1)}, true, true, {0x03, 0x00, 0xFF, 0xFF}},
    {"int is little-endian", L"t:3 a:int", {Num(L"a", 0x01020304)}, true, true, {0x03, 0x00, 4, 3, 2, 1}},
    {"int64 from a 32-bit number is sign-extended",
     L"t:3 a:int64",
     {Num(L"a", -2)},
     true,
     true,
     {0x03, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"int64 from a 64-bit number",
     L"t:3 a:int64",
     {Num64(L"a", 0x0102030405060708LL)},
     true,
     true,
     {0x03, 0x00, 8, 7, 6, 5, 4, 3, 2, 1}},
    {"binary is length then raw bytes",
     L"t:8 b:binary",
     {Bin(L"b", {1, 2, 0xA7})},
     true,
     true,
     {0x08, 0x00, 0x03, 0x00, 1, 2, 0xA7}},
    {"table 106 is 6A 00", L"driver_startup_svc:106 a:byte", {Num(L"a", 0)}, true, true, {0x6A, 0x00, 0x00}},
    {"table number keeps its low 16 bits", L"t:65542 a:byte", {Num(L"a", 1)}, true, true, {0x06, 0x00, 0x01}},
    {"negative table number", L"t:-1 a:byte", {Num(L"a", 1)}, true, true, {0xFF, 0xFF, 0x01}},
    {"values in any order, schema order wins",
     L"t:4 a:byte b:byte",
     {Num(L"b", 2), Num(L"a", 1)},
     true,
     true,
     {0x04, 0x00, 0x01, 0x02}},
    {"undeclared name is ignored", L"t:3 a:byte", {Num(L"x", 5), Num(L"a", 9)}, true, true, {0x03, 0x00, 0x09}},
    {"first of two values with one name wins",
     L"t:3 a:byte",
     {Num(L"a", 1), Num(L"a", 2)},
     true,
     true,
     {0x03, 0x00, 0x01}},
    {"kind mismatch ends the record there",
     L"t:7 a:byte b:int c:byte",
     {Num(L"a", 1), Num64(L"b", 5), Num(L"c", 2)},
     true,
     true,
     {0x07, 0x00, 0x01}},
    {"string for a number field ends the record",
     L"t:7 a:int b:byte",
     {Str(L"a", L"1"), Num(L"b", 2)},
     true,
     true,
     {0x07, 0x00}},
    {"number for a string field ends the record", L"t:7 a:string", {Num(L"a", 1)}, true, true, {0x07, 0x00}},
    {"type names are case-sensitive", L"t:7 a:Byte b:byte", {Num(L"a", 1), Num(L"b", 2)}, true, true, {0x07, 0x00}},
    {"unknown type ends the record", L"t:7 a:word", {Num(L"a", 1)}, true, true, {0x07, 0x00}},
    {"missing value drops the whole record", L"t:3 a:byte b:byte", {Num(L"a", 1)}, true, false, {}},
    {"double space makes an entry no value can fill",
     L"t:3 a:byte  b:byte",
     {Num(L"a", 1), Num(L"b", 2)},
     true,
     false,
     {}},
    {"table token without colon fails the schema", L"t a:byte", {Num(L"a", 1)}, false, false, {}},
    {"schema with a table only fails", L"t:3", {}, false, false, {}},
    {"empty schema fails", L"", {}, false, false, {}},
};

void Add(Reporter::ReportInfocData& data, const Val& v) {
    switch (v.kind) {
        case Val::Number:
            EXPECT_TRUE(data.AddNumber(v.name, static_cast<int32_t>(v.number)));
            break;
        case Val::Number64:
            EXPECT_TRUE(data.AddNumber64(v.name, v.number));
            break;
        case Val::String:
            EXPECT_TRUE(data.AddString(v.name, v.text.c_str()));
            break;
        case Val::Binary:
            EXPECT_TRUE(data.AddBinary(v.name, v.bytes.data(), static_cast<int>(v.bytes.size())));
            break;
    }
}

TEST(ReportRecord, EncodesTableOfRecords) {
    for (const RecordCase& c : kRecordCases) {
        Reporter::ReportInfocData data;
        EXPECT_EQ(data.SetSchema(c.schema), c.schemaOk) << c.what;
        for (const Val& v : c.values) Add(data, v);
        ASSERT_EQ(data.Encode(), c.encodes) << c.what;
        if (!c.encodes) continue;
        auto serializer = data.TakeSerializer();
        ASSERT_TRUE(serializer) << c.what;
        EXPECT_EQ(serializer->Record(), c.record) << c.what;
    }
}

TEST(ReportRecord, SetSchemaAgainStartsAFreshRecord) {
    Reporter::ReportInfocData data;
    ASSERT_TRUE(data.SetSchema(L"t:1 a:byte"));
    ASSERT_TRUE(data.SetSchema(L"u:2 b:short"));
    data.AddNumber(L"b", 0x0102);
    ASSERT_TRUE(data.Encode());
    EXPECT_EQ(data.TakeSerializer()->Record(), (Bytes{0x02, 0x00, 0x02, 0x01}));
    // A failed schema leaves no serializer behind.
    EXPECT_FALSE(data.SetSchema(L"broken"));
    EXPECT_FALSE(data.Encode());
}

TEST(ReportRecord, SerializerChecksNameAndCursor) {
    KDirectInfoc::KSerializeKFMT s;
    ASSERT_TRUE(s.SetSchema(L"tbl:9 a:int b:string"));
    EXPECT_EQ(s.TableName(), L"tbl");
    EXPECT_FALSE(s.PutString(L"b", L"x"));  // not the cursor field yet
    EXPECT_FALSE(s.PutNumber(L"A", 1));     // names are exact
    EXPECT_TRUE(s.PutNumber(L"a", 1));
    EXPECT_EQ(s.Cursor(), 1u);
    EXPECT_TRUE(s.PutString(L"b", L"x"));
    EXPECT_FALSE(s.PutString(L"b", L"y"));  // past the last field
}

// A length that wrapped modulo 65536 would let the receiver read the rest of the text as fields; the body is cut
// to what the 16-bit length can say instead, never inside a UTF-8 sequence.
TEST(ReportRecord, LongStringIsCutToWhatItsLengthCanHold) {
    struct Case {
        const char* what;
        std::wstring text;
        size_t expectedBytes;
    };
    const Case cases[] = {
        {"65535 ASCII bytes fit", std::wstring(65535, L'a'), 65535},
        {"70000 ASCII bytes", std::wstring(70000, L'a'), 65535},
        {"cut backs off to a whole character", L"a" + std::wstring(21845, L'\u7EF4'), 65533},
    };
    for (const Case& c : cases) {
        KDirectInfoc::KSerializeKFMT s;
        ASSERT_TRUE(s.SetSchema(L"t:1 s:string n:byte"));
        ASSERT_TRUE(s.PutString(L"s", c.text));
        ASSERT_TRUE(s.PutNumber(L"n", 0x5A));
        s.Finish();
        const Bytes& r = s.Record();
        ASSERT_EQ(r.size(), 2 + 2 + c.expectedBytes + 1) << c.what;
        EXPECT_EQ(r[2] | (r[3] << 8), static_cast<int>(c.expectedBytes)) << c.what;
        EXPECT_EQ(r.back(), 0x5A) << c.what;  // the next field is where the length says
    }
}

TEST(ReportRecord, BinaryLongerThanItsSignedLengthIsRefused) {
    Reporter::ReportInfocData data;
    ASSERT_TRUE(data.SetSchema(L"t:1 b:binary"));
    const Bytes big(32768, 1);
    EXPECT_FALSE(data.AddBinary(L"b", big.data(), 32768));
    EXPECT_FALSE(data.AddBinary(L"b", nullptr, 4));
    EXPECT_FALSE(data.AddBinary(L"b", big.data(), -1));
    EXPECT_FALSE(data.Encode());  // the field has no value: the record is dropped, not sent with a bad length
    EXPECT_TRUE(data.AddBinary(L"b", big.data(), 32767));
    ASSERT_TRUE(data.Encode());
    EXPECT_EQ(data.TakeSerializer()->Record().size(), 2u + 2u + 32767u);
}

TEST(ReportRecord, WideToUtf8) {
    const struct {
        std::wstring in;
        std::string out;
    } cases[] = {
        {L"abc", "abc"},
        {L"\u00E9", "\xC3\xA9"},
        {L"\u7EF4\u83AB\u62C9", "\xE7\xBB\xB4\xE8\x8E\xAB\xE6\x8B\x89"},
        {std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}, "\xF0\x9F\x98\x80"},
        {std::wstring{static_cast<wchar_t>(0xD83D), L'x'}, "\xEF\xBF\xBDx"},
        {std::wstring{static_cast<wchar_t>(0xDE00)}, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(WideToUtf8(c.in), c.out);
}

TEST(ServiceStartRecord, EncodesTable106WithItsSevenFields) {
    auto record = BuildServiceStartRecord();
    ASSERT_TRUE(record->Encode());
    EXPECT_EQ(record->TakeSerializer()->Record(),
              (Bytes{0x6A, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0}));
}

TEST(ServiceStartRecord, SwitchInAnyCaseAfterEitherDelimiter) {
    const struct {
        const wchar_t* line;
        bool expected;
    } cases[] = {
        {L"velmora.exe /SVCACTIVE", true},
        {L"velmora.exe -svcactive", true},
        {LR"("C:\Program Files\Velmora\velmora.exe" /SvcActive:1)", true},
        {L"velmora.exe /opensoft /tabid:2", false},
        {L"velmora.exe svcactive", false},
        {L"velmora.exe /svcactivex", false},
        {nullptr, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsServiceStartCommandLine(c.line), c.expected) << (c.line ? "" : "null");
}

}  // namespace
