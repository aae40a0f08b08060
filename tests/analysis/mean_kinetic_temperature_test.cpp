// Mean Kinetic Temperature against what the formula must give for simple histories.
#include "analysis/mean_kinetic_temperature.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lgcset::analysis {
namespace {

double Mkt(std::initializer_list<double> celsius) {
    MeanKineticTemperature mkt;
    for (double c : celsius) mkt.Add(c);
    return mkt.Celsius().value();
}

TEST(MeanKineticTemperature, AConstantTemperatureGivesItself) {
    for (double c : {-20.0, 0.0, 5.0, 25.0, 40.0}) EXPECT_NEAR(Mkt({c, c, c, c, c}), c, 1e-9) << c;
}

TEST(MeanKineticTemperature, TwoHalvesGiveTheClosedFormAndLieAboveTheirMean) {
    // Half the time at T1, half at T2: (ΔH/R) / −ln((e^(−ΔH/R/T1) + e^(−ΔH/R/T2)) / 2).
    const double t1 = 2 + 273.15;
    const double t2 = 12 + 273.15;
    const double closed =
        10000.0 / -std::log((std::exp(-10000.0 / t1) + std::exp(-10000.0 / t2)) / 2) - 273.15;
    EXPECT_NEAR(Mkt({2, 12, 2, 12, 12, 2}), closed, 1e-9);
    // Warm readings weigh more than cold ones.
    EXPECT_GT(closed, 7.5);
    EXPECT_LT(closed, 12.0);
    // The order of the readings does not matter, only how long each temperature lasted.
    EXPECT_NEAR(Mkt({2, 2, 2, 12, 12, 12}), closed, 1e-9);
    EXPECT_NEAR(kActivationOverGas, 10000.0, 1e-9);
}

// A published worked example: Isopharm, "What is Mean Kinetic Temperature?"
// (systems.isopharm.co.uk/mean-kinetic-temperature/): a product 2 hours in a 20 °C room,
// 4 hours in 2 °C refrigeration and 1 hour on a 25 °C loading dock was "thermally
// equivalent" to 15.7 °C for the 7 hours. Hourly readings, as a logger would take them.
TEST(MeanKineticTemperature, APublishedWorkedExample) {
    EXPECT_NEAR(Mkt({20, 20, 2, 2, 2, 2, 25}), 15.7, 0.05);
}

TEST(MeanKineticTemperature, NothingWithoutReadingsOrAfterOneBelowAbsoluteZero) {
    EXPECT_FALSE(MeanKineticTemperature().Celsius());
    MeanKineticTemperature faulty;
    faulty.Add(4);
    faulty.Add(-300);
    EXPECT_FALSE(faulty.Celsius());
    MeanKineticTemperature huge;
    huge.Add(1e39);
    EXPECT_FALSE(huge.Celsius());
}

}  // namespace
}  // namespace lgcset::analysis
