#include "data/device_clock.h"

#include <algorithm>

#include "data/local_time.h"

namespace lgcset::data {

ClockReply DecodeClockReply(std::span<const std::uint8_t> payload) {
    ClockReply reply;
    // A reply shorter than six bytes reads 0xFF past its end, as the payload area does.
    reply.bytes.fill(0xFF);
    std::copy_n(payload.begin(), std::min(payload.size(), reply.bytes.size()), reply.bytes.begin());
    const auto& b = reply.bytes;
    reply.time = {{2000 + b[0], b[1], b[2]}, {b[3], b[4], b[5]}};
    if (b[1] == 0) {
        reply.kind = ClockReplyKind::MonthZero;
        return reply;
    }
    const DeviceTime& t = reply.time;
    // The year travels as two digits: a byte above 99 would show as another year in the
    // two-digit pickers and go back to the logger as that year.
    const bool valid = b[0] <= 99 && IsValidDateTime(t.date.year, t.date.month, t.date.day,
                                                     t.time.hour, t.time.minute, t.time.second);
    reply.kind = valid ? ClockReplyKind::Valid : ClockReplyKind::Invalid;
    return reply;
}

std::string InvalidClockMessage(const ClockReply& reply) {
    static constexpr std::array<const char*, 6> kNames{"year", "month",  "day",
                                                       "hour", "minute", "second"};
    std::string text = "The device sent a time that is no valid date and time (";
    for (std::size_t k = 0; k < kNames.size(); ++k) {
        if (k > 0) {
            text += ", ";
        }
        text += kNames[k];
        text += ' ';
        text += std::to_string(reply.bytes[k]);
    }
    text += "). The date and time shown are unchanged.";
    return text;
}

void StoreClockFromPickers(const CalendarDate& date, const ClockTime& time,
                           protocol::ClockSetting& clock) {
    clock = protocol::ClockSetting::FromDateTime(date.year, date.month, date.day, time.hour,
                                                 time.minute, time.second);
}

void StoreClockFromNow(protocol::ClockSetting& clock, std::time_t now) {
    const std::tm local = LocalFields(now);
    StoreClockFromPickers({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                          {local.tm_hour, local.tm_min, std::min(local.tm_sec, 59)}, clock);
}

}  // namespace lgcset::data
