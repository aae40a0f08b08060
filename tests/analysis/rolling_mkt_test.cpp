// The highest MKT over a rolling window against the definition worked out window by window.
#include "analysis/rolling_mkt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace lgcset::analysis {
namespace {

constexpr double kTenMinutes = 600;

// Three days of a cold room, one reading every ten minutes: a daily swing, a warm afternoon
// on the second day, a probe fault (a reading far too hot between two below absolute zero),
// a reading that is no number and an afternoon without readings.
std::vector<TimedReading> ThreeDays() {
    std::vector<TimedReading> readings;
    for (int i = 0; i < 3 * 144; ++i) {
        if (i >= 330 && i < 360)
            continue;
        double c = 5 + 2 * std::sin(i * 2 * std::numbers::pi / 144);
        if (i >= 200 && i < 236)
            c += 9 + (i - 200) * 0.1;
        if (i == 40 || i == 42)
            c = -300;
        if (i == 41)
            c = 1e39;
        if (i == 100)
            c = std::numeric_limits<double>::quiet_NaN();
        readings.push_back({1.7e9 + i * kTenMinutes, c});
    }
    return readings;
}

// Every window from the definition: the readings from one reading's time up to that time
// plus the window, within the span; the whole history when the span is shorter.
std::optional<RollingMkt> BruteForce(const std::vector<TimedReading>& all, double window,
                                     double k) {
    std::vector<TimedReading> r;
    for (const TimedReading& x : all)
        if (std::isfinite(x.value))
            r.push_back(x);
    const double first = r.front().time;
    const double last = r.back().time;
    auto mktFrom = [&](double from, double to) -> std::optional<double> {
        double sum = 0;
        int n = 0;
        for (const TimedReading& x : r) {
            if (x.time < from || x.time >= to)
                continue;
            if (x.value + 273.15 <= 0)
                return std::nullopt;
            sum += std::exp(-k / (x.value + 273.15));
            ++n;
        }
        return k / -std::log(sum / n) - 273.15;
    };
    if (last - first < window) {
        const auto mkt = mktFrom(first, last + 1);
        return mkt ? std::optional(RollingMkt{*mkt, window, first, last, true}) : std::nullopt;
    }
    std::optional<RollingMkt> best;
    for (const TimedReading& x : r) {
        if (x.time + window > last)
            break;
        const auto mkt = mktFrom(x.time, x.time + window);
        if (mkt && (!best || *mkt > best->mkt))
            best = RollingMkt{*mkt, window, x.time, x.time + window, false};
    }
    return best;
}

TEST(RollingMkt, TheHighestWindowIsThatOfTheDefinition) {
    const std::vector<TimedReading> readings = ThreeDays();
    const struct {
        double window;
        double activationOverGas = kActivationOverGas;
        std::size_t skip = 0;  // readings left out at the start: 50 leaves out the fault
    } cases[] = {{kTenMinutes},       {3600},
                 {6 * 3600},          {kDaySeconds},
                 {kDaySeconds, 5000}, {2 * kDaySeconds + 1},
                 {10 * kDaySeconds},  {10 * kDaySeconds, kActivationOverGas, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        const std::vector<TimedReading> part(readings.begin() + c.skip, readings.end());
        const auto expected = BruteForce(part, c.window, c.activationOverGas);
        const auto got = HighestRollingMkt(part, c.window, c.activationOverGas);
        ASSERT_EQ(got.has_value(), expected.has_value());
        if (!expected)
            continue;
        EXPECT_NEAR(got->mkt, expected->mkt, 1e-9);
        EXPECT_EQ(got->from, expected->from);
        EXPECT_EQ(got->to, expected->to);
        EXPECT_EQ(got->wholeHistory, expected->wholeHistory);
    }
    // Ten days are more than the three the readings span, all of them with the fault.
    EXPECT_TRUE(HighestRollingMkt(std::span(readings).subspan(50), 10 * kDaySeconds)->wholeHistory);

    // No window with an MKT: nothing.
    EXPECT_FALSE(HighestRollingMkt(readings, 0));
    EXPECT_FALSE(HighestRollingMkt(std::vector<TimedReading>{{0, 4}, {600, -300}}, 700));
    EXPECT_FALSE(HighestRollingMkt(std::vector<TimedReading>{}, 60));
}

TEST(RollingMkt, ADayForAColdChainInEitherUnitThirtyDaysOtherwise) {
    const struct {
        SensorKind kind;
        std::optional<float> high;
        double window;
    } cases[] = {{SensorKind::Celsius, 8.0f, kDaySeconds},
                 {SensorKind::Celsius, 8.1f, 30 * kDaySeconds},
                 {SensorKind::Celsius, std::nullopt, 30 * kDaySeconds},
                 {SensorKind::Fahrenheit, 46.4f, kDaySeconds},
                 {SensorKind::Fahrenheit, 46.5f, 30 * kDaySeconds},
                 {SensorKind::Fahrenheit, 8.0f, kDaySeconds}};
    for (const auto& c : cases) {
        const SensorLimits limits{std::nullopt, 2.0f, c.high, std::nullopt};
        EXPECT_EQ(DefaultMktWindow(limits, c.kind), c.window)
            << SensorKindName(c.kind) << " " << c.high.value_or(-1);
    }
}

}  // namespace
}  // namespace lgcset::analysis
