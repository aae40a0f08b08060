// The logger's clock: the six bytes of a clock reply taken as a date and time, and the
// clock setting sent from the pickers or from the computer's clock.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>

#include "data/calendar.h"
#include "protocol/request_params.h"

namespace lgcset::data {

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct DeviceTime {
    CalendarDate date;
    ClockTime time;
};

inline constexpr std::string_view kTimeErrorMessage = "time error";

enum class ClockReplyKind {
    Valid,      // `time` holds the logger's date and time
    MonthZero,  // the logger's own "no time" answer
    Invalid,    // no real date and time (month 13, 30 February, hour 24, year byte 150, ...)
};

struct ClockReply {
    ClockReplyKind kind = ClockReplyKind::Invalid;
    DeviceTime time;
    std::array<std::uint8_t, 6> bytes{};  // year mod 100, month, day, hour, minute, second
};

// The first six payload bytes of a clock reply; the year is taken as 2000 + the byte.
ClockReply DecodeClockReply(std::span<const std::uint8_t> payload);

// The message for a reply of kind Invalid: it names the six numbers received.
std::string InvalidClockMessage(const ClockReply& reply);

// The clock setting from the date of the date picker and the time of the time picker.
void StoreClockFromPickers(const CalendarDate& date, const ClockTime& time,
                           protocol::ClockSetting& clock);
// The clock setting from the computer's local clock at `now`.
void StoreClockFromNow(protocol::ClockSetting& clock, std::time_t now = std::time(nullptr));

}  // namespace lgcset::data
