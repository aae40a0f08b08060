#include "data/debug_monitor.h"

#include <algorithm>

namespace lgcset::data {

std::optional<DebugTraffic> DecodeDebugTraffic(std::span<const std::uint8_t> payload,
                                               std::size_t count) {
    count = std::min(count, payload.size());
    if (count == 0) {
        return std::nullopt;
    }
    const auto direction = static_cast<DebugDirection>(payload[0]);
    if (direction != DebugDirection::FromServer && direction != DebugDirection::ToServer) {
        return std::nullopt;
    }
    return DebugTraffic{direction, payload.subspan(1, count - 1)};
}

}  // namespace lgcset::data
