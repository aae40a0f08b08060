// Decoding of HistoryRecord replies into the store: where records and items end, what a
// slot holds after it is taken, and what an odd item or a full store does.
#include "data/history_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "support/data_items.h"

namespace lgcset::data {
namespace {

using support::Bytes;
using support::Item;

void Timestamp(Bytes& out, std::uint8_t year, std::uint8_t month, std::uint8_t day,
               std::uint8_t hour, std::uint8_t minute, std::uint8_t second) {
    out.insert(out.end(), {0x7F, 0x7F, year, month, day, hour, minute, second});
}

void Sensor(Bytes& out, std::uint8_t channel, float value) {
    Item(out, 0x01, channel, value);
}

// One store for the whole suite, as the program has one: 65,537 slots.
HistoryStore& Store() {
    static auto store = std::make_unique<HistoryStore>();
    return *store;
}

TEST(HistoryFrame, ReplyWithTwoRecordsStoresBothWithTheirItems) {
    Bytes p;
    Timestamp(p, 26, 3, 8, 13, 30, 5);
    Sensor(p, 0, 23.5f);
    Sensor(p, 2, -4.25f);
    Item(p, 0x50, 0x50, 113954321);
    Item(p, 0x50, 0x51, 22540000);
    Item(p, 0x50, 0x52, 125);
    Item(p, 0x50, 0x53, 0xFFFFFFFE);
    Timestamp(p, 26, 3, 8, 14, 0, 0);
    Sensor(p, 1, 25.1f);

    std::uint16_t count = 7;
    const HistoryFrameResult result = ParseHistoryFrame(p, Store(), count);
    EXPECT_EQ(result.stored, 2);
    EXPECT_EQ(result.leftOut, 0u);
    EXPECT_FALSE(result.undefinedItem);
    ASSERT_EQ(count, 9);

    const HistoryRecord& a = Store()[7];
    EXPECT_EQ(a.year, 26);
    EXPECT_EQ(a.month, 3);
    EXPECT_EQ(a.day, 8);
    EXPECT_EQ(a.hour, 13);
    EXPECT_EQ(a.minute, 30);
    EXPECT_EQ(a.second, 5);
    EXPECT_EQ(a.sensorPresent, (std::array<std::uint8_t, 4>{1, 0, 1, 0}));
    EXPECT_EQ(a.sensor[0], 23.5);
    EXPECT_EQ(a.sensor[2], -4.25);
    EXPECT_EQ(a.longitude, 113954321u);
    EXPECT_EQ(a.latitude, 22540000u);
    EXPECT_EQ(a.velocity, 125u);
    EXPECT_EQ(a.direction, 0xFFFFFFFEu);

    const HistoryRecord& b = Store()[8];
    EXPECT_EQ(b.hour, 14);
    EXPECT_EQ(b.sensorPresent, (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
    EXPECT_EQ(b.sensor[1], static_cast<double>(25.1f));  // widened, not rounded to 25.1
    EXPECT_EQ(b.longitude, kAbsentPosition);
}

TEST(HistoryFrame, SlotsAreResetWhenTakenSoAnEarlierTransferLeavesNothingBehind) {
    Bytes full;
    Timestamp(full, 26, 1, 1, 0, 0, 0);
    for (std::uint8_t ch = 0; ch < 4; ++ch) Sensor(full, ch, 1.0f + ch);
    for (std::uint8_t sub = 0x50; sub <= 0x53; ++sub) Item(full, 0x50, sub, 42);
    std::uint16_t count = 0;
    ParseHistoryFrame(full, Store(), count);

    // The same slot in a later transfer: a record with no items at all, straight after
    // which the next record starts, and one that lacks sensor 2.
    Bytes p;
    Timestamp(p, 26, 2, 1, 0, 0, 0);
    Timestamp(p, 26, 2, 1, 1, 0, 0);
    Sensor(p, 0, 5.0f);
    Sensor(p, 2, 6.0f);
    Sensor(p, 3, 7.0f);
    count = 0;
    ASSERT_EQ(ParseHistoryFrame(p, Store(), count).stored, 2);
    const HistoryRecord& empty = Store()[0];
    EXPECT_EQ(empty.month, 2);
    EXPECT_EQ(empty.sensorPresent, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    for (std::uint32_t v : {empty.longitude, empty.latitude, empty.velocity, empty.direction})
        EXPECT_EQ(v, kAbsentPosition);
    const HistoryRecord& lacking = Store()[1];
    EXPECT_EQ(lacking.sensorPresent, (std::array<std::uint8_t, 4>{1, 0, 1, 1}));
    EXPECT_EQ(lacking.longitude, kAbsentPosition);
}

TEST(HistoryFrame, ItemsAndRecordsEndAtFFAndAtTheEndOfTheReceivedPayload) {
    // 0xFF ends the items; what follows it is not a record.
    Bytes p;
    Timestamp(p, 26, 5, 5, 5, 5, 5);
    Sensor(p, 0, 1.0f);
    p.push_back(0xFF);
    Sensor(p, 1, 2.0f);
    std::uint16_t count = 0;
    EXPECT_EQ(ParseHistoryFrame(p, Store(), count).stored, 1);
    EXPECT_EQ(Store()[0].sensorPresent[1], 0);

    // The received payload ends inside an item: the item is taken, its missing bytes read
    // as the receive area holds them (0xFF); the bytes past the payload, here a stale
    // marker and record, are never read.
    Bytes area;
    Timestamp(area, 26, 6, 6, 6, 6, 6);
    Item(area, 0x50, 0x50, 0x11223344);
    const std::size_t received = area.size() - 2;
    Timestamp(area, 26, 7, 7, 7, 7, 7);
    count = 0;
    const HistoryFrameResult cut =
        ParseHistoryFrame(std::span(area.data(), received), Store(), count);
    EXPECT_EQ(cut.stored, 1);
    EXPECT_EQ(Store()[0].longitude, 0xFFFF3344u);

    // A lone 0x7F as the last received byte is not a marker, whatever lies past it.
    Bytes lone{0x7F, 0x7F, 26, 1, 1, 0, 0, 0, 0x7F, 0x7F};
    count = 0;
    EXPECT_EQ(ParseHistoryFrame(std::span(lone.data(), 9), Store(), count).stored, 1);
    EXPECT_EQ(count, 1);

    // Nothing but noise, or nothing at all.
    count = 0;
    EXPECT_EQ(ParseHistoryFrame(Bytes{0x01}, Store(), count).stored, 0);
    EXPECT_EQ(ParseHistoryFrame(Bytes{}, Store(), count).stored, 0);
    EXPECT_EQ(count, 0);
}

TEST(HistoryFrame, UnknownTagEndsTheReplyUnknownSubCodeIsSteppedOver) {
    Bytes p;
    Timestamp(p, 26, 1, 1, 0, 0, 0);
    Item(p, 0x01, 0x07, 0);           // a sensor the logger cannot have
    Item(p, 0x50, 0x60, 99);          // a position value that does not exist
    Sensor(p, 3, 9.5f);               // still decoded after them
    Timestamp(p, 26, 1, 1, 1, 0, 0);  // cut off by the unknown tag below
    Sensor(p, 0, 1.0f);
    Item(p, 0x33, 0x00, 0);
    Timestamp(p, 26, 1, 1, 2, 0, 0);  // dropped with the rest of the reply

    std::uint16_t count = 0;
    const HistoryFrameResult result = ParseHistoryFrame(p, Store(), count);
    EXPECT_TRUE(result.undefinedItem);
    EXPECT_EQ(result.stored, 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Store()[0].sensorPresent, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    EXPECT_EQ(Store()[0].sensor[3], 9.5);
    EXPECT_EQ(Store()[0].longitude, kAbsentPosition);
}

TEST(HistoryFrame, FullCountLeavesFurtherRecordsOutWithoutWritingPastTheStore) {
    Bytes p;
    for (std::uint8_t hour = 0; hour < 3; ++hour) {
        Timestamp(p, 26, 1, 1, hour, 0, 0);
        Sensor(p, 0, hour);
    }
    HistoryStore& store = Store();
    store[65535].hour = 77;
    store[65536].hour = 77;
    std::uint16_t count = 65534;
    const HistoryFrameResult result = ParseHistoryFrame(p, store, count);
    EXPECT_EQ(result.stored, 1);
    EXPECT_EQ(result.leftOut, 2u);
    EXPECT_EQ(count, 65535);  // never wraps to 0
    EXPECT_EQ(store[65534].hour, 0);
    EXPECT_EQ(store[65535].hour, 77);
    EXPECT_EQ(store[65536].hour, 77);

    const HistoryFrameResult more = ParseHistoryFrame(p, store, count);
    EXPECT_EQ(more.stored, 0);
    EXPECT_EQ(more.leftOut, 3u);
    EXPECT_EQ(count, 65535);
}

}  // namespace
}  // namespace lgcset::data
