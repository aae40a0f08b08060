// The calendar that the clock, the chart, the export and the command line share.
#include "data/calendar.h"

#include <gtest/gtest.h>

namespace lgcset::data {
namespace {

TEST(Calendar, DayCountsFromTheEpochWalkEveryDayOfTheLoggersYearsInOrder) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(1899, 12, 30), -25569);  // the workbook's day 0
    EXPECT_EQ(DaysFromCivil(2000, 3, 1), 11017);
    // From the workbook's day 0 to the end of the two-digit years, each day count is the
    // next date, and each date is valid and the last of its month only when it should be.
    CalendarDate expected{1899, 12, 30};
    for (std::int64_t day = -25569; day <= DaysFromCivil(2099, 12, 31); ++day) {
        const CalendarDate date = CivilFromDays(day);
        ASSERT_EQ(date.year, expected.year) << day;
        ASSERT_EQ(date.month, expected.month) << day;
        ASSERT_EQ(date.day, expected.day) << day;
        ASSERT_TRUE(IsValidDate(date.year, date.month, date.day));
        ASSERT_EQ(DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                                static_cast<unsigned>(date.day)),
                  day);
        if (++expected.day > DaysInMonth(expected.year, expected.month)) {
            ASSERT_FALSE(IsValidDate(expected.year, expected.month, expected.day));
            expected.day = 1;
            if (++expected.month > 12) {
                expected.month = 1;
                ++expected.year;
            }
        }
    }
}

TEST(Calendar, LeapDaysMonthsAndTimesOfDayOutsideTheirRangeAreNotReal) {
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_FALSE(IsValidDate(2100, 2, 29));
    EXPECT_FALSE(IsValidDate(2024, 0, 1));
    EXPECT_FALSE(IsValidDate(2024, 13, 1));
    EXPECT_FALSE(IsValidDate(2024, 1, 0));
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
    EXPECT_TRUE(IsValidDateTime(2099, 12, 31, 23, 59, 59));
    EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 24, 0, 0));
    EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 0, 60, 0));
    EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 0, 0, 60));
    EXPECT_FALSE(IsValidDateTime(2024, 1, 1, -1, 0, 0));
}

}  // namespace
}  // namespace lgcset::data
