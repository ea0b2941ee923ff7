#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "report/KPublicBlock.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace KDirectInfoc;

void Le(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Text(Bytes& b, const std::string& s) {
    Le(b, static_cast<uint32_t>(s.size()), 2);
    for (unsigned char c : s) b.push_back(c ^ 0xA7);
}

TEST(KPublicBlock, FieldsInOrderAsTableOne) {
    KPublicFacts f;
    for (int i = 0; i < 16; ++i) f.installId[i] = static_cast<uint8_t>(0x10 + i);
    f.tid1 = 1, f.tid2 = 2, f.tod1 = 3, f.tod2 = -4, f.tryNo = 1234, f.iid = 77, f.now = 0x65000000, f.version = 42;
    f.svrid = "S", f.installTime = "2024-1-2 3:4:5", f.systemCode = "19";
    KPublicBlock block(f);

    Bytes e = {0x01, 0x00, 16, 0};
    e.insert(e.end(), f.installId.begin(), f.installId.end());
    for (int32_t v : {1, 2, 3, -4}) Le(e, static_cast<uint32_t>(v), 4);
    e.push_back(1);
    Le(e, 1234, 2);
    Le(e, 77, 4);
    Le(e, 0x65000000, 4);
    Le(e, 42, 4);
    for (const char* s : {"S", "1", "2024-1-2 3:4:5", "19", "", ""}) Text(e, s);
    EXPECT_EQ(block.Record(), e);
    EXPECT_FALSE(block.SaveFlag());
    EXPECT_EQ(block.TableNumber(), 1);
}

TEST(KPublicBlock, TryNoZeroIsSentAs6100) {
    KPublicFacts f;
    f.tryNo = 0;
    KPublicBlock block(f);
    const Bytes& r = block.Record();
    // table 2 + binary 18 + four ints 16 + byte 1 = offset 37
    EXPECT_EQ(r[37] | r[38] << 8, 6100);
}

TEST(KPublicBlock, InstallationIdTable) {
    const std::array<uint8_t, 16> zero{};
    std::array<uint8_t, 16> expected{};
    for (int i = 0; i < 16; ++i) expected[i] = static_cast<uint8_t>(i * 0x11);
    const struct {
        std::wstring uuid;
        std::array<uint8_t, 16> id;
    } cases[] = {
        {L"00112233445566778899AABBCCDDEEFF", expected},
        {L"00112233445566778899aabbccddeeff", expected},
        {L"00112233445566778899AABBCCDDEEF", zero},
        {L"00112233445566778899AABBCCDDEEFF0", zero},
        {L"00112233445566778899AABBCCDDEEFG", zero},
        {L"{0112233445566778899AABBCCDDEEFF", zero},
        {L"", zero},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInstallationId(c.uuid), c.id) << std::string(c.uuid.begin(), c.uuid.end());
    }
}

TEST(KPublicBlock, SvridLengthWindow) {
    EXPECT_FALSE(IsUsableSvrid(std::wstring(10, L'x')));
    EXPECT_FALSE(IsUsableSvrid(std::wstring(26, L'x')));
    EXPECT_TRUE(IsUsableSvrid(std::wstring(27, L'x')));
    EXPECT_TRUE(IsUsableSvrid(std::wstring(41, L'x')));
    EXPECT_FALSE(IsUsableSvrid(std::wstring(42, L'x')));
}

TEST(KPublicBlock, SystemCodeTable) {
    const struct {
        int v;
        bool x64;
        int code;
    } cases[] = {{0, false, 0},   {1, true, 1},   {5, true, 5},   {6, false, 7},  {6, true, 8},
                 {12, false, 19}, {12, true, 20}, {13, true, 22}, {14, false, 0}, {-1, false, 0}};
    for (const auto& c : cases) EXPECT_EQ(SystemCodeFor(c.v, c.x64), c.code) << c.v << " " << c.x64;
}

TEST(KPublicBlock, VersionNumberTable) {
    const struct {
        const wchar_t* common;
        const wchar_t* infos;
        int32_t number;
    } cases[] = {
        {L"1.0.0.1021", L"2024.06.123456", 10211234},  // "001021" + "123456", last two dropped
        {L"2.0.0.1SP3", L"abc201", 13},                // "0013" + "abc201" -> "0013abc2" reads up to the 'a'
        {L"3.0.1", L"99", 1},                          // "01" + "99" -> "01"
        {L"", L"123456", 0},
        {L"1.0.0.1", L"", 0},
        {L"1.2.3.4.5.6.7.8", L"999999", INT32_MAX},  // too many digits saturate
        {L"1.", L"12", 0},                           // nothing left but two characters
    };
    for (const auto& c : cases) EXPECT_EQ(ComputeVersionNumber(c.common, c.infos), c.number) << c.number;
}

TEST(KPublicBlock, InstallTimeText) {
    KCalendarTime t;
    t.year = 2024, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 0;
    EXPECT_EQ(FormatInstallTime(t), "2024-3-7 9:5:0");
}

}  // namespace
