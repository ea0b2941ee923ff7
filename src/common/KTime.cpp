#include "common/KTime.h"

KCalendarTime ClampCalendarFields(KCalendarTime t) {
    if (t.second >= 60) t.second = 0;
    if (t.minute >= 60) t.minute = 0;
    if (t.hour > 23) t.hour = 0;
    if (t.day < 1 || t.day > 31) t.day = 1;
    if (t.month < 1 || t.month > 12) t.month = 1;
    if (t.year < 1900 || t.year >= 3000) t.year = 2000;
    return t;
}
