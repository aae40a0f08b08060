// The logger's clock reply taken as a date and time, and the clock setting sent to it.
#include "data/device_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace lgcset::data {
namespace {

using Bytes = std::vector<std::uint8_t>;

ClockReply Reply(const Bytes& bytes) {
    return DecodeClockReply(bytes);
}

TEST(DeviceClock, ReplyBytesAreTwoThousandPlusYearAndTheRestAsSent) {
    const ClockReply r = Reply({24, 3, 5, 14, 7, 9});
    ASSERT_EQ(r.kind, ClockReplyKind::Valid);
    EXPECT_EQ(r.time.date.year, 2024);
    EXPECT_EQ(r.time.date.month, 3);
    EXPECT_EQ(r.time.date.day, 5);
    EXPECT_EQ(r.time.time.hour, 14);
    EXPECT_EQ(r.time.time.minute, 7);
    EXPECT_EQ(r.time.time.second, 9);
    EXPECT_EQ(Reply({0, 1, 1, 0, 0, 0}).kind, ClockReplyKind::Valid);
    EXPECT_EQ(Reply({99, 12, 31, 23, 59, 59}).kind, ClockReplyKind::Valid);
}

TEST(DeviceClock, MonthZeroIsTheLoggersTimeErrorWhateverElseItSends) {
    EXPECT_EQ(Reply({24, 0, 5, 14, 7, 9}).kind, ClockReplyKind::MonthZero);
    EXPECT_EQ(Reply({24, 0, 40, 99, 99, 99}).kind, ClockReplyKind::MonthZero);
}

TEST(DeviceClock, FieldsThatNameNoRealMomentAreInvalid) {
    const std::vector<Bytes> invalid{
        {24, 13, 5, 14, 7, 9}, {23, 2, 29, 12, 0, 0},  {24, 2, 30, 12, 0, 0}, {24, 4, 31, 12, 0, 0},
        {24, 1, 0, 12, 0, 0},  {24, 1, 32, 12, 0, 0},  {24, 1, 5, 24, 0, 0},  {24, 1, 5, 12, 60, 0},
        {24, 1, 5, 12, 0, 60}, {24, 255, 5, 12, 0, 0}, {150, 1, 5, 12, 0, 0},
    };
    for (const Bytes& b : invalid)
        EXPECT_EQ(Reply(b).kind, ClockReplyKind::Invalid)
            << int(b[0]) << "-" << int(b[1]) << "-" << int(b[2]) << " " << int(b[3]) << ":"
            << int(b[4]) << ":" << int(b[5]);
    EXPECT_EQ(Reply({24, 2, 29, 12, 0, 0}).kind, ClockReplyKind::Valid);  // leap year
    EXPECT_EQ(Reply({0, 2, 29, 12, 0, 0}).kind, ClockReplyKind::Valid);   // 2000 is one too
    // A reply cut short reads 0xFF for what it lacks.
    EXPECT_EQ(Reply({24, 3, 5}).kind, ClockReplyKind::Invalid);
}

TEST(DeviceClock, InvalidReplyMessageNamesTheSixNumbersReceived) {
    const std::string text = InvalidClockMessage(Reply({24, 13, 5, 14, 7, 9}));
    EXPECT_NE(text.find("year 24, month 13, day 5, hour 14, minute 7, second 9"), std::string::npos)
        << text;
}

TEST(DeviceClock, SettingFromThePickersKeepsYearModHundred) {
    protocol::ClockSetting clock;
    StoreClockFromPickers({2024, 3, 5}, {14, 7, 9}, clock);
    EXPECT_EQ((Bytes{clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second}),
              (Bytes{0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}));
    StoreClockFromPickers({2100, 1, 1}, {0, 0, 0}, clock);
    EXPECT_EQ(clock.year, 0);
}

// Sets the TZ variable (empty: none) and has the C library read it again.
void SetZone(const std::string& zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone.c_str());
    _tzset();
#else
    if (zone.empty())
        unsetenv("TZ");
    else
        setenv("TZ", zone.c_str(), 1);
    tzset();
#endif
}

TEST(DeviceClock, SettingFromNowTakesTheLocalClock) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    SetZone("UTC-2");  // two hours east of UTC
    protocol::ClockSetting clock;
    StoreClockFromNow(clock, 1709647629);  // 2024-03-05 14:07:09 UTC
    EXPECT_EQ((Bytes{clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second}),
              (Bytes{24, 3, 5, 16, 7, 9}));
    SetZone(saved);
}

}  // namespace
}  // namespace lgcset::data
