// The 6-byte tagged values of the logger's data replies: tag, sub-code, 4-byte value low
// byte first (single precision for readings, unsigned 32-bit for positions).
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace lgcset::sim {

inline constexpr std::uint8_t kSensorTag = 0x01;    // sub-codes 0x00..0x03: sensors 1..4
inline constexpr std::uint8_t kPositionTag = 0x50;  // sub-codes below
inline constexpr std::uint8_t kLongitude = 0x50;
inline constexpr std::uint8_t kLatitude = 0x51;
inline constexpr std::uint8_t kVelocity = 0x52;
inline constexpr std::uint8_t kDirection = 0x53;
inline constexpr std::uint8_t kSignalTag = 0x10;  // current data only, sub-code the same
inline constexpr std::uint8_t kRelayTag = 0x20;
inline constexpr std::uint8_t kPowerTag = 0x30;
inline constexpr std::size_t kItemSize = 6;
// Items no history record carries, sent on request to exercise the configurator.
inline constexpr std::uint8_t kUnknownTag = 0x33;
inline constexpr std::uint8_t kUnknownSensorSubCode = 0x07;
inline constexpr std::uint8_t kUnknownPositionSubCode = 0x60;

inline void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline void AppendItem(std::vector<std::uint8_t>& out, std::uint8_t tag, std::uint8_t sub,
                       std::uint32_t value) {
    out.push_back(tag);
    out.push_back(sub);
    AppendU32(out, value);
}

inline void AppendItem(std::vector<std::uint8_t>& out, std::uint8_t tag, std::uint8_t sub,
                       float value) {
    AppendItem(out, tag, sub, std::bit_cast<std::uint32_t>(value));
}

}  // namespace lgcset::sim
