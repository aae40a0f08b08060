#include "data/sha256.h"

#include <fstream>
#include <vector>

namespace lgcset::data {

std::string Sha256::FinishHex() {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : Finish()) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}

std::string Sha256Hex(std::span<const unsigned char> bytes) {
    Sha256 hash;
    hash.Add(bytes);
    return hash.FinishHex();
}

std::optional<std::string> Sha256OfFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Sha256 hash;
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        hash.Add({reinterpret_cast<const unsigned char*>(buffer.data()), got});
    }
    if (in.bad())
        return std::nullopt;
    return hash.FinishHex();
}

}  // namespace lgcset::data
