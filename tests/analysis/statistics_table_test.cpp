// The statistics and excursions as the chart's panel and the PDF report print them: a limit
// that is not set is told from one never crossed, durations past a day, and the excursions
// of all sensors longest first.
#include <gtest/gtest.h>

#include <string>

#include "analysis/statistics_table.h"

namespace lgcset::analysis {
namespace {

std::string Cell(std::string_view caption, const SensorStatistics& s) {
    for (const StatisticRow& row : StatisticRows())
        if (row.caption == caption)
            return row.cell(s, ",");
    return "(no row " + std::string(caption) + ")";
}

Excursion Beyond(LimitKind kind, double from, double seconds, double peak, bool open = false) {
    return {kind, from, from + seconds, seconds, peak, open};
}

TEST(StatisticsTable, DurationsRoundToTheSecondAndCountDays) {
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(59.5), "00:01:00");
    EXPECT_EQ(DurationText(86399), "23:59:59");
    EXPECT_EQ(DurationText(2 * 86400 + 3723), "2 d 01:02:03");
}

TEST(StatisticsTable, AnUnsetLimitIsNotAZeroTimeBeyondIt) {
    SensorStatistics s;
    s.kind = SensorKind::Fahrenheit;
    s.count = 3;
    s.min = 35.5;
    s.max = 46.25;
    s.mean = 40.125;
    s.mkt = 40.5;
    s.limits[LimitIndex(LimitKind::High)] = 45.1f;
    s.secondsBeyond[LimitIndex(LimitKind::High)] = 600;
    EXPECT_EQ(Cell("Kind", s), "°F");
    EXPECT_EQ(Cell("Minimum", s), "35,5");
    EXPECT_EQ(Cell("Mean", s), "40,13");
    EXPECT_EQ(Cell("High limit", s), "45,1");  // the logger's single precision shown as set
    EXPECT_EQ(Cell("Low limit", s), "-");
    EXPECT_EQ(Cell("Time above high", s), "00:10:00");
    EXPECT_EQ(Cell("Time below low", s), "-");

    s.kind = SensorKind::Analog;
    s.mkt.reset();
    EXPECT_EQ(Cell("MKT", s), "-");
    EXPECT_EQ(Cell("Kind", s), "analog");
}

TEST(StatisticsTable, ExcursionsOfAllSensorsLongestFirstAndByStart) {
    HistoryAnalysis a;
    a.sensors.resize(2);
    a.sensors[0].sensor = 1;
    a.sensors[0].excursions = {Beyond(LimitKind::High, 1000, 600, 8.5),
                               Beyond(LimitKind::UltraHigh, 1200, 120, 12.25),
                               Beyond(LimitKind::High, 9000, 1800, 9, true)};
    a.sensors[1].sensor = 3;
    a.sensors[1].excursions = {Beyond(LimitKind::Low, 500, 600, -1.5)};

    const auto longest = ExcursionsLongestFirst(a);
    ASSERT_EQ(longest.size(), 4u);
    EXPECT_EQ(longest[0].excursion.from, 9000);
    // Of equal length the earlier first, whichever sensor it belongs to.
    EXPECT_EQ(longest[1].sensor, 3);
    EXPECT_EQ(longest[2].excursion.from, 1000);
    EXPECT_EQ(longest[3].excursion.kind, LimitKind::UltraHigh);

    const auto byStart = ExcursionsByStart(a);
    ASSERT_EQ(byStart.size(), 4u);
    EXPECT_EQ(byStart[0].sensor, 3);
    EXPECT_EQ(byStart[3].excursion.from, 9000);

    const auto open = ExcursionCells(longest[0], ".");
    EXPECT_EQ(open[0], "1");
    EXPECT_EQ(open[1], "High");
    EXPECT_EQ(open[2], "70-01-01 02:30:00");
    EXPECT_EQ(open[3], "70-01-01 03:00:00 (open)");
    EXPECT_EQ(open[4], "00:30:00");
    EXPECT_EQ(open[5], "9");
    EXPECT_EQ(ExcursionCells(longest[3], ".")[1], "Ultra-high");
    EXPECT_EQ(ExcursionCells(longest[1], ".")[5], "-1.5");
}

}  // namespace
}  // namespace lgcset::analysis
