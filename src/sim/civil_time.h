// Wall-clock date and time without a time zone, as the logger keeps it, and its conversion
// to a plain count of seconds so that clock offsets and log times are simple arithmetic.
#pragma once

#include <cstdint>

namespace lgcset::sim {

struct CivilTime {
    int year = 2000;  // full year
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const CivilTime&) const = default;
};

// Division that rounds toward negative infinity (b > 0), for times before an epoch.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

// Days in a month of a year of the Gregorian calendar; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// True when every field names a real moment (leap years included).
bool IsValid(const CivilTime& t);

// Seconds since 1970-01-01 00:00:00 of the same (zone-less) calendar, and back.
std::int64_t ToSeconds(const CivilTime& t);
CivilTime FromSeconds(std::int64_t seconds);

// The host's local wall-clock time now, as seconds of the same count.
std::int64_t HostLocalSeconds();

}  // namespace lgcset::sim
