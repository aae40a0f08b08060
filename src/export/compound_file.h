// A compound file (structured storage, version 3: 512-byte sectors) that holds one stream
// under the root storage, as the container of a binary workbook.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

namespace lgcset::exports {

inline constexpr std::size_t kSectorSize = 512;
inline constexpr std::size_t kMiniSectorSize = 64;
// Streams shorter than this live in the mini stream, in 64-byte mini sectors.
inline constexpr std::size_t kMiniStreamCutoff = 4096;
// A version 3 file keeps stream sizes below 2^31 in practice; larger streams are refused.
inline constexpr std::size_t kMaxStreamSize = 0x7FFFFFFFu;

// Writes a compound file whose root storage holds the one stream `name` (ASCII, at most 31
// characters) with the given bytes. Returns false when the stream is too large or the
// output fails.
bool WriteCompoundFile(std::ostream& out, std::string_view name,
                       std::span<const std::uint8_t> stream);

}  // namespace lgcset::exports
