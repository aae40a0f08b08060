// SHA-256 (FIPS 180-4), so that a report names the exact file it was made from: anyone can
// check a CSV file against it with sha256sum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace lgcset::data {

class Sha256 {
  public:
    Sha256();
    void Add(std::span<const unsigned char> bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

  private:
    void Block(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// Lower-case hexadecimal, as sha256sum prints it.
std::string Sha256Hex(std::span<const unsigned char> bytes);
// Of a file's bytes; nothing when it cannot be read.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& path);

}  // namespace lgcset::data
