// SHA-256 by OpenSSL's libcrypto.
#include <openssl/evp.h>

#include <stdexcept>

#include "data/sha256.h"

namespace lgcset::data {
namespace {

[[noreturn]] void Refused(const char* call) {
    throw std::runtime_error(std::string("SHA-256: libcrypto's ") + call + " failed");
}

}  // namespace

struct Sha256::State {
    struct Free {
        void operator()(EVP_MD_CTX* held) const { EVP_MD_CTX_free(held); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> context{EVP_MD_CTX_new()};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->context)
        Refused("EVP_MD_CTX_new");
    if (EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) != 1)
        Refused("EVP_DigestInit_ex");
}

Sha256::~Sha256() = default;

void Sha256::Add(std::span<const unsigned char> bytes) {
    if (EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()) != 1)
        Refused("EVP_DigestUpdate");
}

std::array<std::uint8_t, 32> Sha256::Finish() {
    std::array<std::uint8_t, 32> digest{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(state_->context.get(), digest.data(), &size) != 1 ||
        size != digest.size())
        Refused("EVP_DigestFinal_ex");
    return digest;
}

}  // namespace lgcset::data
