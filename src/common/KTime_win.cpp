#include <windows.h>

#include <cstddef>
#include <ctime>

#include "common/KTime.h"

// Callers hand KCalendarTime to Win32 as a SYSTEMTIME.
static_assert(sizeof(KCalendarTime) == sizeof(SYSTEMTIME), "KCalendarTime must match SYSTEMTIME");
static_assert(offsetof(KCalendarTime, dayOfWeek) == offsetof(SYSTEMTIME, wDayOfWeek), "field order");
static_assert(offsetof(KCalendarTime, milliseconds) == offsetof(SYSTEMTIME, wMilliseconds), "field order");

namespace {

// Local calendar fields to seconds; -1 when the runtime cannot represent them.
int64_t LocalToSeconds(const KCalendarTime& t) {
    std::tm fields = {};
    fields.tm_year = t.year - 1900;
    fields.tm_mon = t.month - 1;
    fields.tm_mday = t.day;
    fields.tm_hour = t.hour;
    fields.tm_min = t.minute;
    fields.tm_sec = t.second;
    fields.tm_isdst = 0;
    return _mktime64(&fields);
}

int64_t FallbackSeconds() {
    KCalendarTime newYear2000;
    newYear2000.year = 2000;
    newYear2000.month = 1;
    newYear2000.day = 1;
    return LocalToSeconds(newYear2000);
}

}  // namespace

KTime::KTime(int64_t seconds) : m_seconds(IsValidKTimeValue(seconds) ? seconds : FallbackSeconds()) {}

// A clamped calendar that the runtime still cannot convert (1900 to 1969) comes back as -1, and -1 is
// replaced by the fallback.
KTime::KTime(const KCalendarTime& local) : KTime(LocalToSeconds(ClampCalendarFields(local))) {}

KTime KTime::Now() { return KTime(_time64(nullptr)); }

KCalendarTime KTime::ToSystemTime() const {
    KCalendarTime result;
    std::tm fields = {};
    const __time64_t seconds = m_seconds;
    if (!IsValidKTimeValue(m_seconds) || _localtime64_s(&fields, &seconds) != 0) {
        result.year = 2000;
        result.month = 1;
        result.day = 1;
        return result;
    }
    result.year = static_cast<uint16_t>(fields.tm_year + 1900);
    result.month = static_cast<uint16_t>(fields.tm_mon + 1);
    result.dayOfWeek = static_cast<uint16_t>(fields.tm_wday);
    result.day = static_cast<uint16_t>(fields.tm_mday);
    result.hour = static_cast<uint16_t>(fields.tm_hour);
    result.minute = static_cast<uint16_t>(fields.tm_min);
    result.second = static_cast<uint16_t>(fields.tm_sec);
    return result;
}
