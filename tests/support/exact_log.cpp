#include "support/exact_log.h"

namespace lgcset::support {

sim::Options ExactLog(std::uint32_t records, int minutesApart, sim::CivilTime last) {
    sim::Options options;
    options.historyEnd = last;
    options.logIntervalMinutes = minutesApart;
    options.historyRecords = records;
    return options;
}

sim::Options HourlyLog(std::uint32_t records, const std::string& deviceId) {
    sim::Options options = ExactLog(records, 60);
    options.deviceId = deviceId;
    return options;
}

}  // namespace lgcset::support
