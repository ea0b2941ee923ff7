#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <limits>
#include <memory>
#include <string>

#include "common/BkJsonEx.h"

using namespace BkJsonEx;

namespace {

// Hex dump of wide units, so a failing case shows exactly which unit differs.
std::string Units(const std::wstring& s) {
    std::string out;
    char buf[16];
    for (wchar_t c : s) {
        snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

std::wstring Reserialized(const wchar_t* text) {
    Document doc;
    EXPECT_TRUE(doc.Parse(text)) << Units(text);
    return doc.Serialize();
}

struct ParseCase {
    const char* name;
    const wchar_t* text;
    const wchar_t* written;  // Serialize after a good parse; null when the parse must fail
    int errorId = kErrorNone;
    int row = -1;
    int column = -1;
};

const ParseCase kParseCases[] = {
    // Roots: bool, long long, long, string, array, object; nothing after the root is read.
    {"true root", L"true", L"true"},
    {"false root", L"false", L"false"},
    {"bool by prefix", L"trueX", L"true"},
    {"integer root ignores the rest", L"123abc", L"123"},
    {"smallest long long", L"-9223372036854775808", L"-9223372036854775808"},
    {"a double root is read as its integer part", L"2.5", L"2"},
    {"string root after blanks", L" \"a\\u00E9\\/b\"", L"\"a\\u00e9\\/b\""},
    {"empty containers", L"[[],{}]", L"[[],{}]"},
    {"object after blanks, trailing text ignored", L"\r\n\t {\"a\":1} x", L"{\"a\":1}"},

    // Elements: numbers are long long or, with a dot, double.
    {"mixed array", L"[1,2.5,-3,\"x\"]", L"[1,2.500000,-3,\"x\"]"},
    {"blanks everywhere", L" { \"a\" :\t[ 1 ,\r\n{ } , [ ] , null , true , false ] } ",
     L"{\"a\":[1,{},[],null,true,false]}"},
    {"dot without digits on one side", L"{\"a\":-.5,\"b\":5.,\"c\":-0}", L"{\"a\":-0.500000,\"b\":5.000000,\"c\":0}"},
    {"integer limits", L"[9223372036854775807,-9223372036854775808]", L"[9223372036854775807,-9223372036854775808]"},
    {"all escapes", L"[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u001F\"]", L"[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u001f\"]"},

    // Members: written in code unit order of the names; a repeated name keeps its last value.
    {"name order", L"{\"b\":1,\"a\":2}", L"{\"a\":2,\"b\":1}"},
    {"repeated name", L"{\"a\":1,\"a\":2}", L"{\"a\":2}"},
    {"repeated names among others", L"{\"b\":1,\"a\":2,\"b\":3,\"a\":4,\"c\":5}", L"{\"a\":4,\"b\":3,\"c\":5}"},
    {"code unit order, prefix first", L"{\"b\":1,\"\u00E9\":2,\"ab\":3,\"B\":4,\"a\":5}",
     L"{\"B\":4,\"a\":5,\"ab\":3,\"b\":1,\"\\u00e9\":2}"},

    // Failures. A failed root keeps the error of the last attempt, the object one.
    {"empty text", L"", nullptr, kErrorObjectExpected, 1, 1},
    {"null alone", L"null", nullptr, kErrorObjectExpected, 1, 1},
    {"integer after blanks", L"  123", nullptr, kErrorObjectExpected, 1, 3},
    {"broken array root reports the object attempt", L"[1 2]", nullptr, kErrorObjectExpected, 1, 1},
    {"sign alone", L"-", nullptr, kErrorObjectExpected, 1, 1},
    {"elements without comma", L"{\"a\":[1 2]}", nullptr, kErrorCommaExpected, 1, 9},
    {"trailing comma in array", L"{\"a\":[1,]}", nullptr, kErrorBadElement, 1, 9},
    {"trailing comma in object", L"{\"a\":1,}", nullptr, kErrorQuoteExpected, 1, 8},
    {"name not quoted", L"{1:2}", nullptr, kErrorQuoteExpected, 1, 2},
    {"colon missing", L"{\"a\" 1}", nullptr, kErrorColonExpected, 1, 6},
    {"object not closed", L"{\"a\":1", nullptr, kErrorCommaExpected, 1, 7},
    {"string not closed", L"{\"a\":\"abc", nullptr, kErrorUnterminatedString, 1, 10},
    {"backslash at the end", L"{\"a\":\"ab\\", nullptr, kErrorUnterminatedString, 1, 10},
    {"escape of code 0", L"{\"a\":\"\\u0000\"}", nullptr, kErrorBadEscape, 1, 8},
    {"short hex escape", L"{\"a\":\"\\u12G4\"}", nullptr, kErrorBadEscape, 1, 8},
    {"hex escape cut by the end", L"{\"a\":\"\\u12", nullptr, kErrorBadEscape, 1, 8},
    {"unknown escape", L"{\"a\":\"\\x\"}", nullptr, kErrorBadEscape, 1, 8},
    {"misspelt null", L"{\"a\":nul}", nullptr, kErrorBadElement, 1, 6},
    {"misspelt true", L"{\"a\":tru}", nullptr, kErrorBadElement, 1, 6},
    {"dot first", L"{\"a\":.5}", nullptr, kErrorBadElement, 1, 6},
    {"no value at the end", L"{\"a\":", nullptr, kErrorBadElement, 1, 6},
    {"exponent", L"{\"a\":1e5}", nullptr, kErrorCommaExpected, 1, 7},
    {"two dots", L"{\"a\":1.2.3}", nullptr, kErrorBadNumber, 1, 11},
    {"sign without digits", L"{\"a\":-}", nullptr, kErrorBadNumber, 1, 7},
    {"sign before a dot only", L"{\"a\":-.}", nullptr, kErrorBadNumber, 1, 8},
    {"long long too large", L"{\"a\":9223372036854775808}", nullptr, kErrorBadNumber, 1, 25},
    {"long long too small", L"{\"a\":-9223372036854775809}", nullptr, kErrorBadNumber, 1, 26},
    {"far too large", L"{\"a\":99999999999999999999}", nullptr, kErrorBadNumber, 1, 26},
    {"row and column", L"{\n\"a\":1,\n\"b\" 2}", nullptr, kErrorColonExpected, 3, 5},
    {"column counts from the last line feed", L"{\"a\":\r\n\r\n  x}", nullptr, kErrorBadElement, 3, 3},
};

TEST(BkJsonExParse, Table) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.name);
        Document doc;
        const bool ok = doc.Parse(c.text);
        EXPECT_EQ(c.written != nullptr, ok);
        if (c.written != nullptr) {
            EXPECT_EQ(std::wstring(c.written), doc.Serialize());
            EXPECT_EQ(kErrorNone, doc.GetError().GetId());
            EXPECT_EQ(-1, doc.GetError().GetColumn());
        } else {
            EXPECT_EQ(kTypeNone, doc.GetType());
            EXPECT_EQ(L"", doc.Serialize());
            EXPECT_EQ(c.errorId, doc.GetError().GetId());
            EXPECT_EQ(c.row, doc.GetError().GetRow());
            EXPECT_EQ(c.column, doc.GetError().GetColumn());
        }
    }
}

TEST(BkJsonExParse, RootKinds) {
    const struct {
        const wchar_t* text;
        int type;
    } cases[] = {
        {L"true", kTypeBool}, {L"-7", kTypeLongLong}, {L"\"s\"", kTypeString},
        {L"[]", kTypeArray},  {L"{}", kTypeObject},
    };
    for (const auto& c : cases) {
        Document doc;
        ASSERT_TRUE(doc.Parse(c.text)) << Units(c.text);
        EXPECT_EQ(c.type, doc.GetType()) << Units(c.text);
    }
}

TEST(BkJsonExParse, NestingLimit) {
    const std::wstring head = L"{\"a\":";
    const auto nested = [&](int arrays) {
        return head + std::wstring(static_cast<size_t>(arrays), L'[') +
               std::wstring(static_cast<size_t>(arrays), L']') + L"}";
    };
    Document atLimit;
    EXPECT_TRUE(atLimit.Parse(nested(kMaxDepth - 1).c_str()));

    // Deeper text must fail cleanly instead of overflowing the stack.
    Document tooDeep;
    EXPECT_FALSE(tooDeep.Parse(nested(100000).c_str()));
    EXPECT_EQ(kErrorBadElement, tooDeep.GetError().GetId());
    EXPECT_EQ(static_cast<int>(head.size()) + kMaxDepth, tooDeep.GetError().GetColumn());
}

TEST(BkJsonExParse, DoubleRunLength) {
    // The digits-and-dot run of a double holds at most 260 characters.
    const std::wstring run260 = std::wstring(257, L'0') + L"1.5";
    Document fits;
    ASSERT_TRUE(fits.Parse((L"[" + run260 + L"]").c_str()));
    EXPECT_EQ(L"[1.500000]", fits.Serialize());

    Document longer;
    EXPECT_FALSE(longer.Parse((L"{\"a\":0" + run260 + L"}").c_str()));
    EXPECT_EQ(kErrorBadNumber, longer.GetError().GetId());
    EXPECT_EQ(5 + 261 + 1, longer.GetError().GetColumn());
}

TEST(BkJsonExParse, LargeUnorderedObjectStaysFast) {
    // Members arrive in reverse order with repeats; inserting them one by one would be quadratic.
    std::wstring text = L"{";
    const int count = 50000;
    for (int i = count; i > 0; --i) {
        wchar_t member[48];
        std::swprintf(member, 48, L"\"k%07d\":%d,\"k%07d\":%d,", i, i, i, -i);
        text += member;
    }
    text += L"\"end\":0}";
    Document doc;
    ASSERT_TRUE(doc.Parse(text.c_str()));
    EXPECT_EQ(count + 1, doc.Size());
    EXPECT_EQ(-17, doc[L"k0000017"].GetInt64());
    EXPECT_EQ(-count, doc[L"k0050000"].GetInt64());
}

TEST(BkJsonExParse, ReparseReplacesTheRoot) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"a\":[1,2]}"));
    ASSERT_TRUE(doc.Parse(L"[3]"));
    EXPECT_EQ(L"[3]", doc.Serialize());
    EXPECT_FALSE(doc.Parse(L"{"));
    EXPECT_EQ(kTypeNone, doc.GetType());
    EXPECT_EQ(L"", doc.Serialize());
    EXPECT_FALSE(doc.Parse(nullptr));
    EXPECT_EQ(kErrorObjectExpected, doc.GetError().GetId());
}

TEST(BkJsonExParse, CodeUnitsAreNotPaired) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"s\":\"\\uD83D\\uDE00\"}"));
    const wchar_t* text = doc[L"s"].GetString();
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(std::wstring(L"\xD83D\xDE00", 2), text);
}

TEST(BkJsonExParse, RoundTripIsStable) {
    const wchar_t* text =
        L"{\"softlist\":[{\"softid\":101,\"config\":\"https://cdn.example.com/a/b.zip\",\"checkFile\":[{\"name\":"
        L"\"bin\\\\tool.exe\"}]}],\"table\":[{\"id\":1,\"title\":\"\u7CFB\u7EDF\u6E05\u7406\",\"score\":4.25,"
        L"\"flags\":[true,false,null],\"nested\":{\"z\":{},\"y\":[]}}]}";
    const std::wstring once = Reserialized(text);
    EXPECT_EQ(once, Reserialized(once.c_str()));
    EXPECT_NE(std::wstring::npos, once.find(L"\u7CFB\u7EDF\u6E05\u7406"));
    EXPECT_NE(std::wstring::npos, once.find(L"https:\\/\\/cdn.example.com\\/a\\/b.zip"));
}

TEST(BkJsonExParse, NumbersIgnoreTheLocale) {
    const char* commaLocales[] = {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "German_Germany.1252", "German"};
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* used = nullptr;
    for (const char* name : commaLocales) {
        if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            used = name;
            break;
        }
    }
    if (used == nullptr) {
        std::setlocale(LC_ALL, saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    Document doc;
    const bool ok = doc.Parse(L"{\"a\":2.5}");
    const double number = doc[L"a"].GetDouble();
    const std::wstring written = doc.Serialize();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(ok);
    EXPECT_EQ(2.5, number);
    EXPECT_EQ(L"{\"a\":2.500000}", written);
}

// ---- The kinds on their own

std::unique_ptr<Value> MakeKind(int type) {
    switch (type) {
        case kTypeLong:
            return std::make_unique<ValueLong>();
        case kTypeLongLong:
            return std::make_unique<ValueLongLong>();
        case kTypeULongLong:
            return std::make_unique<ValueULongLong>();
        case kTypeDouble:
            return std::make_unique<ValueDOUBLE>();
        default:
            return nullptr;
    }
}

TEST(BkJsonExKinds, NumberParseFrom) {
    const struct {
        int type;
        const wchar_t* text;
        const wchar_t* written;  // null: the parse fails
        int errorId;
        size_t consumed;
    } cases[] = {
        {kTypeLong, L"2147483647", L"2147483647", 0, 10},
        {kTypeLong, L"-2147483648,", L"-2147483648", 0, 11},
        {kTypeLong, L"2147483648", nullptr, kErrorBadNumber, 0},
        {kTypeLong, L"-", nullptr, kErrorBadNumber, 0},
        {kTypeLong, L"x", nullptr, kErrorNone, 0},
        {kTypeLong, L" 1", nullptr, kErrorNone, 0},
        {kTypeLongLong, L"007]", L"7", 0, 3},
        {kTypeULongLong, L"18446744073709551615", L"18446744073709551615", 0, 20},
        {kTypeULongLong, L"-5", L"5", 0, 2},
        {kTypeULongLong, L"18446744073709551616", nullptr, kErrorBadNumber, 0},
        {kTypeDouble, L"0.1", L"0.100000", 0, 3},
        {kTypeDouble, L"-12.25x", L"-12.250000", 0, 6},
        {kTypeDouble, L"3", L"3.000000", 0, 1},
        {kTypeDouble, L"", nullptr, kErrorNone, 0},
        {kTypeDouble, L".", nullptr, kErrorBadNumber, 0},
        {kTypeDouble, L"-x", nullptr, kErrorBadNumber, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " text " << Units(c.text));
        std::unique_ptr<Value> value = MakeKind(c.type);
        ParseContext ctx(c.text, std::wcslen(c.text));
        const bool ok = value->ParseFrom(ctx);
        EXPECT_EQ(c.written != nullptr, ok);
        EXPECT_EQ(c.errorId, ctx.error.GetId());
        if (ok) {
            std::wstring out;
            EXPECT_TRUE(value->WriteTo(out));
            EXPECT_EQ(c.written, out);
            EXPECT_EQ(c.consumed, ctx.index);
            EXPECT_EQ(std::wcslen(c.text) - c.consumed, ctx.left);
        }
    }
}

TEST(BkJsonExKinds, ContainersOnTheirOwn) {
    // Values made by the caller live on the heap; a failed parse must free what it had built so far.
    const struct {
        const wchar_t* text;
        const wchar_t* written;  // null: the parse fails
    } cases[] = {
        {L"{\"b\":[1,{\"c\":\"x\"}],\"a\":\"y\",\"b\":[2]}", L"{\"a\":\"y\",\"b\":[2]}"},
        {L"[{\"k\":[\"v\",[]]},\"s\"]", L"[{\"k\":[\"v\",[]]},\"s\"]"},
        {L"{\"a\":[1,{\"b\":\"x\"}],\"c\":", nullptr},
        {L"[\"a\",{\"b\":[1,2,\"c\"]},", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Units(c.text));
        std::unique_ptr<Value> value;
        if (c.text[0] == L'{')
            value = std::make_unique<ValueObject>();
        else
            value = std::make_unique<ValueArray>();
        ParseContext ctx(c.text, std::wcslen(c.text));
        EXPECT_EQ(c.written != nullptr, value->ParseFrom(ctx));
        if (c.written != nullptr) {
            std::wstring out;
            EXPECT_TRUE(value->WriteTo(out));
            EXPECT_EQ(c.written, out);
        }
    }
}

TEST(BkJsonExKinds, DoubleWriting) {
    const struct {
        double number;
        const wchar_t* written;
    } cases[] = {
        {1.5, L"1.500000"},
        {-0.0, L"-0.000000"},
        {1e20, L"100000000000000000000.000000"},
        {-2.0000004, L"-2.000000"},
        {std::numeric_limits<double>::infinity(), nullptr},
        {std::numeric_limits<double>::quiet_NaN(), nullptr},
    };
    for (const auto& c : cases) {
        ValueDOUBLE value(c.number);
        std::wstring out = L"x";
        EXPECT_EQ(c.written != nullptr, value.WriteTo(out)) << c.number;
        if (c.written != nullptr) {
            EXPECT_EQ(std::wstring(L"x") + c.written, out);
        }
    }
}

TEST(BkJsonExKinds, StringEscapesWhenWriting) {
    const struct {
        std::wstring text;
        const wchar_t* written;
    } cases[] = {
        {L"plain", L"\"plain\""},
        {L"a/b", L"\"a\\/b\""},
        {L"\"\\\b\f\n\r\t", L"\"\\\"\\\\\\b\\f\\n\\r\\t\""},
        {L"\x01\x1F \x7E\x7F", L"\"\\u0001\\u001f ~\\u007f\""},
        {L"\xE9\xFF\x100", L"\"\\u00e9\\u00ff\x100\""},
        {L"\u7EF4\u83AB\u62C9", L"\"\u7EF4\u83AB\u62C9\""},
        {L"", L"\"\""},
    };
    for (const auto& c : cases) {
        ValueString value(c.text.c_str());
        std::wstring out;
        EXPECT_TRUE(value.WriteTo(out));
        EXPECT_EQ(c.written, out) << Units(c.text);
    }
}

// ---- Handles

TEST(BkJsonExHandle, MemberAccessOnEmptyDocumentCreatesObjectRoot) {
    Document doc;
    Handle x = doc[L"x"];
    EXPECT_EQ(kTypeNull, x.GetType());
    EXPECT_EQ(L"{\"x\":null}", doc.Serialize());
}

TEST(BkJsonExHandle, ElementAccessGrowsAndNegativeIndexChangesNothing) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"list\":[]}"));
    EXPECT_EQ(kTypeNull, doc[L"list"][3].GetType());
    EXPECT_EQ(4, doc[L"list"].Size());
    EXPECT_EQ(kTypeNone, doc[L"list"][-1].GetType());
    EXPECT_EQ(kTypeNone, doc[L"s"][-1].GetType());
    EXPECT_EQ(L"{\"list\":[null,null,null,null],\"s\":null}", doc.Serialize());
}

TEST(BkJsonExHandle, AccessAsAnotherContainerReplacesTheValue) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"a\":\"s\",\"b\":[1],\"c\":{\"k\":1}}"));
    doc[L"a"][L"x"];
    doc[L"b"][L"y"];
    doc[L"c"][1];
    EXPECT_EQ(L"{\"a\":{\"x\":null},\"b\":{\"y\":null},\"c\":[null,null]}", doc.Serialize());
}

TEST(BkJsonExHandle, HandleFollowsItsReplacedValue) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"a\":5}"));
    Handle a = doc[L"a"];
    a[L"x"].SetInt(1);  // a now names the new object, not the destroyed number
    a[L"y"].SetString(L"v");
    Handle list = a[L"list"];
    list[1].SetInt(7);
    list[0].SetString(L"first");
    EXPECT_EQ(L"{\"a\":{\"list\":[\"first\",7],\"x\":1,\"y\":\"v\"}}", doc.Serialize());
}

TEST(BkJsonExHandle, RootIsNeverReplaced) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"[1]"));
    EXPECT_EQ(kTypeNone, doc[L"x"].GetType());
    EXPECT_EQ(1, doc[0].GetInt64());
    doc.SetString(L"x");
    doc.SetInt(3);
    EXPECT_EQ(L"[1]", doc.Serialize());

    Document number;
    ASSERT_TRUE(number.Parse(L"42"));
    EXPECT_EQ(kTypeNone, number[0].GetType());
    EXPECT_EQ(L"42", number.Serialize());
}

TEST(BkJsonExHandle, NullHandleDoesNothing) {
    Handle none;
    none.SetString(L"x");
    none.SetInt(1);
    EXPECT_EQ(kTypeNone, none[L"a"].GetType());
    EXPECT_EQ(kTypeNone, none[0].GetType());
    EXPECT_EQ(nullptr, none.GetString());
    EXPECT_EQ(0, none.GetInt64());
    EXPECT_EQ(0, none.Size());
    EXPECT_FALSE(none.HasMember(L"a"));

    Document doc;
    doc[L"a"].SetString(nullptr);  // no text: the member stays null
    EXPECT_EQ(kTypeNone, doc[static_cast<const wchar_t*>(nullptr)].GetType());
    EXPECT_FALSE(doc.HasMember(nullptr));
    EXPECT_EQ(L"{\"a\":null}", doc.Serialize());
}

TEST(BkJsonExHandle, InsertedMembersKeepOrderAndReplaceInPlace) {
    // Inserting shifts later members; replacing one afterwards must hit its own slot.
    Document doc;
    doc[L"c"].SetInt(1);
    doc[L"a"].SetInt(2);
    doc[L"b"].SetString(L"x");
    doc[L"c"].SetString(L"y");
    doc[L"a"][L"deep"].SetInt(3);
    EXPECT_EQ(L"{\"a\":{\"deep\":3},\"b\":\"x\",\"c\":\"y\"}", doc.Serialize());

    Document parsed;
    ASSERT_TRUE(parsed.Parse(L"{\"d\":0,\"b\":1,\"a\":2,\"b\":3,\"c\":4}"));
    parsed[L"c"].SetString(L"z");
    parsed[L"b"].SetString(L"w");
    EXPECT_EQ(L"{\"a\":2,\"b\":\"w\",\"c\":\"z\",\"d\":0}", parsed.Serialize());
}

TEST(BkJsonExHandle, Readers) {
    Document doc;
    ASSERT_TRUE(
        doc.Parse(L"{\"t\":true,\"f\":false,\"d\":2.5,\"i\":-7,\"s\":\"text\",\"n\":null,"
                  L"\"o\":{\"k\":1},\"arr\":[1,2,3],\"q\":\"12\"}"));
    doc[L"l"].SetInt(-5);
    const struct {
        const wchar_t* name;
        int type;
        long long int64;
        const wchar_t* text;
        bool flag;
        double number;
        int size;
    } cases[] = {
        {L"t", kTypeBool, 0, nullptr, true, 0, 0},      {L"f", kTypeBool, 0, nullptr, false, 0, 0},
        {L"d", kTypeDouble, 0, nullptr, false, 2.5, 0}, {L"i", kTypeLongLong, -7, nullptr, false, 0, 0},
        {L"l", kTypeLong, -5, nullptr, false, 0, 0},    {L"s", kTypeString, 0, L"text", false, 0, 0},
        {L"q", kTypeString, 0, L"12", false, 0, 0},     {L"n", kTypeNull, 0, nullptr, false, 0, 0},
        {L"o", kTypeObject, 0, nullptr, false, 0, 1},   {L"arr", kTypeArray, 0, nullptr, false, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Units(c.name));
        ASSERT_TRUE(doc.HasMember(c.name));
        Handle h = doc[c.name];
        EXPECT_EQ(c.type, h.GetType());
        EXPECT_EQ(c.int64, h.GetInt64());
        if (c.text == nullptr) {
            EXPECT_EQ(nullptr, h.GetString());
        } else {
            EXPECT_STREQ(c.text, h.GetString());
        }
        EXPECT_EQ(c.flag, h.GetBool());
        EXPECT_EQ(c.number, h.GetDouble());
        EXPECT_EQ(c.size, h.Size());
    }
}

TEST(BkJsonExHandle, ReadingDoesNotChangeTheTree) {
    Document doc;
    ASSERT_TRUE(doc.Parse(L"{\"list\":[{\"name\":\"a\"},{\"name\":\"b\"}],\"s\":\"x\"}"));
    const std::wstring before = doc.Serialize();
    Handle list = doc[L"list"];
    std::wstring names;
    for (int i = 0; i < list.Size(); ++i) names += list[i][L"name"].GetString();
    EXPECT_EQ(L"ab", names);
    EXPECT_FALSE(doc.HasMember(L"missing"));
    EXPECT_FALSE(doc[L"s"].HasMember(L"x"));
    EXPECT_EQ(before, doc.Serialize());
}

}  // namespace
