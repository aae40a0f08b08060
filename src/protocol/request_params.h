// The values a tool stores before it asks for a request: the relay test, the history
// query range and record index, and the clock setting. The request builders read them.
#pragma once

#include <cstdint>
#include <optional>

namespace lgcset::protocol {

// The logger's clock as sent: year mod 100, month, day, hour, minute, second.
struct ClockSetting {
    std::uint8_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    // Takes a full calendar year and keeps year mod 100.
    static ClockSetting FromDateTime(int year, int month, int day, int hour, int minute,
                                     int second);
};

// Action letter of a relay control request.
enum class RelayAction : std::uint8_t {
    NcNo = 'C',   // relay on for the working time
    Pulse = 'P',  // ON time, OFF time, repeat count
    Stop = 'O',
};

// A relay field left empty is sent as 255.
struct RelayTestParams {
    std::optional<std::uint16_t> workingTime;  // seconds
    std::optional<std::uint16_t> onTime;       // seconds
    std::optional<std::uint16_t> offTime;      // seconds
    std::optional<std::uint16_t> repeatCount;  // only its low byte is sent
};

// A date of the history query range; the year is a full calendar year.
struct QueryDate {
    int year = 2000;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
};

struct RequestParams {
    // The letter the next relay control request carries. Each relay request clears it,
    // so every request needs a fresh letter; with none pending nothing is sent.
    std::optional<RelayAction> pendingRelayAction;
    RelayTestParams relay;

    QueryDate historyFrom;
    QueryDate historyTo;
    std::uint16_t historyRecordIndex = 0;  // 1..count; 0 ends a transfer

    ClockSetting clock;
};

}  // namespace lgcset::protocol
