// The analysis of a history: statistics per sensor, excursions beyond each limit, gaps, and
// the records it leaves out.
#include "analysis/history_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "analysis/mean_kinetic_temperature.h"
#include "data/history_chart_data.h"

namespace lgcset::analysis {
namespace {

using data::HistoryRecord;

constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();
constexpr double kStep = 600;  // a ten-minute log

// Record `i` of a log that starts 2024-03-05 00:00:00, one every ten minutes.
HistoryRecord At(int i) {
    HistoryRecord r;
    r.year = 24;
    r.month = 3;
    r.day = static_cast<std::uint8_t>(5 + i / 144);
    r.hour = static_cast<std::uint8_t>(i % 144 / 6);
    r.minute = static_cast<std::uint8_t>(i % 6 * 10);
    r.longitude = r.latitude = r.velocity = r.direction = data::kAbsentPosition;
    return r;
}

double T(int i) {
    return *data::RecordTime(At(i));
}

// A log of sensor 1's readings, one a record; kAbsent: the record lacks the value.
std::vector<HistoryRecord> Log(std::initializer_list<double> sensor1) {
    std::vector<HistoryRecord> records;
    int i = 0;
    for (double v : sensor1) {
        HistoryRecord r = At(i++);
        if (!std::isnan(v)) {
            r.sensor[0] = v;
            r.sensorPresent[0] = 1;
        }
        records.push_back(r);
    }
    return records;
}

SensorSetups Limits(SensorKind kind, std::optional<float> ultraLow, std::optional<float> low,
                    std::optional<float> high, std::optional<float> ultraHigh) {
    SensorSetups setups;
    setups[0].kind = kind;
    setups[0].limits = {ultraLow, low, high, ultraHigh};
    return setups;
}

const SensorStatistics& First(const HistoryAnalysis& analysis) {
    EXPECT_FALSE(analysis.sensors.empty());
    return analysis.sensors.front();
}

struct Span {
    LimitKind kind;
    double from, to, seconds, peak;
    bool open;
    friend bool operator==(const Span&, const Span&) = default;
};
std::ostream& operator<<(std::ostream& out, const Span& r) {
    return out << DefinitionOf(r.kind).name << " " << r.from << ".." << r.to << " " << r.seconds
               << "s peak " << r.peak << (r.open ? " open" : "");
}
std::vector<Span> Spans(const SensorStatistics& stats) {
    std::vector<Span> runs;
    for (const Excursion& e : stats.excursions)
        runs.push_back({e.kind, e.from, e.to, e.seconds, e.peak, e.open});
    return runs;
}

TEST(HistoryAnalysis, StatisticsTakeTheFirstTimeOfTheExtremesAndOnlySensorsWithValues) {
    const auto analysis = AnalyzeHistory(Log({4, 2, 6, 2, 6, kAbsent, 5}), SensorSetups{});
    EXPECT_EQ(analysis.records, 7u);
    EXPECT_EQ(analysis.untimed, 0u);
    EXPECT_EQ(analysis.from, T(0));
    EXPECT_EQ(analysis.to, T(6));
    ASSERT_EQ(analysis.sensors.size(), 1u);
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(s.sensor, 1);
    EXPECT_EQ(s.count, 6u);
    EXPECT_EQ(s.min, 2);
    EXPECT_EQ(s.minTime, T(1));
    EXPECT_EQ(s.max, 6);
    EXPECT_EQ(s.maxTime, T(2));
    EXPECT_DOUBLE_EQ(s.mean, 25.0 / 6);
    ASSERT_TRUE(s.mkt);
    EXPECT_GT(*s.mkt, s.mean);
    EXPECT_TRUE(s.excursions.empty());
}

TEST(HistoryAnalysis, RecordsAreTakenInTimeOrderAndUntimedOnesAreCountedAndLeftOut) {
    auto records = Log({1, 9, 3, 4});
    std::swap(records[0], records[3]);  // the logger's clock was set back
    HistoryRecord untimed = At(2);
    untimed.month = 0;
    untimed.sensor[0] = 100;
    untimed.sensorPresent[0] = 1;
    records.insert(records.begin() + 1, untimed);
    const auto analysis = AnalyzeHistory(records, Limits(SensorKind::Celsius, {}, {}, 5, {}));
    EXPECT_EQ(analysis.records, 5u);
    EXPECT_EQ(analysis.untimed, 1u);
    EXPECT_EQ(analysis.from, T(0));
    EXPECT_EQ(analysis.to, T(3));
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(s.count, 4u);
    EXPECT_EQ(s.max, 9);
    EXPECT_EQ(s.minTime, T(0));
    EXPECT_EQ(Spans(s), (std::vector<Span>{{LimitKind::High, T(1), T(2), kStep, 9, false}}));
}

TEST(HistoryAnalysis, ReadingsOnTheLimitAreWithinItEvenWhereSinglePrecisionRoundsIt) {
    // 4.1 and -0.3 have no exact binary form: the logger holds both the limit and the
    // reading in single precision, and a reading shown as the limit is not beyond it.
    const auto analysis = AnalyzeHistory(Log({8, 4.1, 8, 4.1, 8.01, 8, -0.3, 4.09}),
                                         Limits(SensorKind::Celsius, -0.3f, 4.1f, 8.0f, {}));
    EXPECT_EQ(Spans(First(analysis)),
              (std::vector<Span>{{LimitKind::High, T(4), T(5), kStep, 8.01, false},
                                 {LimitKind::Low, T(6), T(7), kStep, -0.3, true}}));
}

TEST(HistoryAnalysis, RecordsWithoutTheValueNeitherEndNorStartARun) {
    const auto analysis = AnalyzeHistory(
        Log({kAbsent, 9, kAbsent, kAbsent, 11, 10, kAbsent, 5, kAbsent, 12, kAbsent}),
        Limits(SensorKind::Celsius, {}, {}, 8, 10.5f));
    EXPECT_EQ(Spans(First(analysis)),
              (std::vector<Span>{{LimitKind::High, T(1), T(7), 6 * kStep, 11, false},
                                 {LimitKind::UltraHigh, T(4), T(5), kStep, 11, false},
                                 {LimitKind::High, T(9), T(9), 0, 12, true},
                                 {LimitKind::UltraHigh, T(9), T(9), 0, 12, true}}));
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(s.secondsBeyond[LimitIndex(LimitKind::High)], 6 * kStep);
    EXPECT_EQ(s.secondsBeyond[LimitIndex(LimitKind::UltraHigh)], kStep);
    EXPECT_EQ(s.secondsBeyond[LimitIndex(LimitKind::Low)], 0);
}

TEST(HistoryAnalysis, ARunToTheLastReadingIsOpenAndEndsThere) {
    const auto analysis = AnalyzeHistory(Log({5, 1, 0.5, -2, -1, kAbsent}),
                                         Limits(SensorKind::Celsius, -1.5f, 2, {}, {}));
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(Spans(s), (std::vector<Span>{{LimitKind::Low, T(1), T(4), 3 * kStep, -2, true},
                                           {LimitKind::UltraLow, T(3), T(4), kStep, -2, false}}));
}

TEST(HistoryAnalysis, UnsetLimitsGiveNoExcursions) {
    const auto analysis = AnalyzeHistory(Log({-50, 50, -50}), SensorSetups{});
    const SensorStatistics& s = First(analysis);
    EXPECT_TRUE(s.excursions.empty());
    for (const LimitDefinition& limit : kLimits) {
        EXPECT_FALSE(s.limits[LimitIndex(limit.kind)]);
        EXPECT_EQ(s.secondsBeyond[LimitIndex(limit.kind)], 0);
    }
}

TEST(HistoryAnalysis, AFahrenheitSensorHasItsMktInFahrenheitAndItsLimitsInItsOwnUnit) {
    // 35.6 °F and 53.6 °F are 2 °C and 12 °C.
    const auto fahrenheit = AnalyzeHistory(Log({35.6, 53.6, 35.6, 53.6}),
                                           Limits(SensorKind::Fahrenheit, {}, {}, 46.4f, {}));
    const auto celsius = AnalyzeHistory(Log({2, 12, 2, 12}), SensorSetups{});
    const SensorStatistics& f = First(fahrenheit);
    EXPECT_NEAR(*f.mkt, FahrenheitFromCelsius(*First(celsius).mkt), 1e-9);
    EXPECT_NEAR(f.mean, 44.6, 1e-9);
    EXPECT_EQ(f.excursions.size(), 2u);
}

TEST(HistoryAnalysis, AnAnalogSensorHasNoMktButItsExcursions) {
    const auto analysis =
        AnalyzeHistory(Log({12, 21, 12}), Limits(SensorKind::Analog, {}, {}, 20, {}));
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(s.kind, SensorKind::Analog);
    EXPECT_FALSE(s.mkt);
    EXPECT_EQ(s.excursions.size(), 1u);
}

TEST(HistoryAnalysis, NotFiniteValuesAreCountedApartAndHugeOnesAreBeyondAnyLimit) {
    std::vector<HistoryRecord> records =
        Log({4, std::numeric_limits<double>::infinity(), kAbsent, 6, 1e39, -1e39});
    records[2].sensor[0] = kAbsent;  // a NaN the sensor sent, not a value it lacks
    records[2].sensorPresent[0] = 1;
    records.push_back(At(6));
    records.back().sensor[1] = -std::numeric_limits<double>::infinity();
    records.back().sensorPresent[1] = 1;  // sensor 2 sent no number at all
    const auto analysis =
        AnalyzeHistory(records, Limits(SensorKind::Celsius, -1e38f, {}, {}, 1e38f));
    ASSERT_EQ(analysis.sensors.size(), 1u);
    const SensorStatistics& s = First(analysis);
    EXPECT_EQ(s.count, 4u);
    EXPECT_EQ(s.notNumbers, 2u);
    EXPECT_EQ(s.max, 1e39);
    EXPECT_EQ(Spans(s), (std::vector<Span>{{LimitKind::UltraHigh, T(4), T(5), kStep, 1e39, false},
                                           {LimitKind::UltraLow, T(5), T(5), 0, -1e39, true}}));
}

TEST(HistoryAnalysis, EachExcursionHasItsRangeItsTimeBeyondEachLimitAndThe40DegreeMark) {
    const auto analysis = AnalyzeHistory(Log({5, 9, 12, 41, 9, kAbsent, 11, 5, 1, 3}),
                                         Limits(SensorKind::Celsius, {}, 2, 8, 10));
    const SensorStatistics& s = First(analysis);
    struct Expected {
        LimitKind kind;
        double start, min, max, low, high, ultraHigh;
        bool above40;
    };
    // High from T(1) to T(7) holds Ultra-high from T(2) to T(4) and from T(6) to T(7).
    const Expected expected[] = {
        {LimitKind::High, T(1), 9, 41, 0, 6 * kStep, 3 * kStep, true},
        {LimitKind::UltraHigh, T(2), 12, 41, 0, 2 * kStep, 2 * kStep, true},
        {LimitKind::UltraHigh, T(6), 11, 11, 0, kStep, kStep, false},
        {LimitKind::Low, T(8), 1, 1, kStep, 0, 0, false}};
    ASSERT_EQ(s.excursionSummaries.size(), std::size(expected));
    ASSERT_EQ(s.excursions.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ExcursionSummary& got = s.excursionSummaries[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(got.key, (ExcursionKey{1, e.kind, e.start}));
        EXPECT_EQ(s.excursions[i].kind, e.kind);  // beside its excursion
        EXPECT_EQ(s.excursions[i].from, e.start);
        EXPECT_EQ(got.min, e.min);
        EXPECT_EQ(got.max, e.max);
        EXPECT_EQ(got.secondsBeyond, (std::array<double, 4>{0, e.low, e.high, e.ultraHigh}));
        EXPECT_EQ(got.above40, e.above40);
    }

    // Above 40 °C is above 104 °F, and never on an analog sensor.
    const struct {
        SensorKind kind;
        double reading;
        bool above40;
    } marks[] = {{SensorKind::Celsius, 40, false},     {SensorKind::Celsius, 40.1, true},
                 {SensorKind::Fahrenheit, 104, false}, {SensorKind::Fahrenheit, 104.5, true},
                 {SensorKind::Fahrenheit, 41, false},  {SensorKind::Analog, 120, false}};
    for (const auto& m : marks) {
        const auto one = AnalyzeHistory(Log({0, m.reading, 0}), Limits(m.kind, {}, {}, 1, {}));
        ASSERT_EQ(First(one).excursionSummaries.size(), 1u);
        EXPECT_EQ(First(one).excursionSummaries[0].above40, m.above40)
            << SensorKindName(m.kind) << " " << m.reading;
    }
}

TEST(HistoryAnalysis, AnExcursionKeepsItsKeyInALongerHistoryAndAnOpenOneIsExtended) {
    const std::vector<double> values{3, 9, 4, 12, 9, 13, 11, 5, 9, 3};
    const SensorSetups setups = Limits(SensorKind::Celsius, {}, {}, 8, 10);
    auto keys = [&](std::size_t count) {
        std::vector<HistoryRecord> records;
        for (std::size_t i = 0; i < count; ++i) {
            records.push_back(At(static_cast<int>(i)));
            records.back().sensor[0] = values[i];
            records.back().sensorPresent[0] = 1;
        }
        std::reverse(records.begin(), records.end());  // taken in time order all the same
        const SensorStatistics s = First(AnalyzeHistory(records, setups));
        std::map<ExcursionKey, Excursion> byKey;
        for (std::size_t i = 0; i < s.excursions.size(); ++i)
            byKey[s.excursionSummaries[i].key] = s.excursions[i];
        return byKey;
    };
    // Cut while High (from T(3)) and Ultra-high (from T(5)) are open.
    const auto shorter = keys(6);
    const auto longer = keys(values.size());
    ASSERT_EQ(shorter.size(), 4u);
    for (const auto& [key, excursion] : shorter) {
        ASSERT_TRUE(longer.contains(key)) << DefinitionOf(key.kind).name << " " << key.start;
        EXPECT_EQ(longer.at(key).from, excursion.from);
        EXPECT_EQ(excursion.open, excursion.to == T(5));
        if (excursion.open) {
            EXPECT_GT(longer.at(key).to, excursion.to);
        }
    }
    EXPECT_TRUE(longer.contains(ExcursionKey{1, LimitKind::High, T(3)}));
    EXPECT_TRUE(longer.contains(ExcursionKey{1, LimitKind::High, T(8)}));
    EXPECT_EQ(longer.size(), 5u);
}

TEST(HistoryAnalysis, TheRollingMktTakesTheSensorsWindowAndUnit) {
    // High at 46.4 °F is a cold chain's: a day's window, longer than these readings.
    const auto f =
        AnalyzeHistory(Log({35.6, 53.6, 35.6}), Limits(SensorKind::Fahrenheit, {}, {}, 46.4f, {}));
    const std::optional<RollingMkt>& rolling = First(f).rollingMkt;
    ASSERT_TRUE(rolling);
    EXPECT_EQ(rolling->window, kDaySeconds);
    EXPECT_TRUE(rolling->wholeHistory);
    EXPECT_NEAR(rolling->mkt, *First(f).mkt, 1e-9);
    EXPECT_FALSE(
        First(AnalyzeHistory(Log({12, 21, 12}), Limits(SensorKind::Analog, {}, {}, 20, {})))
            .rollingMkt);
}

TEST(LogGaps, TheMostCommonIntervalIsTheLogIntervalAndLongerThanTwiceItIsAGap) {
    //                  step:  600 600 1200 600 1201 600 0   600 3600
    const std::vector<double> times{0, 600, 1200, 2400, 3000, 4201, 4801, 4801, 5401, 9001};
    const LogGaps log = FindLogGaps(times);
    EXPECT_EQ(log.interval, 600);
    ASSERT_EQ(log.gaps.size(), 2u);
    EXPECT_EQ(log.gaps[0].from, 3000);
    EXPECT_EQ(log.gaps[0].to, 4201);
    EXPECT_EQ(log.gaps[0].seconds, 1201);
    EXPECT_EQ(log.gaps[1].seconds, 3600);

    // Equally common: the shorter; one record, or one time only: no interval.
    EXPECT_EQ(FindLogGaps(std::vector<double>{0, 300, 900, 1200, 1800}).interval, 300);
    EXPECT_FALSE(FindLogGaps(std::vector<double>{5}).interval);
    EXPECT_FALSE(FindLogGaps(std::vector<double>{5, 5}).interval);
    EXPECT_TRUE(FindLogGaps(std::vector<double>{}).gaps.empty());
}

TEST(HistoryAnalysis, TheGapsAreThoseOfTheTimedRecordsInTimeOrder) {
    auto records = Log({1, 1, 1, 1});
    records.push_back(At(10));
    std::swap(records[0], records[4]);
    const auto analysis = AnalyzeHistory(records, SensorSetups{});
    EXPECT_EQ(analysis.log.interval, kStep);
    ASSERT_EQ(analysis.log.gaps.size(), 1u);
    EXPECT_EQ(analysis.log.gaps[0].from, T(3));
    EXPECT_EQ(analysis.log.gaps[0].to, T(10));
}

TEST(HistoryAnalysis, NoTimedRecordsGiveNoRangeAndNoSensors) {
    HistoryRecord r = At(0);
    r.day = 31;
    r.month = 2;
    r.sensorPresent[0] = 1;
    const auto analysis = AnalyzeHistory(std::vector<HistoryRecord>{r}, SensorSetups{});
    EXPECT_EQ(analysis.untimed, 1u);
    EXPECT_FALSE(analysis.from);
    EXPECT_FALSE(analysis.log.interval);
    EXPECT_TRUE(analysis.sensors.empty());
}

}  // namespace
}  // namespace lgcset::analysis
