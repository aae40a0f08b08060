// Little-endian appending to a byte buffer, shared by the file writers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace lgcset::exports {

class ByteWriter {
  public:
    explicit ByteWriter(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(static_cast<std::uint32_t>(bits));
        U32(static_cast<std::uint32_t>(bits >> 32));
    }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Bytes(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    std::size_t Size() const { return bytes_.size(); }
    // Overwrites a 16- or 32-bit field written earlier.
    void Put16(std::size_t at, std::uint32_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v);
        bytes_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void Put32(std::size_t at, std::uint32_t v) {
        Put16(at, v);
        Put16(at + 2, v >> 16);
    }

  private:
    std::vector<std::uint8_t>& bytes_;
};

}  // namespace lgcset::exports
