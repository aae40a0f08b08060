// The items of a current-data or history reply as the logger sends them: tag, sub-code and
// four bytes of value, little-endian.
#pragma once

#include <bit>
#include <concepts>
#include <cstdint>
#include <vector>

namespace lgcset::support {

using Bytes = std::vector<std::uint8_t>;

inline void Item(Bytes& out, std::uint8_t tag, std::uint8_t sub, std::uint32_t value) {
    out.insert(out.end(), {tag, sub});
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Any whole number, so that a literal needs no cast.
template <std::integral T>
void Item(Bytes& out, std::uint8_t tag, std::uint8_t sub, T value) {
    Item(out, tag, sub, static_cast<std::uint32_t>(value));
}

// A single-precision value, as sensors, signal, relay and power are sent.
inline void Item(Bytes& out, std::uint8_t tag, std::uint8_t sub, float value) {
    Item(out, tag, sub, std::bit_cast<std::uint32_t>(value));
}

}  // namespace lgcset::support
