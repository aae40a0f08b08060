// Decoding a current-data reply and the texts of the grid row that shows it.
#include "data/current_data.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/data_items.h"

namespace lgcset::data {
namespace {

using support::Bytes;
using support::Item;

// The payload area of a received frame: the reply's bytes, then 0xFF.
std::array<std::uint8_t, 256> Area(const Bytes& payload) {
    std::array<std::uint8_t, 256> area;
    area.fill(0xFF);
    std::copy(payload.begin(), payload.end(), area.begin());
    return area;
}

struct Decoded {
    CurrentDataEnd end;
    CurrentReading reading;
    CurrentDataRow row;
};

Decoded Decode(const Bytes& payload, CurrentReading reading = {}) {
    const auto area = Area(payload);
    const CurrentDataEnd end = ParseCurrentData(area, payload.size(), reading);
    return {end, reading, CurrentDataTexts(reading, ".")};
}

// Columns 1..11 of the row are row[0..10].
constexpr std::size_t kSensor1 = 0, kLongitude = 4, kLatitude = 5, kVelocity = 6, kDirection = 7,
                      kSignal = 8, kRelay = 9, kPower = 10;

TEST(CurrentData, EveryItemOfTheTableReachesItsCellInItsFormat) {
    Bytes p;
    Item(p, 0x01, 0x00, 23.456f);
    Item(p, 0x01, 0x01, 20.0f);
    Item(p, 0x01, 0x02, -5.125f);
    Item(p, 0x01, 0x03, 12.0f);
    Item(p, 0x50, 0x50, std::uint32_t{113954321});
    Item(p, 0x50, 0x51, std::uint32_t{22540000});
    Item(p, 0x50, 0x52, std::uint32_t{456});
    Item(p, 0x50, 0x53, std::uint32_t{900});
    Item(p, 0x10, 0x10, 23.7f);
    Item(p, 0x20, 0x20, 1.0f);
    Item(p, 0x30, 0x30, 1.0f);
    const Decoded d = Decode(p);
    EXPECT_EQ(d.end, CurrentDataEnd::Complete);
    const CurrentDataRow expected{
        "23.46", "20",   "-5.13", "12", "113.954321", "22.54", "45.6", "90", "23.7000007629395",
        "Valid", "Valid"};
    EXPECT_EQ(d.row, expected);
    EXPECT_EQ(d.reading.sensorPresent, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
    // Widened from single precision, not rounded to the decimal that was meant.
    EXPECT_EQ(d.reading.signal, static_cast<double>(23.7f));
}

TEST(CurrentData, OnlyRelayAndPowerLeaveEveryOtherCellAlone) {
    Bytes p;
    Item(p, 0x20, 0x20, 1.0f);
    Item(p, 0x30, 0x30, 0.0f);
    const Decoded d = Decode(p);
    for (std::size_t k = kSensor1; k <= kDirection; ++k)
        EXPECT_FALSE(d.row[k]) << "column " << k + 1;
    EXPECT_EQ(d.row[kSignal], "0");
    EXPECT_EQ(d.row[kRelay], "Valid");
    EXPECT_EQ(d.row[kPower], "Invalid");
}

TEST(CurrentData, ValidMeansExactlyOne) {
    for (const float relay : {0.999f, 1.0001f, 2.0f, -1.0f}) {
        Bytes p;
        Item(p, 0x20, 0x20, relay);
        EXPECT_EQ(Decode(p).row[kRelay], "Invalid") << relay;
    }
    Bytes nan;
    Item(nan, 0x30, 0x30, std::uint32_t{0x7FC00000});
    EXPECT_EQ(Decode(nan).row[kPower], "Invalid");
}

TEST(CurrentData, EmptyReplyShowsSignalZeroAndBothInvalid) {
    const Decoded d = Decode({});
    EXPECT_EQ(d.end, CurrentDataEnd::Complete);
    const CurrentDataRow expected{std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                  std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                  "0",          "Invalid",    "Invalid"};
    EXPECT_EQ(d.row, expected);
}

TEST(CurrentData, PositionsAreUnsignedLowByteFirstAndAllOnesIsAbsent) {
    Bytes p;
    Item(p, 0x50, 0x50, std::uint32_t{0x44332211});
    Item(p, 0x50, 0x51, std::uint32_t{0xFFFFFFFF});
    Item(p, 0x50, 0x52, std::uint32_t{0xFFFFFFFE});  // would be negative if read signed
    const Decoded d = Decode(p);
    EXPECT_EQ(d.reading.longitude, 0x44332211u);
    EXPECT_EQ(d.row[kLongitude], "1144.201745");
    EXPECT_FALSE(d.row[kLatitude]);
    EXPECT_EQ(d.row[kVelocity], "429496729.4");
    EXPECT_FALSE(d.row[kDirection]);  // not sent at all

    // Positions of an earlier reply do not survive into the next decode.
    CurrentReading earlier;
    earlier.latitude = 22540000;
    EXPECT_FALSE(Decode({}, earlier).row[kLatitude]);
}

TEST(CurrentData, UnknownTagEndsTheDecodingAndKeepsWhatCameBefore) {
    Bytes p;
    Item(p, 0x01, 0x00, 21.5f);
    Item(p, 0x77, 0x00, 1.0f);
    Item(p, 0x20, 0x20, 1.0f);  // after the unknown item: never read
    const Decoded d = Decode(p);
    EXPECT_EQ(d.end, CurrentDataEnd::UndefinedItem);
    EXPECT_EQ(d.row[kSensor1], "21.5");
    EXPECT_EQ(d.row[kRelay], "Invalid");
}

TEST(CurrentData, KnownTagWithAnotherSubCodeIsSteppedOverAndNotStored) {
    Bytes p;
    Item(p, 0x01, 0x04, 99.0f);  // no fifth sensor
    Item(p, 0x50, 0x10, std::uint32_t{5});
    Item(p, 0x20, 0x30, 1.0f);  // relay tag, power sub-code
    Item(p, 0x01, 0x01, 7.25f);
    const Decoded d = Decode(p);
    EXPECT_EQ(d.end, CurrentDataEnd::Complete);
    EXPECT_EQ(d.reading.sensorPresent, (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
    EXPECT_EQ(d.row[1], "7.25");
    EXPECT_FALSE(d.row[kLongitude]);
    EXPECT_EQ(d.row[kRelay], "Invalid");
    EXPECT_EQ(d.row[kPower], "Invalid");
}

TEST(CurrentData, ItemCutByTheEndOfThePayloadReadsTheAreaNeverBeyondIt) {
    // A count that is no multiple of 6: the last item's value runs into the 0xFF filler.
    Bytes p;
    Item(p, 0x10, 0x10, 18.0f);
    p.insert(p.end(), {0x50, 0x50, 0x01});
    EXPECT_EQ(Decode(p).reading.longitude, 0xFFFFFF01u);

    // An item that starts in the last bytes of a full area reads 0xFF past its end.
    std::array<std::uint8_t, 256> area;
    area.fill(0x00);
    area[252] = 0x50;
    area[253] = 0x53;
    area[254] = 0x02;
    area[255] = 0x00;
    // Items 0..41 are tag 0, unknown: put known ones there instead.
    for (std::size_t i = 0; i < 252; i += 6) {
        area[i] = 0x10;
        area[i + 1] = 0x10;
    }
    CurrentReading reading;
    EXPECT_EQ(ParseCurrentData(area, area.size(), reading), CurrentDataEnd::Complete);
    EXPECT_EQ(reading.direction, 0xFFFF0002u);
}

}  // namespace
}  // namespace lgcset::data
