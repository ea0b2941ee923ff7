#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/ReportPayload.h"

namespace {

using Bytes = std::vector<uint8_t>;
using KDirectInfoc::BuildReportPayload;
using KDirectInfoc::IsAcceptedAnswer;
using KDirectInfoc::ReportCrc32;

TEST(ReportPayload, HeaderCountsRecordsAndChainsTheCrc) {
    Bytes publicRecord(100), eventRecord(20);
    for (size_t i = 0; i < publicRecord.size(); ++i) publicRecord[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < eventRecord.size(); ++i) eventRecord[i] = static_cast<uint8_t>(0xF0 - i);
    Bytes payload;
    ASSERT_TRUE(BuildReportPayload({&publicRecord, &eventRecord}, payload));

    ASSERT_EQ(payload.size(), 133u);
    EXPECT_EQ(Bytes(payload.begin(), payload.begin() + 9), (Bytes{0x85, 0x00, 0x02, 0x14, 0, 0, 0, 0x02, 0x00}));
    Bytes both = publicRecord;
    both.insert(both.end(), eventRecord.begin(), eventRecord.end());
    const uint32_t crc = ReportCrc32(0, both.data(), both.size());
    EXPECT_EQ(payload[9] | payload[10] << 8 | payload[11] << 16 | static_cast<uint32_t>(payload[12]) << 24, crc);
    EXPECT_EQ(Bytes(payload.begin() + 13, payload.end()), both);
    // The zlib polynomial: CRC-32 of "123456789" is CBF43926.
    EXPECT_EQ(ReportCrc32(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

// The length field has 16 bits: a longer payload would arrive announcing a wrong length.
TEST(ReportPayload, RefusesAPayloadItsLengthFieldCannotDescribe) {
    Bytes payload;
    const Bytes fits(0xFFFF - 13);
    ASSERT_TRUE(BuildReportPayload({&fits}, payload));
    EXPECT_EQ(payload[0], 0xFF);
    EXPECT_EQ(payload[1], 0xFF);
    const Bytes tooLong(0xFFFF - 12);
    EXPECT_FALSE(BuildReportPayload({&tooLong}, payload));
    EXPECT_TRUE(payload.empty());
}

Bytes Answer(const std::string& text) { return KDirectInfoc::BuildServerAnswer(text); }

Bytes WithByte(Bytes b, size_t at, uint8_t value) {
    b[at] = value;
    return b;
}

TEST(ReportPayload, ServerAnswerTable) {
    const Bytes ok = Answer("[common]\r\nresult=1\r\n");
    Bytes badLength = ok;
    badLength.push_back(0);
    const struct {
        const char* what;
        Bytes answer;
        bool accepted;
    } cases[] = {
        {"result 1", ok, true},
        {"names in other case", Answer("[COMMON]\nResult=1\n"), true},
        {"text before the first bracket", Answer("junk\r\n[common]\r\nresult=1\r\n"), true},
        {"other sections around", Answer("[x]\ny=2\n[common]\nfoo=bar\nresult = 1\n[z]\nq=0\n"), true},
        {"result 0", Answer("[common]\r\nresult=0\r\n"), false},
        {"result key missing", Answer("[common]\r\nother=1\r\n"), false},
        {"result in another section", Answer("[info]\r\nresult=1\r\n"), false},
        {"result 1 with more text", Answer("[common]\r\nresult=10\r\n"), false},
        {"no section at all", Answer("result=1"), false},
        {"length one short", WithByte(ok, 0, static_cast<uint8_t>(ok.size() - 1)), false},
        {"length field off by the trailing byte", badLength, false},
        {"third byte not 2", WithByte(ok, 2, 3), false},
        {"CRC does not match", WithByte(ok, 3, static_cast<uint8_t>(ok[3] ^ 1)), false},
        {"text changed after the CRC", WithByte(ok, ok.size() - 3, '0'), false},
        {"empty answer", Bytes{}, false},
        {"header only", Bytes{7, 0, 2, 0, 0, 0, 0}, false},
        {"shorter than a header", Bytes{3, 0, 2}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAcceptedAnswer(c.answer), c.accepted) << c.what;
}

TEST(ReportPayload, CacheFileName) {
    EXPECT_EQ(KDirectInfoc::CacheFileName(106, 0xABCDEF01u, 0x5F5E1000u, 999), L"106-abcdef01-5f5e1000-3e7.ich");
    EXPECT_EQ(KDirectInfoc::CacheFileName(65535, 0, 0, 0), L"65535-0-0-0.ich");
}

}  // namespace
