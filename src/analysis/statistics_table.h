// The statistics and excursions of an analysis as rows of text, held once for the chart
// window's panel and the PDF report, so that both show the same captions and figures.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/history_analysis.h"

namespace lgcset::analysis {

// The limits' captions as the alarm settings show them, by LimitIndex.
inline constexpr std::array<std::string_view, kLimits.size()> kLimitCaptions{"Ultra-low", "Low",
                                                                             "High", "Ultra-high"};

// One line of the statistics table: its caption and its cell for a sensor. `separator` is
// the decimal separator.
struct StatisticRow {
    std::string_view caption;
    std::string (*cell)(const SensorStatistics& sensor, std::string_view separator);
};
std::span<const StatisticRow> StatisticRows();

// "1 d 02:03:04", "02:03:04".
std::string DurationText(double seconds);

// An excursion and the sensor it belongs to.
struct SensorExcursion {
    int sensor = 1;
    Excursion excursion;
};
// Every sensor's excursions, longest first (equal ones by start).
std::vector<SensorExcursion> ExcursionsLongestFirst(const HistoryAnalysis& analysis);
// Every sensor's excursions by start.
std::vector<SensorExcursion> ExcursionsByStart(const HistoryAnalysis& analysis);

inline constexpr std::array<std::string_view, 6> kExcursionColumns{"Sensor", "Limit",    "From",
                                                                   "To",     "Duration", "Peak"};
std::array<std::string, kExcursionColumns.size()> ExcursionCells(const SensorExcursion& e,
                                                                 std::string_view separator);

}  // namespace lgcset::analysis
