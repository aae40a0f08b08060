// The answers a history gives beyond its records: per sensor its range, mean, Mean Kinetic
// Temperature and excursions beyond the alarm limits, and the gaps of the log.
//
// Times are chart seconds (data/history_chart_data.h): seconds from 1970-01-01 00:00:00 of
// the logger's own clock.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "analysis/excursion_summary.h"
#include "analysis/excursions.h"
#include "analysis/log_gaps.h"
#include "analysis/rolling_mkt.h"
#include "analysis/sensor_setup.h"
#include "data/history_record.h"

namespace lgcset::analysis {

struct SensorStatistics {
    int sensor = 1;  // 1 to 4
    SensorKind kind = SensorKind::Celsius;
    std::size_t count = 0;  // readings: records that carry a value of the sensor
    // Values the sensor sent that are no number (NaN, infinite): left out of every figure,
    // counted so that a report can say so.
    std::size_t notNumbers = 0;
    double min = 0;
    double minTime = 0;  // the first reading of the minimum
    double max = 0;
    double maxTime = 0;
    double mean = 0;
    std::optional<double> mkt;  // in the sensor's unit; nothing for an analog sensor
    SensorLimits limits{};
    std::vector<Excursion> excursions;                   // by start time
    std::array<double, kLimits.size()> secondsBeyond{};  // by LimitIndex
    std::vector<ExcursionSummary> excursionSummaries;    // beside excursions
    // The highest MKT over a window of DefaultMktWindow, in the sensor's unit; nothing for
    // an analog sensor.
    std::optional<RollingMkt> rollingMkt;
};

struct HistoryAnalysis {
    std::size_t records = 0;  // given
    std::size_t untimed = 0;  // left out: their time is not a valid date and time
    std::optional<double> from, to;
    LogGaps log;
    std::vector<SensorStatistics> sensors;  // only those with at least one reading
};

// Records are taken in time order (equal times in the order given). A sensor value that is
// not finite is left out of the figures and counted in notNumbers; a sensor with no other
// value is not listed.
HistoryAnalysis AnalyzeHistory(std::span<const data::HistoryRecord> records,
                               const SensorSetups& setups);

}  // namespace lgcset::analysis
