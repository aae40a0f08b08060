// Requests as the logger takes them off the line: a complete raw frame (still stuffed, both
// delimiters) becomes a command and its payload when its length and check agree.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lgcset::sim {

struct Request {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;
    // The relay control request goes out with a length field one short of its payload and
    // its check over one byte more; the logger takes it either way.
    bool shortLength = false;
};

// Null for a frame whose size, length field or check does not add up.
std::optional<Request> ParseRequest(std::span<const std::uint8_t> rawFrame);

}  // namespace lgcset::sim
