// The number texts shared by the current-data grid and the history export.
#include "data/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lgcset::data {
namespace {

TEST(NumberFormat, UpToTwoDecimalsTrimsAndRoundsHalvesAway) {
    EXPECT_EQ(FormatUpToTwoDecimals(static_cast<float>(23.456)), "23.46");
    EXPECT_EQ(FormatUpToTwoDecimals(20.0), "20");
    EXPECT_EQ(FormatUpToTwoDecimals(20.5), "20.5");
    EXPECT_EQ(FormatUpToTwoDecimals(0.125), "0.13");
    EXPECT_EQ(FormatUpToTwoDecimals(-0.125), "-0.13");
    EXPECT_EQ(FormatUpToTwoDecimals(0.995), "1");
    EXPECT_EQ(FormatUpToTwoDecimals(99.999), "100");
    EXPECT_EQ(FormatUpToTwoDecimals(-0.004), "0");
    EXPECT_EQ(FormatUpToTwoDecimals(0.0), "0");
    EXPECT_EQ(FormatUpToTwoDecimals(-40.0), "-40");
    EXPECT_EQ(FormatUpToTwoDecimals(0.05), "0.05");
    // Single precision widened: 25.1f is 25.1000003814697 to 15 digits.
    EXPECT_EQ(FormatUpToTwoDecimals(static_cast<float>(25.1)), "25.1");
    EXPECT_EQ(FormatUpToTwoDecimals(1e20), "100000000000000000000");
    EXPECT_EQ(FormatUpToTwoDecimals(23.456, ","), "23,46");
}

TEST(NumberFormat, OneToSixDecimalsKeepsOneDecimal) {
    EXPECT_EQ(FormatOneToSixDecimals(113954321 / 1e6), "113.954321");
    EXPECT_EQ(FormatOneToSixDecimals(22540000 / 1e6), "22.54");
    EXPECT_EQ(FormatOneToSixDecimals(113.0), "113.0");
    EXPECT_EQ(FormatOneToSixDecimals(0.0), "0.0");
    EXPECT_EQ(FormatOneToSixDecimals(0xFFFFFFFEu / 1e6), "4294.967294");
    EXPECT_EQ(FormatOneToSixDecimals(4294967295u / 1e6), "4294.967295");
    EXPECT_EQ(FormatOneToSixDecimals(1 / 1e6), "0.000001");
    EXPECT_EQ(FormatOneToSixDecimals(0.0000005), "0.000001");
    EXPECT_EQ(FormatOneToSixDecimals(0.0000004), "0.0");
    EXPECT_EQ(FormatOneToSixDecimals(22.54, ","), "22,54");
}

TEST(NumberFormat, GeneralShowsFifteenSignificantDigits) {
    EXPECT_EQ(FormatGeneral(456 / 10.0), "45.6");
    EXPECT_EQ(FormatGeneral(900 / 10.0), "90");
    EXPECT_EQ(FormatGeneral(18.0), "18");
    EXPECT_EQ(FormatGeneral(static_cast<float>(23.7)), "23.7000007629395");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(4294967295u / 10.0), "429496729.5");
    EXPECT_EQ(FormatGeneral(-3.25), "-3.25");
    EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneral(0.000001), "1E-6");
    EXPECT_EQ(FormatGeneral(1e14), "100000000000000");
    EXPECT_EQ(FormatGeneral(1e15), "1E15");
    EXPECT_EQ(FormatGeneral(1.5e16), "1.5E16");
    EXPECT_EQ(FormatGeneral(45.6, ","), "45,6");
}

TEST(NumberFormat, ValuesThatAreNotNumbersHaveAFixedText) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatUpToTwoDecimals(nan), "NAN");
    EXPECT_EQ(FormatOneToSixDecimals(-inf), "-INF");
    EXPECT_EQ(FormatGeneral(inf), "INF");
}

}  // namespace
}  // namespace lgcset::data
