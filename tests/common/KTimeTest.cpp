#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>

#include "common/KTime.h"

namespace {

KCalendarTime Cal(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
                  uint16_t dayOfWeek = 0, uint16_t ms = 0) {
    KCalendarTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.dayOfWeek = dayOfWeek;
    t.milliseconds = ms;
    return t;
}

auto Fields(const KCalendarTime& t) {
    return std::make_tuple(t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds);
}

struct ClampCase {
    const char* what;
    KCalendarTime in;
    KCalendarTime expected;
};

const ClampCase kClampCases[] = {
    {"all fields at their upper bounds stay", Cal(2999, 12, 31, 23, 59, 59), Cal(2999, 12, 31, 23, 59, 59)},
    {"lower bounds stay", Cal(1900, 1, 1, 0, 0, 0), Cal(1900, 1, 1, 0, 0, 0)},
    {"second 60", Cal(2021, 6, 15, 10, 20, 60), Cal(2021, 6, 15, 10, 20, 0)},
    {"minute 60", Cal(2021, 6, 15, 10, 60, 30), Cal(2021, 6, 15, 10, 0, 30)},
    {"hour 24", Cal(2021, 6, 15, 24, 20, 30), Cal(2021, 6, 15, 0, 20, 30)},
    {"day 0", Cal(2021, 6, 0, 10, 20, 30), Cal(2021, 6, 1, 10, 20, 30)},
    {"day 32", Cal(2021, 6, 32, 10, 20, 30), Cal(2021, 6, 1, 10, 20, 30)},
    {"day 31 of a 30-day month is left to the conversion", Cal(2021, 6, 31, 0, 0, 0), Cal(2021, 6, 31, 0, 0, 0)},
    {"month 0", Cal(2021, 0, 15, 10, 20, 30), Cal(2021, 1, 15, 10, 20, 30)},
    {"month 13", Cal(2021, 13, 15, 10, 20, 30), Cal(2021, 1, 15, 10, 20, 30)},
    {"year 1899", Cal(1899, 6, 15, 10, 20, 30), Cal(2000, 6, 15, 10, 20, 30)},
    {"year 3000", Cal(3000, 6, 15, 10, 20, 30), Cal(2000, 6, 15, 10, 20, 30)},
    {"every field out of range at once", Cal(65535, 65535, 65535, 65535, 65535, 65535), Cal(2000, 1, 1, 0, 0, 0)},
    {"day of week and milliseconds are not touched", Cal(2021, 6, 15, 10, 20, 30, 9, 999),
     Cal(2021, 6, 15, 10, 20, 30, 9, 999)},
};

TEST(KTime, ClampsCalendarFieldsTable) {
    for (const ClampCase& c : kClampCases) {
        EXPECT_EQ(Fields(ClampCalendarFields(c.in)), Fields(c.expected)) << c.what;
    }
}

TEST(KTime, ValidRangeEndsBeforeTheRuntimeLimit) {
    const struct {
        int64_t value;
        bool valid;
    } cases[] = {
        {0, true},
        {1, true},
        {32535244798, true},
        {32535244799, false},  // the limit itself
        {-1, false},
        {std::numeric_limits<int64_t>::min(), false},
        {std::numeric_limits<int64_t>::max(), false},
    };
    EXPECT_EQ(kTimeLimit, 32535244799);
    for (const auto& c : cases) EXPECT_EQ(IsValidKTimeValue(c.value), c.valid) << c.value;
}

}  // namespace
