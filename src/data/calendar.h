// The Gregorian calendar as the logger's dates need it: whether fields name a real date and
// time, and the count of days from 1970-01-01 that the chart and the export compute with.
#pragma once

#include <compare>
#include <cstdint>

namespace lgcset::data {

struct CalendarDate {
    int year = 2000;  // full calendar year
    int month = 1;
    int day = 1;
    // Earlier days compare less.
    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// Month 1..12 and a day that the month has.
bool IsValidDate(int year, int month, int day);
// A valid date and a time of day from 00:00:00 to 23:59:59.
bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second);

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (negative before it),
// and the date of such a day count.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
CalendarDate CivilFromDays(std::int64_t days);

}  // namespace lgcset::data
