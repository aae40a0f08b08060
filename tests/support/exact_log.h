// Simulated loggers whose history is known record by record, for the suites that fetch it.
#pragma once

#include <cstdint>
#include <string>

#include "sim/options.h"

namespace lgcset::support {

// Where the logs end unless a suite says otherwise: noon on 2024-03-10.
inline constexpr sim::CivilTime kLastRecord{2024, 3, 10, 12, 0, 0};

// Exactly `records` records `minutesApart` apart, the last at `last`.
sim::Options ExactLog(std::uint32_t records, int minutesApart, sim::CivilTime last = kLastRecord);

// Records an hour apart up to kLastRecord (200 of them start on 2024-03-02 at 05:00), on a
// logger with the device ID given (none: fifteen '0').
sim::Options HourlyLog(std::uint32_t records, const std::string& deviceId = {});

}  // namespace lgcset::support
