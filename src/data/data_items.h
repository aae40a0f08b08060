// The data items of current-data and history replies: 6 bytes each, a tag, a sub-code and a
// 32-bit value low byte first. The sensor and position items are the same in both replies;
// a current-data reply also carries the signal, relay and power items.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "data/history_record.h"

namespace lgcset::data {

inline constexpr std::size_t kDataItemSize = 6;

inline constexpr std::uint8_t kSensorTag = 0x01;    // sub-codes 0x00..0x03: sensors 1..4
inline constexpr std::uint8_t kPositionTag = 0x50;  // sub-codes as below
inline constexpr std::uint8_t kLongitudeSub = 0x50;
inline constexpr std::uint8_t kLatitudeSub = 0x51;
inline constexpr std::uint8_t kVelocitySub = 0x52;
inline constexpr std::uint8_t kDirectionSub = 0x53;

// A byte of a reply's payload; past the bytes given the receive area holds 0xFF.
inline std::uint8_t PayloadByte(std::span<const std::uint8_t> payload, std::size_t at) {
    return at < payload.size() ? payload[at] : std::uint8_t{0xFF};
}

// The unsigned 32-bit value at `at`, low byte first.
inline std::uint32_t PayloadU32(std::span<const std::uint8_t> payload, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        value |= std::uint32_t{PayloadByte(payload, at + k)} << (8 * k);
    }
    return value;
}

enum class ItemStored {
    Stored,       // a sensor (widened from single precision) or a position value
    SteppedOver,  // a sensor or position tag with a sub-code outside the table
    OtherTag,     // not a sensor or position item: the caller decides
};

// A sensor or position item into a reading that has the history record's four sensors and
// four position values (a HistoryRecord or a CurrentReading).
template <typename Reading>
ItemStored StoreSensorOrPosition(Reading& reading, std::uint8_t tag, std::uint8_t sub,
                                 std::uint32_t value) {
    if (tag == kSensorTag) {
        if (sub >= kSensorCount) {
            return ItemStored::SteppedOver;
        }
        reading.sensor[sub] = static_cast<double>(std::bit_cast<float>(value));
        reading.sensorPresent[sub] = 1;
        return ItemStored::Stored;
    }
    if (tag != kPositionTag) {
        return ItemStored::OtherTag;
    }
    switch (sub) {
        case kLongitudeSub:
            reading.longitude = value;
            return ItemStored::Stored;
        case kLatitudeSub:
            reading.latitude = value;
            return ItemStored::Stored;
        case kVelocitySub:
            reading.velocity = value;
            return ItemStored::Stored;
        case kDirectionSub:
            reading.direction = value;
            return ItemStored::Stored;
        default:
            return ItemStored::SteppedOver;
    }
}

}  // namespace lgcset::data
