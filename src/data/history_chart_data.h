// What a chart of history records shows: one series per sensor against time, the track of
// the positions, and the ranges that the whole view spans.
//
// Time is counted in seconds from 1970-01-01 00:00:00 of the logger's own clock; no time
// zone is applied, so the chart shows the times the records carry. A NaN value in a series
// is a gap: a record of that time lacked the value, and the line stops there. The track has
// no gaps.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/history_record.h"

namespace lgcset::data {

struct ChartPoint {
    double time = 0;
    double value = 0;  // NaN: gap
};

struct TrackPoint {
    double time = 0;
    double longitude = 0;  // degrees
    double latitude = 0;   // degrees
};

struct ChartRange {
    double lower = 0;
    double upper = 0;
    bool empty = true;

    void Include(double value);
};

struct HistoryChartData {
    // Per sensor, points in time order; empty when the sensor has no value at all.
    std::array<std::vector<ChartPoint>, kSensorCount> sensors;
    std::array<std::size_t, kSensorCount> valueCounts{};  // points that are not gaps
    std::vector<TrackPoint> track;  // every positioned record; empty when none has a position

    ChartRange time;   // of every record with a usable time
    ChartRange value;  // of every sensor value
    ChartRange longitude;
    ChartRange latitude;

    std::size_t recordCount = 0;   // records given
    std::size_t untimedCount = 0;  // records left out: their time is not a valid date and time

    bool HasSensor(int sensor) const { return valueCounts[static_cast<std::size_t>(sensor)] > 0; }
    bool HasTrack() const { return !track.empty(); }
    bool HasValues() const;
};

// The chart of the records. Records are taken in time order (those of equal time in the
// order given), so a logger clock set back does not fold the line onto itself. A sensor value
// that is not finite is a gap, as is a record that lacks it. The track holds every record
// that carries both longitude and latitude (unsigned millionths, as the export writes them)
// and joins each to the next such record: a record without a fix says nothing of where the
// logger was, and loggers that take a fix only every few records would otherwise leave a
// track of lone points with no line between them.
HistoryChartData BuildHistoryChart(std::span<const HistoryRecord> records);

// The record's time in chart seconds, or nothing when its fields are not a valid date and
// time of 2000-01-01 .. 2099-12-31.
std::optional<double> RecordTime(const HistoryRecord& record);

// A record with a usable time: that time and its index among the records given.
struct TimedRecord {
    double time = 0;
    std::size_t index = 0;
};
// The records with a usable time, in time order (those of equal time in the order given).
std::vector<TimedRecord> RecordsInTimeOrder(std::span<const HistoryRecord> records);

// The values a whole-range view spans: the readings' range, widened to each limit that lies
// near them, within the readings' span beyond either end ([lower - span, upper + span]; a
// span below `minSpan` counts as `minSpan`). A limit further out would flatten every curve:
// it is left out (the chart marks it at the edge). Without readings, no limit is taken.
ChartRange WholeValueRange(const ChartRange& readings, std::span<const double> limits,
                           double minSpan);

// "yy-mm-dd hh:mm:ss" of a time in chart seconds (rounded down to the second).
std::string FormatChartTime(double seconds);

}  // namespace lgcset::data
