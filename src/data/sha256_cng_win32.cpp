// SHA-256 by Windows' CNG (bcrypt.dll).
#define NOMINMAX 1
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "data/sha256.h"

namespace lgcset::data {
namespace {

void Check(NTSTATUS status, const char* call) {
    if (!BCRYPT_SUCCESS(status))
        throw std::runtime_error(std::string("SHA-256: CNG's ") + call + " failed");
}

}  // namespace

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
        if (algorithm)
            BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    Check(BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
          "BCryptOpenAlgorithmProvider");
    // No hash object buffer of ours: CNG keeps it (Windows 7 and later).
    Check(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0),
          "BCryptCreateHash");
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const unsigned char> bytes) {
    // BCryptHashData takes at most a ULONG of bytes at a time.
    constexpr std::size_t kMost = std::numeric_limits<ULONG>::max();
    for (std::size_t at = 0; at < bytes.size(); at += kMost) {
        const std::size_t size = std::min(kMost, bytes.size() - at);
        // It only reads the bytes; its parameter is not const.
        Check(BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes.data() + at),
                             static_cast<ULONG>(size), 0),
              "BCryptHashData");
    }
}

std::array<std::uint8_t, 32> Sha256::Finish() {
    std::array<std::uint8_t, 32> digest{};
    Check(BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0),
          "BCryptFinishHash");
    return digest;
}

}  // namespace lgcset::data
