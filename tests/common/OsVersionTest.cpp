#include <gtest/gtest.h>

#include "common/OsVersion.h"

namespace {

constexpr unsigned long k9x = 1, kNT = 2;
constexpr unsigned char kWorkstation = 1, kDC = 2, kServer = 3;

ReportedOsVersion Reported(unsigned long platform, unsigned long major, unsigned long minor, unsigned long build,
                           unsigned char productType) {
    ReportedOsVersion r;
    r.answered = true;
    r.platformId = platform;
    r.major = major;
    r.minor = minor;
    r.build = build;
    r.productType = productType;
    return r;
}

struct OsCase {
    const char* what;
    ReportedOsVersion reported;
    TrueOsVersion trueVersion;
    int expected;
};

// What Windows 8 and later report to a program that does not declare them.
const ReportedOsVersion kHidden = Reported(kNT, 6, 2, 9200, kWorkstation);

const OsCase kCases[] = {
    {"GetVersionExW failed", ReportedOsVersion{}, {10, 0, 22000}, 0},
    {"Windows 95", Reported(k9x, 4, 0, 0x040003B6, 0), {}, 1},
    {"Windows 98", Reported(k9x, 4, 10, 0x040A08AE, 0), {}, 1},
    {"Windows Me", Reported(k9x, 4, 90, 0x045A0BB8, 0), {}, 2},
    {"9x build field above 4.90", Reported(k9x, 4, 91, 0x045B0000, 0), {}, 2},
    {"NT 3.51", Reported(kNT, 3, 51, 1057, 0), {}, 4},
    {"NT 4.0", Reported(kNT, 4, 0, 1381, kWorkstation), {}, 4},
    {"Windows 2000", Reported(kNT, 5, 0, 2195, kWorkstation), {}, 3},
    {"Windows XP", Reported(kNT, 5, 1, 2600, kWorkstation), {}, 6},
    {"Server 2003", Reported(kNT, 5, 2, 3790, kServer), {}, 5},
    {"unknown 5.x", Reported(kNT, 5, 3, 0, kWorkstation), {}, 0},
    {"Vista", Reported(kNT, 6, 0, 6002, kWorkstation), {}, 7},
    {"Server 2008", Reported(kNT, 6, 0, 6002, kServer), {}, 9},
    {"Server 2008 domain controller", Reported(kNT, 6, 0, 6002, kDC), {}, 9},
    {"Windows 7", Reported(kNT, 6, 1, 7601, kWorkstation), {}, 8},
    {"Server 2008 R2", Reported(kNT, 6, 1, 7601, kServer), {}, 9},
    {"Windows 8", kHidden, {6, 2, 9200}, 10},
    {"Windows 8.1", kHidden, {6, 3, 9600}, 11},
    {"Windows 10 preview 6.4", kHidden, {6, 4, 9841}, 12},
    {"Windows 10 22H2", kHidden, {10, 0, 19045}, 12},
    {"last Windows 10 build", kHidden, {10, 0, 21995}, 12},
    {"first Windows 11 build", kHidden, {10, 0, 21996}, 13},
    {"Windows 11 21H2", kHidden, {10, 0, 22000}, 13},
    {"only the low 16 bits of the build count", kHidden, {10, 0, 0xF0000000 | 19045}, 12},
    {"Server 2022 is 10.0 below 21996", Reported(kNT, 6, 2, 9200, kServer), {10, 0, 20348}, 12},
    {"a manifested program sees 10.0 itself", Reported(kNT, 10, 0, 22631, kWorkstation), {10, 0, 22631}, 13},
    {"unknown 6.x", kHidden, {6, 5, 0}, 10},
    {"unknown 10.x", kHidden, {10, 1, 30000}, 10},
    {"unknown major", kHidden, {11, 0, 30000}, 10},
    {"true version unknown (kernel file unreadable)", kHidden, {0, 0, 0}, 10},
    {"domain controller 6.2", Reported(kNT, 6, 2, 9200, kDC), {10, 0, 22000}, 0},
    {"domain controller 10.0", Reported(kNT, 10, 0, 20348, kDC), {10, 0, 20348}, 0},
    {"no product type after 6.1", Reported(kNT, 6, 2, 9200, 0), {10, 0, 22000}, 0},
    {"Win32s", Reported(0, 3, 10, 0, 0), {}, 0},
    {"CE", Reported(3, 6, 0, 0, 0), {}, 0},
};

TEST(OsVersion, ClassifiesTableOfSystems) {
    for (const OsCase& c : kCases) {
        EXPECT_EQ(ClassifyOsVersion(c.reported, c.trueVersion), c.expected) << c.what;
    }
}

TEST(OsVersion, TrueVersionMattersOnlyWhenAskedFor) {
    const TrueOsVersion other{6, 3, 9600};
    for (const OsCase& c : kCases) {
        if (NeedsTrueOsVersion(c.reported)) continue;
        EXPECT_EQ(ClassifyOsVersion(c.reported, other), c.expected) << c.what;
    }
    EXPECT_TRUE(NeedsTrueOsVersion(kHidden));
    EXPECT_TRUE(NeedsTrueOsVersion(Reported(kNT, 10, 0, 20348, kServer)));
    EXPECT_FALSE(NeedsTrueOsVersion(Reported(kNT, 6, 1, 7601, kWorkstation)));
    EXPECT_FALSE(NeedsTrueOsVersion(Reported(kNT, 6, 2, 9200, kDC)));
}

}  // namespace
