// The order of port lists: digit runs compared as numbers.
#include <gtest/gtest.h>

#include "link/port_list.h"

namespace lgcset::link {
namespace {

TEST(NaturalOrder, ComparesDigitRunsAsNumbers) {
    EXPECT_TRUE(NaturalLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(NaturalLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(NaturalLess("ttyS9", "ttyUSB0"));
    EXPECT_TRUE(NaturalLess("ttyUSB1", "ttyUSB1a"));
    EXPECT_TRUE(NaturalLess("ttyS1x2", "ttyS1x10"));
    EXPECT_FALSE(NaturalLess("ttyS3", "ttyS3"));
    // Leading zeros: equal numbers, still a strict order either way round.
    EXPECT_NE(NaturalLess("ttyS01", "ttyS1"), NaturalLess("ttyS1", "ttyS01"));
    EXPECT_TRUE(NaturalLess("ttyS01", "ttyS2"));
    // Windows port names: COM10 after COM9.
    EXPECT_TRUE(NaturalLess("COM9", "COM10"));
}

}  // namespace
}  // namespace lgcset::link
