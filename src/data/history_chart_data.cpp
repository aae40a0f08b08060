#include "data/history_chart_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "data/calendar.h"

namespace lgcset::data {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSecondsPerDay = 86400.0;

bool SensorValueAt(const HistoryRecord& record, int sensor, double& value) {
    const auto s = static_cast<std::size_t>(sensor);
    if (record.sensorPresent[s] != 1 || !std::isfinite(record.sensor[s]))
        return false;
    value = record.sensor[s];
    return true;
}

// Appends a point, or a gap after a point (one gap is enough for a run of missing values).
void AppendOrGap(std::vector<ChartPoint>& series, std::size_t& values, const ChartPoint& point,
                 bool present, bool& open) {
    if (present) {
        series.push_back(point);
        ++values;
        open = true;
    } else if (open) {
        series.push_back({point.time, kNaN});
        open = false;
    }
}

// A series that ends in a gap carries it for nothing.
void DropTrailingGap(std::vector<ChartPoint>& series, bool open) {
    if (!open && !series.empty())
        series.pop_back();
}

}  // namespace

void ChartRange::Include(double v) {
    if (empty) {
        lower = upper = v;
        empty = false;
        return;
    }
    lower = std::min(lower, v);
    upper = std::max(upper, v);
}

bool HistoryChartData::HasValues() const {
    return std::any_of(valueCounts.begin(), valueCounts.end(), [](std::size_t n) { return n > 0; });
}

std::optional<double> RecordTime(const HistoryRecord& r) {
    const int year = 2000 + r.year;
    if (r.year > 99 || !IsValidDateTime(year, r.month, r.day, r.hour, r.minute, r.second))
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, r.month, r.day);
    return static_cast<double>(days) * kSecondsPerDay + r.hour * 3600.0 + r.minute * 60.0 +
           r.second;
}

ChartRange WholeValueRange(const ChartRange& readings, std::span<const double> limits,
                           double minSpan) {
    ChartRange range = readings;
    if (readings.empty)
        return range;
    const double span = std::max(readings.upper - readings.lower, minSpan);
    for (const double limit : limits)
        if (limit >= readings.lower - span && limit <= readings.upper + span)
            range.Include(limit);
    return range;
}

std::string FormatChartTime(double seconds) {
    if (!std::isfinite(seconds) || std::abs(seconds) > 1e14)
        return {};
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    std::int64_t days = whole / 86400;
    std::int64_t rest = whole % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const CalendarDate c = CivilFromDays(days);
    const int yy = (c.year % 100 + 100) % 100;
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d %02d:%02d:%02d", yy, c.month, c.day,
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

std::vector<TimedRecord> RecordsInTimeOrder(std::span<const HistoryRecord> records) {
    std::vector<TimedRecord> order;
    order.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (const auto t = RecordTime(records[i]))
            order.push_back({*t, i});
    }
    const auto earlier = [](const TimedRecord& a, const TimedRecord& b) { return a.time < b.time; };
    if (!std::is_sorted(order.begin(), order.end(), earlier))
        std::stable_sort(order.begin(), order.end(), earlier);
    return order;
}

HistoryChartData BuildHistoryChart(std::span<const HistoryRecord> records) {
    HistoryChartData chart;
    chart.recordCount = records.size();

    const std::vector<TimedRecord> order = RecordsInTimeOrder(records);
    chart.untimedCount = records.size() - order.size();

    std::array<bool, kSensorCount> open{};
    for (const TimedRecord& t : order) {
        const HistoryRecord& r = records[t.index];
        chart.time.Include(t.time);
        for (int s = 0; s < kSensorCount; ++s) {
            const auto si = static_cast<std::size_t>(s);
            double v = 0;
            const bool present = SensorValueAt(r, s, v);
            if (present)
                chart.value.Include(v);
            AppendOrGap(chart.sensors[si], chart.valueCounts[si], ChartPoint{t.time, v}, present,
                        open[si]);
        }
        if (r.longitude != kAbsentPosition && r.latitude != kAbsentPosition) {
            const TrackPoint p{t.time, r.longitude / 1e6, r.latitude / 1e6};
            chart.longitude.Include(p.longitude);
            chart.latitude.Include(p.latitude);
            chart.track.push_back(p);
        }
    }
    for (std::size_t s = 0; s < kSensorCount; ++s) DropTrailingGap(chart.sensors[s], open[s]);
    return chart;
}

}  // namespace lgcset::data
