// The debug monitor's view of one debug traffic frame: the direction letter in front, then
// the bytes the logger exchanged with its server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lgcset::data {

enum class DebugDirection : std::uint8_t {
    FromServer = 'R',  // received by the logger from its server
    ToServer = 'T',    // sent by the logger to its server
};

struct DebugTraffic {
    DebugDirection direction;
    std::span<const std::uint8_t> bytes;  // into the payload given; empty when none came
};

// `payload` is the frame's payload area, `count` the payload count. Nothing for a frame
// whose first byte is no direction letter (an empty frame included).
std::optional<DebugTraffic> DecodeDebugTraffic(std::span<const std::uint8_t> payload,
                                               std::size_t count);

}  // namespace lgcset::data
