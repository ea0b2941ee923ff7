// A point in time as whole seconds since 1970-01-01 00:00:00 UTC, with its local calendar form.
// Values run from 0 up to, not including, kTimeLimit (the C runtime's limit for 64-bit times); anything else is
// replaced by 2000-01-01 00:00:00 local time on construction, so a KTime always holds a valid value.
//
// Portable: the calendar type and the clamping rules (KTime.cpp). The class itself needs the Windows C runtime
// and lives in KTime_win.cpp.
#pragma once

#include <cstdint>

// The layout of the Windows SYSTEMTIME. dayOfWeek: 0 = Sunday; milliseconds is always 0 here.
struct KCalendarTime {
    uint16_t year = 0;
    uint16_t month = 0;  // 1-12
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;  // 1-31
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

inline constexpr int64_t kTimeLimit = 0x793406FFF;  // 32535244799

inline constexpr bool IsValidKTimeValue(int64_t seconds) { return seconds >= 0 && seconds < kTimeLimit; }

// Replaces fields out of range before a calendar form is converted: second or minute from 60, hour above 23 → 0;
// day outside 1-31 → 1; month 0 or above 12 → 1; year below 1900 or from 3000 → 2000. dayOfWeek and
// milliseconds are left as they are (the conversion ignores them). A day beyond the month's end (31 February)
// is kept and rolls into the next month on conversion.
KCalendarTime ClampCalendarFields(KCalendarTime local);

class KTime {
public:
    explicit KTime(int64_t seconds);
    // Local calendar fields, clamped as above and converted with daylight saving assumed off.
    explicit KTime(const KCalendarTime& local);
    virtual ~KTime() = default;

    static KTime Now();

    int64_t GetTime() const { return m_seconds; }

    // Local calendar form; 2000-01-01 00:00:00 (day of week 0) if the C runtime cannot convert the value.
    KCalendarTime ToSystemTime() const;

private:
    int64_t m_seconds;
};
