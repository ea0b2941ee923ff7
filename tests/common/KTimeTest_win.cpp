#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <tuple>

#include "common/KTime.h"

namespace {

KCalendarTime Cal(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0, uint16_t minute = 0,
                  uint16_t second = 0) {
    KCalendarTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

auto Fields(const KCalendarTime& t) {
    return std::make_tuple(t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds);
}

TEST(KTime, OutOfRangeValuesBecomeNewYear2000Local) {
    const int64_t newYear2000 = KTime(Cal(2000, 1, 1)).GetTime();
    KCalendarTime expected = Cal(2000, 1, 1);
    expected.dayOfWeek = 6;  // a Saturday
    for (const int64_t value : {int64_t{-1}, kTimeLimit, kTimeLimit + 1, INT64_MIN, INT64_MAX}) {
        const KTime t(value);
        EXPECT_EQ(t.GetTime(), newYear2000) << value;
        EXPECT_EQ(Fields(t.ToSystemTime()), Fields(expected)) << value;
    }
    EXPECT_EQ(KTime(int64_t{0}).GetTime(), 0);
    EXPECT_EQ(KTime(kTimeLimit - 1).GetTime(), kTimeLimit - 1);
}

TEST(KTime, CalendarFormRoundTrips) {
    // Winter dates, as the conversion assumes daylight saving off; a leap day and a date past the 32-bit limit.
    const struct {
        KCalendarTime local;
        uint16_t dayOfWeek;
    } cases[] = {
        {Cal(2024, 1, 1, 0, 0, 0), 1},   {Cal(2024, 2, 29, 12, 30, 45), 4},  {Cal(1999, 12, 31, 23, 59, 59), 5},
        {Cal(2038, 1, 19, 3, 14, 8), 2}, {Cal(2999, 12, 31, 23, 59, 59), 2},
    };
    for (const auto& c : cases) {
        KCalendarTime expected = c.local;
        expected.dayOfWeek = c.dayOfWeek;
        EXPECT_EQ(Fields(KTime(c.local).ToSystemTime()), Fields(expected)) << c.local.year;
    }
    EXPECT_EQ(KTime(Cal(2024, 1, 2)).GetTime() - KTime(Cal(2024, 1, 1)).GetTime(), 86400);
}

TEST(KTime, CalendarConstructorClampsAndNormalises) {
    const int64_t newYear2000 = KTime(Cal(2000, 1, 1)).GetTime();
    EXPECT_EQ(KTime(Cal(2021, 13, 0, 24, 60, 60)).GetTime(), KTime(Cal(2021, 1, 1)).GetTime());
    EXPECT_EQ(KTime(Cal(3000, 1, 1)).GetTime(), newYear2000);
    // 31 February rolls into March, as the runtime normalises it.
    EXPECT_EQ(KTime(Cal(2021, 2, 31)).GetTime(), KTime(Cal(2021, 3, 3)).GetTime());
    // 1900 to 1969 pass the clamp but lie before 1970: the runtime refuses them, which gives the fallback.
    EXPECT_EQ(KTime(Cal(1900, 1, 1)).GetTime(), newYear2000);
    EXPECT_EQ(KTime(Cal(1969, 6, 1)).GetTime(), newYear2000);
}

TEST(KTime, NowIsTheRuntimeClock) {
    const int64_t before = _time64(nullptr);
    const int64_t now = KTime::Now().GetTime();
    const int64_t after = _time64(nullptr);
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);

    SYSTEMTIME local;
    GetLocalTime(&local);
    const KCalendarTime calendar = KTime::Now().ToSystemTime();
    EXPECT_EQ(calendar.year, local.wYear);
    EXPECT_EQ(calendar.month, local.wMonth);
    EXPECT_EQ(calendar.milliseconds, 0);
}

}  // namespace
