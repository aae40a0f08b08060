// The hexadecimal text of a run of bytes, as the traffic log of sent frames and the debug
// monitor show it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace lgcset::data {

inline constexpr std::size_t kHexBytesPerLine = 20;

// Appends " XX" per byte (upper-case hex), CR LF after every 20th byte and after the last
// one. Every run thus ends its own line, and a run whose length is a multiple of 20 is
// followed by an empty line. No bytes append nothing.
void AppendHexText(std::string& text, std::span<const std::uint8_t> bytes);

}  // namespace lgcset::data
