// The log interval and the gaps of a log: the most common interval between consecutive
// records is the interval the logger was set to; an interval longer than twice it is a gap
// (the logger was off, or its memory was cleared in between).
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace lgcset::analysis {

struct LogGap {
    double from = 0;  // chart seconds of the record before the gap
    double to = 0;    // of the record after it
    double seconds = 0;
};

struct LogGaps {
    std::optional<double> interval;  // seconds; nothing with fewer than two distinct times
    std::vector<LogGap> gaps;
};

// `times`: of the records in time order. Records of equal time (a clock set back) say
// nothing of the interval and are passed over; of intervals equally common the shortest is
// taken.
LogGaps FindLogGaps(std::span<const double> times);

}  // namespace lgcset::analysis
