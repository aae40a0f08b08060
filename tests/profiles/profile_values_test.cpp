// Index, flag and time values as profiles hold them, the other forms found in the field included.
#include <gtest/gtest.h>

#include "profiles/profile_values.h"

namespace lgcset::profiles {
namespace {

using settings::TimeOfDay;

TEST(ProfileValues, IndexesAreDecimalOrHexadecimalAndAnythingElseIsZero) {
    EXPECT_EQ(ParseIndex("1"), 1);
    EXPECT_EQ(ParseIndex("-1"), -1);
    EXPECT_EQ(ParseIndex("+2"), 2);
    EXPECT_EQ(ParseIndex("0x1"), 1);
    EXPECT_EQ(ParseIndex("0X1f"), 31);
    EXPECT_EQ(ParseIndex("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseIndex("0x100000000"), 0);
    EXPECT_EQ(ParseIndex("0x"), 0);
    EXPECT_EQ(ParseIndex("0x1g"), 0);
    EXPECT_EQ(ParseIndex("yes"), 0);
    EXPECT_EQ(ParseIndex(""), 0);
    EXPECT_EQ(ParseIndex("1.5"), 0);
    EXPECT_EQ(ParseIndex("99999999999"), 0);
}

TEST(ProfileValues, TimesAreWrittenWithSecondsAndReadInEveryFormProfilesHold) {
    EXPECT_EQ(FormatTime({14, 5}), "14:05:00");
    EXPECT_EQ(FormatTime({0, 0}), "00:00:00");

    const TimeOfDay twoPastTwo{14, 5};
    EXPECT_EQ(ParseTime("14:05:00"), twoPastTwo);
    EXPECT_EQ(ParseTime("14:05"), twoPastTwo);
    EXPECT_EQ(ParseTime("14:05:59"), twoPastTwo);
    EXPECT_EQ(ParseTime("2:05:00 PM"), twoPastTwo);
    EXPECT_EQ(ParseTime("2:05 pm"), twoPastTwo);
    EXPECT_EQ(ParseTime("2:05:00PM"), twoPastTwo);
    EXPECT_EQ(ParseTime("PM 2:05:00"), twoPastTwo);
    EXPECT_EQ(ParseTime("2:05:00 p.m."), twoPastTwo);
    EXPECT_EQ(ParseTime("14.05.00"), twoPastTwo);
    EXPECT_EQ(ParseTime("12:30:00 AM"), (TimeOfDay{0, 30}));
    EXPECT_EQ(ParseTime("12:30:00 PM"), (TimeOfDay{12, 30}));
    EXPECT_EQ(ParseTime("9:07:00"), (TimeOfDay{9, 7}));
    EXPECT_EQ(ParseTime("0:00:00"), (TimeOfDay{0, 0}));

    for (const char* bad : {"", "14", "24:00:00", "13:05 PM", "0:05 AM", "14:60", "14:05:60",
                            "14:05:00:00", "14:05.00", "140:05", "1:2:3x", "noon", "AM"}) {
        EXPECT_EQ(ParseTime(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace lgcset::profiles
