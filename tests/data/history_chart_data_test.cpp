// The chart built from history records: series with gaps, absent sensors, the track, time
// order and the records whose time cannot be shown.
#include "data/history_chart_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace lgcset::data {
namespace {

HistoryRecord At(int day, int hour, int minute) {
    HistoryRecord r;
    r.year = 24;
    r.month = 3;
    r.day = static_cast<std::uint8_t>(day);
    r.hour = static_cast<std::uint8_t>(hour);
    r.minute = static_cast<std::uint8_t>(minute);
    r.longitude = r.latitude = r.velocity = r.direction = kAbsentPosition;
    return r;
}

HistoryRecord& Set(HistoryRecord& r, int sensor, double value) {
    r.sensor[static_cast<std::size_t>(sensor)] = value;
    r.sensorPresent[static_cast<std::size_t>(sensor)] = 1;
    return r;
}

double T(int day, int hour, int minute) {
    return *RecordTime(At(day, hour, minute));
}

// (time, value) of a series, with NaN values as gaps.
std::vector<std::pair<double, double>> Points(const std::vector<ChartPoint>& series) {
    std::vector<std::pair<double, double>> out;
    for (const ChartPoint& p : series) out.emplace_back(p.time, p.value);
    return out;
}

bool IsGap(const ChartPoint& p) {
    return std::isnan(p.value);
}

TEST(HistoryChartData, SeriesBreakWhereARecordLacksTheValueAndAbsentSensorsStayEmpty) {
    std::vector<HistoryRecord> records;
    for (int i = 0; i < 6; ++i) {
        HistoryRecord r = At(5, 10, i * 10);
        Set(r, 0, 2.0 + i);
        // Sensor 2 lacks its value in records 2 and 3 (one gap), and in the last (no gap:
        // nothing follows it).
        if (i != 2 && i != 3 && i != 5)
            Set(r, 1, -1.5 * i);
        // Sensor 4 only from record 3 on: nothing to break before its first value.
        if (i >= 3)
            Set(r, 3, 20.25);
        records.push_back(r);
    }
    const HistoryChartData chart = BuildHistoryChart(records);

    EXPECT_EQ(chart.recordCount, 6u);
    EXPECT_EQ(chart.untimedCount, 0u);
    EXPECT_TRUE(chart.HasSensor(0));
    EXPECT_TRUE(chart.HasSensor(1));
    EXPECT_FALSE(chart.HasSensor(2));
    EXPECT_TRUE(chart.sensors[2].empty());
    EXPECT_TRUE(chart.HasSensor(3));
    EXPECT_EQ(chart.valueCounts[0], 6u);
    EXPECT_EQ(chart.valueCounts[1], 3u);
    EXPECT_EQ(chart.valueCounts[3], 3u);

    ASSERT_EQ(chart.sensors[0].size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(chart.sensors[0][static_cast<std::size_t>(i)].time, T(5, 10, i * 10));
        EXPECT_EQ(chart.sensors[0][static_cast<std::size_t>(i)].value, 2.0 + i);
    }
    const auto& s2 = chart.sensors[1];
    ASSERT_EQ(s2.size(), 4u);
    EXPECT_EQ(Points({s2[0], s2[1]}),
              (std::vector<std::pair<double, double>>{{T(5, 10, 0), 0.0}, {T(5, 10, 10), -1.5}}));
    EXPECT_TRUE(IsGap(s2[2]));
    EXPECT_EQ(s2[2].time, T(5, 10, 20));
    EXPECT_EQ(s2[3].time, T(5, 10, 40));
    EXPECT_EQ(s2[3].value, -6.0);
    ASSERT_EQ(chart.sensors[3].size(), 3u);
    EXPECT_EQ(chart.sensors[3].front().time, T(5, 10, 30));

    EXPECT_EQ(chart.time.lower, T(5, 10, 0));
    EXPECT_EQ(chart.time.upper, T(5, 10, 50));
    EXPECT_EQ(chart.value.lower, -6.0);
    EXPECT_EQ(chart.value.upper, 20.25);
    EXPECT_FALSE(chart.HasTrack());
    EXPECT_TRUE(chart.track.empty());
    EXPECT_TRUE(chart.longitude.empty);
}

TEST(HistoryChartData, TrackTakesRecordsWithBothCoordinatesAndJoinsThemAcrossThoseWithout) {
    std::vector<HistoryRecord> records(5, At(6, 8, 0));
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].minute = static_cast<std::uint8_t>(i);
        records[i].longitude = 113954321u + static_cast<std::uint32_t>(i) * 1000u;
        records[i].latitude = 22540000u + static_cast<std::uint32_t>(i) * 500u;
    }
    records[2].latitude = kAbsentPosition;  // a fix without latitude is no position
    // The largest value the logger can send is kept as the export shows it.
    records[4].longitude = 0xFFFFFFFEu;
    const HistoryChartData chart = BuildHistoryChart(records);

    EXPECT_FALSE(chart.HasValues());
    EXPECT_EQ(chart.track.size(), 4u);
    ASSERT_EQ(chart.track.size(), 4u);
    EXPECT_DOUBLE_EQ(chart.track[0].longitude, 113.954321);
    EXPECT_DOUBLE_EQ(chart.track[0].latitude, 22.54);
    EXPECT_EQ(chart.track[2].time, T(6, 8, 3));
    EXPECT_DOUBLE_EQ(chart.track[3].longitude, 4294.967294);
    EXPECT_DOUBLE_EQ(chart.longitude.lower, 113.954321);
    EXPECT_DOUBLE_EQ(chart.longitude.upper, 4294.967294);
    EXPECT_DOUBLE_EQ(chart.latitude.upper, 22.542);
}

TEST(HistoryChartData, AFixEveryFourthRecordGivesATrackOfEveryFix) {
    // As a logger that takes a fix every fourth reading sends them: 51 of 204 records.
    std::vector<HistoryRecord> records;
    for (int i = 0; i < 204; ++i) {
        HistoryRecord r = At(7 + i / 144, i / 6 % 24, i % 6 * 10);
        Set(r, 0, 4.0);
        if (i % 4 == 0) {
            r.longitude = 113954321u + static_cast<std::uint32_t>(i) * 100u;
            r.latitude = 22540000u + static_cast<std::uint32_t>(i) * 50u;
        }
        records.push_back(r);
    }
    const HistoryChartData chart = BuildHistoryChart(records);

    EXPECT_TRUE(chart.HasTrack());
    ASSERT_EQ(chart.track.size(), 51u);
    EXPECT_EQ(chart.track.size(), 51u);
    for (std::size_t k = 0; k < chart.track.size(); ++k) {
        const HistoryRecord& r = records[4 * k];
        EXPECT_EQ(chart.track[k].time, *RecordTime(r)) << k;
        EXPECT_DOUBLE_EQ(chart.track[k].longitude, r.longitude / 1e6) << k;
        EXPECT_DOUBLE_EQ(chart.track[k].latitude, r.latitude / 1e6) << k;
    }
    EXPECT_DOUBLE_EQ(chart.longitude.lower, 113.954321);
    EXPECT_DOUBLE_EQ(chart.longitude.upper, 113.954321 + 200 * 100 / 1e6);
}

TEST(HistoryChartData, RecordsAreTakenInTimeOrderAndThoseWithoutAValidTimeAreLeftOut) {
    std::vector<HistoryRecord> records;
    const auto add = [&records](HistoryRecord r, double value) {
        records.push_back(Set(r, 0, value));
    };
    add(At(5, 12, 0), 1);
    add(At(5, 11, 0), 2);  // the logger's clock was set back
    add(At(5, 12, 0), 3);  // same time as the first: stays after it
    HistoryRecord bad = At(5, 12, 0);
    bad.month = 0;
    add(bad, 99);
    bad = At(30, 0, 0);
    bad.month = 2;  // 2024-02-30
    add(bad, 99);
    bad = At(5, 24, 0);
    add(bad, 99);
    bad = At(5, 12, 0);
    bad.year = 100;
    add(bad, 99);
    HistoryRecord leap = At(29, 23, 59);
    leap.month = 2;
    leap.second = 59;
    add(leap, 4);

    const HistoryChartData chart = BuildHistoryChart(records);
    EXPECT_EQ(chart.untimedCount, 4u);
    std::vector<double> values;
    for (const ChartPoint& p : chart.sensors[0]) values.push_back(p.value);
    EXPECT_EQ(values, (std::vector<double>{4, 2, 1, 3}));
    EXPECT_EQ(chart.value.upper, 4);
    EXPECT_EQ(FormatChartTime(chart.time.lower), "24-02-29 23:59:59");
    EXPECT_EQ(FormatChartTime(chart.time.upper), "24-03-05 12:00:00");
}

TEST(HistoryChartData, ValuesThatAreNotFiniteAreGapsAndStayOutOfTheRange) {
    std::vector<HistoryRecord> records;
    const double values[] = {5, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), 6};
    for (int i = 0; i < 4; ++i) {
        HistoryRecord r = At(5, 9, i);
        records.push_back(Set(r, 0, values[i]));
    }
    // A present flag other than 1 is not a value.
    records[3].sensorPresent[0] = 2;
    const HistoryChartData chart = BuildHistoryChart(records);
    ASSERT_EQ(chart.sensors[0].size(), 1u);  // the trailing gap is dropped
    EXPECT_EQ(chart.valueCounts[0], 1u);
    EXPECT_EQ(chart.value.lower, 5);
    EXPECT_EQ(chart.value.upper, 5);
}

TEST(HistoryChartData, ChartTimeIsTheLoggersClockCountedFrom1970) {
    HistoryRecord r = At(1, 0, 0);
    r.year = 0;
    r.month = 1;
    EXPECT_EQ(RecordTime(r), 946684800.0);
    EXPECT_EQ(FormatChartTime(946684800.0), "00-01-01 00:00:00");
    EXPECT_EQ(FormatChartTime(946684800.0 - 0.5), "99-12-31 23:59:59");
    r.year = 99;
    r.month = 12;
    r.day = 31;
    r.hour = 23;
    r.minute = 59;
    r.second = 59;
    ASSERT_TRUE(RecordTime(r));
    EXPECT_EQ(FormatChartTime(*RecordTime(r)), "99-12-31 23:59:59");
    EXPECT_EQ(FormatChartTime(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(HistoryChartData, NoRecordsGiveAnEmptyChart) {
    const HistoryChartData chart = BuildHistoryChart({});
    EXPECT_FALSE(chart.HasValues());
    EXPECT_FALSE(chart.HasTrack());
    EXPECT_TRUE(chart.time.empty);
    EXPECT_TRUE(chart.value.empty);
}

// A limit counts in the whole range only near the readings: within their span beyond
// either end; one far out (a typing slip of 123456) would flatten every curve.
TEST(HistoryChartData, TheWholeValueRangeTakesOnlyTheLimitsNearTheReadings) {
    ChartRange twoToSix;
    twoToSix.Include(2);
    twoToSix.Include(6);
    ChartRange five;
    five.Include(5);
    const struct {
        ChartRange readings;
        std::vector<double> limits;
        double lower, upper;
    } cases[] = {
        {twoToSix, {}, 2, 6},
        {twoToSix, {3, 5}, 2, 6},
        {twoToSix, {8}, 2, 8},
        {twoToSix, {10, -2}, -2, 10},  // a span beyond either end, just
        {twoToSix, {10.5, -2.5}, 2, 6},
        {twoToSix, {123456, 8, -40}, 2, 8},
        {five, {7}, 5, 7},  // one value: the least span, 2
        {five, {7.5, 2.9}, 5, 5},
    };
    for (const auto& c : cases) {
        const ChartRange range = WholeValueRange(c.readings, c.limits, 2.0);
        EXPECT_FALSE(range.empty);
        EXPECT_EQ(range.lower, c.lower) << "case " << &c - cases;
        EXPECT_EQ(range.upper, c.upper) << "case " << &c - cases;
    }
    const std::vector<double> limit{3};
    EXPECT_TRUE(WholeValueRange(ChartRange{}, limit, 2.0).empty);
}

}  // namespace
}  // namespace lgcset::data
