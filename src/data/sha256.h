// SHA-256 (FIPS 180-4), so that a report names the exact file it was made from: anyone can
// check a CSV file against it with sha256sum. The hashing itself is the system's crypto
// library (sha256_openssl.cpp, sha256_cng_win32.cpp), not ours.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace lgcset::data {

// Fed with bytes in pieces of any size, then asked once for the digest. Throws
// std::runtime_error when the system's library refuses, rather than give a wrong digest.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(std::span<const unsigned char> bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();
    // The same in lower-case hexadecimal, as sha256sum prints it.
    std::string FinishHex();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Lower-case hexadecimal, as sha256sum prints it.
std::string Sha256Hex(std::span<const unsigned char> bytes);
// Of a file's bytes; nothing when it cannot be read.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& path);

}  // namespace lgcset::data
