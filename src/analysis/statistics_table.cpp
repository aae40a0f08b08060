#include "analysis/statistics_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/history_chart_data.h"
#include "data/number_format.h"

namespace lgcset::analysis {
namespace {

// Readings and limits are single precision on the logger; two decimals show them as it did.
std::string Number(double value, std::string_view separator) {
    return data::FormatUpToTwoDecimals(value, separator);
}

std::string Limit(const SensorStatistics& s, LimitKind kind, std::string_view separator) {
    const auto limit = s.limits[LimitIndex(kind)];
    return limit ? Number(*limit, separator) : "-";
}

// Time beyond a limit means nothing when the limit is unset.
std::string Beyond(const SensorStatistics& s, LimitKind kind) {
    if (!s.limits[LimitIndex(kind)])
        return "-";
    return DurationText(s.secondsBeyond[LimitIndex(kind)]);
}

template <LimitKind kind>
std::string LimitCell(const SensorStatistics& s, std::string_view separator) {
    return Limit(s, kind, separator);
}

template <LimitKind kind>
std::string BeyondCell(const SensorStatistics& s, std::string_view) {
    return Beyond(s, kind);
}

constexpr StatisticRow kRows[] = {
    {"Kind",
     [](const SensorStatistics& s, std::string_view) {
         return std::string(s.kind == SensorKind::Celsius      ? "°C"
                            : s.kind == SensorKind::Fahrenheit ? "°F"
                                                               : "analog");
     }},
    {"Readings",
     [](const SensorStatistics& s, std::string_view) { return std::to_string(s.count); }},
    // Values that are no number are in no figure below; say how many were left out.
    {"Not numbers",
     [](const SensorStatistics& s, std::string_view) { return std::to_string(s.notNumbers); }},
    {"Minimum", [](const SensorStatistics& s, std::string_view sep) { return Number(s.min, sep); }},
    {"Minimum at",
     [](const SensorStatistics& s, std::string_view) { return data::FormatChartTime(s.minTime); }},
    {"Maximum", [](const SensorStatistics& s, std::string_view sep) { return Number(s.max, sep); }},
    {"Maximum at",
     [](const SensorStatistics& s, std::string_view) { return data::FormatChartTime(s.maxTime); }},
    {"Mean", [](const SensorStatistics& s, std::string_view sep) { return Number(s.mean, sep); }},
    {"MKT", [](const SensorStatistics& s,
               std::string_view sep) { return s.mkt ? Number(*s.mkt, sep) : std::string("-"); }},
    {"Ultra-low limit", LimitCell<LimitKind::UltraLow>},
    {"Low limit", LimitCell<LimitKind::Low>},
    {"High limit", LimitCell<LimitKind::High>},
    {"Ultra-high limit", LimitCell<LimitKind::UltraHigh>},
    {"Time above high", BeyondCell<LimitKind::High>},
    {"Time below low", BeyondCell<LimitKind::Low>},
    {"Time above ultra-high", BeyondCell<LimitKind::UltraHigh>},
    {"Time below ultra-low", BeyondCell<LimitKind::UltraLow>},
    {"Excursions", [](const SensorStatistics& s,
                      std::string_view) { return std::to_string(s.excursions.size()); }},
};

std::vector<SensorExcursion> AllExcursions(const HistoryAnalysis& analysis) {
    std::vector<SensorExcursion> all;
    for (const SensorStatistics& s : analysis.sensors)
        for (const Excursion& e : s.excursions) all.push_back({s.sensor, e});
    return all;
}

}  // namespace

std::span<const StatisticRow> StatisticRows() {
    return kRows;
}

std::string DurationText(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    char text[32];
    const long long days = whole / 86400;
    const auto h = static_cast<int>(whole % 86400 / 3600);
    const auto m = static_cast<int>(whole % 3600 / 60);
    const auto s = static_cast<int>(whole % 60);
    if (days > 0)
        std::snprintf(text, sizeof text, "%lld d %02d:%02d:%02d", days, h, m, s);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
    return text;
}

std::vector<SensorExcursion> ExcursionsLongestFirst(const HistoryAnalysis& analysis) {
    std::vector<SensorExcursion> all = AllExcursions(analysis);
    std::stable_sort(all.begin(), all.end(),
                     [](const SensorExcursion& a, const SensorExcursion& b) {
                         if (a.excursion.seconds != b.excursion.seconds)
                             return a.excursion.seconds > b.excursion.seconds;
                         return a.excursion.from < b.excursion.from;
                     });
    return all;
}

std::vector<SensorExcursion> ExcursionsByStart(const HistoryAnalysis& analysis) {
    std::vector<SensorExcursion> all = AllExcursions(analysis);
    std::stable_sort(all.begin(), all.end(),
                     [](const SensorExcursion& a, const SensorExcursion& b) {
                         return a.excursion.from < b.excursion.from;
                     });
    return all;
}

std::array<std::string, kExcursionColumns.size()> ExcursionCells(const SensorExcursion& e,
                                                                 std::string_view separator) {
    const Excursion& x = e.excursion;
    return {std::to_string(e.sensor),      std::string(kLimitCaptions[LimitIndex(x.kind)]),
            data::FormatChartTime(x.from), data::FormatChartTime(x.to) + (x.open ? " (open)" : ""),
            DurationText(x.seconds),       Number(x.peak, separator)};
}

}  // namespace lgcset::analysis
