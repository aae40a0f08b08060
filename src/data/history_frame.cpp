#include "data/history_frame.h"

#include <bit>
#include <cstddef>

namespace lgcset::data {

namespace {

constexpr std::uint8_t kMarker = 0x7F;
constexpr std::uint8_t kEnd = 0xFF;
constexpr std::uint8_t kSensorTag = 0x01;    // sub-codes 0x00..0x03: sensors 1..4
constexpr std::uint8_t kPositionTag = 0x50;  // sub-codes 0x50..0x53, as below
constexpr std::uint8_t kLongitude = 0x50;
constexpr std::uint8_t kLatitude = 0x51;
constexpr std::uint8_t kVelocity = 0x52;
constexpr std::uint8_t kDirection = 0x53;
constexpr std::size_t kTimestampSize = 6;
constexpr std::size_t kRecordHeader = 2 + kTimestampSize;
constexpr std::size_t kItemSize = 6;

// A byte of the reply; past the received payload the receive area holds 0xFF.
std::uint8_t At(std::span<const std::uint8_t> payload, std::size_t index) {
    return index < payload.size() ? payload[index] : kEnd;
}

std::uint32_t Le32(std::span<const std::uint8_t> payload, std::size_t index) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) value |= std::uint32_t{At(payload, index + k)} << (8 * k);
    return value;
}

void Reset(HistoryRecord& record) {
    record = HistoryRecord{};
    record.longitude = kAbsentPosition;
    record.latitude = kAbsentPosition;
    record.velocity = kAbsentPosition;
    record.direction = kAbsentPosition;
}

// False for a tag that no history record carries.
bool StoreItem(HistoryRecord& record, std::uint8_t tag, std::uint8_t sub, std::uint32_t value) {
    if (tag == kSensorTag) {
        if (sub < kSensorCount) {
            record.sensor[sub] = static_cast<double>(std::bit_cast<float>(value));
            record.sensorPresent[sub] = 1;
        }
        return true;
    }
    if (tag != kPositionTag)
        return false;
    switch (sub) {
        case kLongitude:
            record.longitude = value;
            break;
        case kLatitude:
            record.latitude = value;
            break;
        case kVelocity:
            record.velocity = value;
            break;
        case kDirection:
            record.direction = value;
            break;
        default:
            break;  // stepped over
    }
    return true;
}

bool StartsRecord(std::span<const std::uint8_t> payload, std::size_t i) {
    return i + 1 < payload.size() && payload[i] == kMarker && payload[i + 1] == kMarker;
}

}  // namespace

HistoryFrameResult ParseHistoryFrame(std::span<const std::uint8_t> payload, HistoryStore& store,
                                     std::uint16_t& count) {
    HistoryFrameResult result;
    // A record that finds the count at its limit is decoded here, so that the ones after
    // it are still found, and then dropped.
    HistoryRecord overflow;
    std::size_t i = 0;
    while (StartsRecord(payload, i)) {
        const bool full = count == kMaxHistoryCount;
        HistoryRecord& record = full ? overflow : store[count];
        Reset(record);
        record.year = At(payload, i + 2);
        record.month = At(payload, i + 3);
        record.day = At(payload, i + 4);
        record.hour = At(payload, i + 5);
        record.minute = At(payload, i + 6);
        record.second = At(payload, i + 7);
        std::size_t item = i + kRecordHeader;
        while (item < payload.size() && payload[item] != kMarker && payload[item] != kEnd) {
            if (!StoreItem(record, payload[item], At(payload, item + 1), Le32(payload, item + 2))) {
                result.undefinedItem = true;
                return result;
            }
            item += kItemSize;
        }
        i = item;
        if (full) {
            ++result.leftOut;
        } else {
            ++count;
            ++result.stored;
        }
    }
    return result;
}

}  // namespace lgcset::data
