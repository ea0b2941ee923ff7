#include "shell/CCmdLineParser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Switches = std::vector<std::pair<std::wstring, std::wstring>>;

struct ParseCase {
    const char* what;
    const wchar_t* line;
    Switches expected;  // in name order
};

const ParseCase kParseCases[] = {
    {"program path then switches", LR"("C:\Program Files\Velmora\velmora.exe" /opensoft /tabid:2 /itemid:5)",
     {{L"itemid", L"5"}, {L"opensoft", L""}, {L"tabid", L"2"}}},
    {"dash, equals and mixed case", L"velmora.exe -TabId=7", {{L"tabid", L"7"}}},
    {"first occurrence wins", L"x /tabid:1 /tabid:2 /TABID:3", {{L"tabid", L"1"}}},
    {"quoted value with spaces and delimiters", LR"(x /path:"C:\a b\c" /x)", {{L"path", LR"(C:\a b\c)"}, {L"x", L""}}},
    {"quoted value holding - and /", LR"(x /from:"a-b/c d")", {{L"from", L"a-b/c d"}}},
    {"separator at the very end", L"x /tabid:", {{L"tabid", L""}}},
    {"equals at the very end", L"x /tabid=", {{L"tabid", L""}}},
    {"dash inside the program path", LR"("C:\x-y\velmora.exe" /svcactive)", {{L"svcactive", L""}, {LR"(y\velmora.exe")", L""}}},
    {"no delimiter at all", LR"("C:\Program Files\velmora.exe" hello)", {}},
    {"empty text", L"", {}},
    {"lone delimiter at the end", L"x /", {}},
    {"empty names are dropped", L"x /:1 -=2 / /a", {{L"a", L""}}},
    {"word after a switch is skipped", L"x /opensoft now /b:1", {{L"b", L"1"}, {L"opensoft", L""}}},
    {"word after a switch holding a delimiter", L"x /a b-c", {{L"a", L""}, {L"c", L""}}},
    {"unterminated quote runs to the end", LR"(x /p:"C:\a b /q)", {{L"p", LR"(C:\a b /q)"}}},
    {"quoted value ending the text", LR"(x /p:"" /q:"v")", {{L"p", L""}, {L"q", L"v"}}},
    {"value keeps its case", L"x /From:DeskTop", {{L"from", L"DeskTop"}}},
    {"value ends at the first space", L"x /a:1:2=3 rest", {{L"a", L"1:2=3"}}},
    {"switch at the very start", L"/svcactive", {{L"svcactive", L""}}},
    {"several spaces between switches", L"x   /a   /b:2   ", {{L"a", L""}, {L"b", L"2"}}},
};

TEST(CCmdLineParser, ParsesTableOfCommandLines) {
    for (const ParseCase& c : kParseCases) {
        CCmdLineParser parser;
        EXPECT_TRUE(parser.Parse(c.line)) << c.what;
        const Switches actual(parser.Switches().begin(), parser.Switches().end());
        EXPECT_EQ(actual, c.expected) << c.what;
        EXPECT_EQ(parser.CommandLine(), c.line) << c.what;
    }
}

TEST(CCmdLineParser, LookupsAreCaseInsensitiveByDefault) {
    CCmdLineParser parser;
    parser.Parse(L"velmora.exe -TabId=7 /SVCACTIVE /tabid2:");
    EXPECT_TRUE(parser.HasSwitch(L"TABID"));
    EXPECT_TRUE(parser.HasSwitch(L"svcactive"));
    EXPECT_TRUE(parser.HasSwitchValue(L"tabId"));
    EXPECT_FALSE(parser.HasSwitchValue(L"svcactive"));

    std::wstring value = L"untouched";
    EXPECT_TRUE(parser.GetSwitchValue(L"TabID", value));
    EXPECT_EQ(value, L"7");
    EXPECT_TRUE(parser.GetSwitchValue(L"tabid2", value));
    EXPECT_EQ(value, L"");
    EXPECT_TRUE(parser.HasSwitch(L"tabid2"));
    EXPECT_FALSE(parser.HasSwitchValue(L"tabid2"));

    value = L"untouched";
    EXPECT_FALSE(parser.GetSwitchValue(L"itemid", value));
    EXPECT_EQ(value, L"untouched");
    EXPECT_FALSE(parser.HasSwitch(nullptr));
}

TEST(CCmdLineParser, CaseSensitiveModeKeepsNames) {
    CCmdLineParser parser;
    parser.SetCaseSensitive(true);
    parser.Parse(L"x /TabId:7");
    EXPECT_TRUE(parser.HasSwitch(L"TabId"));
    EXPECT_FALSE(parser.HasSwitch(L"tabid"));
}

TEST(CCmdLineParser, ReparseReplacesAndNullChangesNothing) {
    CCmdLineParser parser;
    parser.Parse(L"x /a /b");
    EXPECT_FALSE(parser.Parse(nullptr));
    EXPECT_TRUE(parser.HasSwitch(L"a"));
    EXPECT_EQ(parser.CommandLine(), L"x /a /b");

    parser.Parse(L"y /c");
    EXPECT_FALSE(parser.HasSwitch(L"a"));
    EXPECT_TRUE(parser.HasSwitch(L"c"));
}

}  // namespace
