// SHA-256 against the examples of FIPS 180-4 (NIST's "SHA256.pdf" and the long message of
// the Secure Hash Standard validation), whatever the pieces the bytes are added in.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "data/sha256.h"

namespace lgcset::data {
namespace {

std::span<const unsigned char> Bytes(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

std::string HexOf(std::array<std::uint8_t, 32> digest) {
    std::string text;
    char pair[3];
    for (const auto byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Sha256, PublishedExamples) {
    EXPECT_EQ(Sha256Hex(Bytes("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex(Bytes("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits in the first block.
    EXPECT_EQ(Sha256Hex(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    const std::string million(1'000'000, 'a');
    EXPECT_EQ(Sha256Hex(Bytes(million)),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesOfAnySizeGiveTheSameDigest) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += static_cast<char>('A' + i % 26);
    const std::string whole = Sha256Hex(Bytes(text));
    for (const std::size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 128u}) {
        SCOPED_TRACE(piece);
        Sha256 hash;
        for (std::size_t at = 0; at < text.size(); at += piece)
            hash.Add(Bytes(std::string_view(text).substr(at, piece)));
        EXPECT_EQ(HexOf(hash.Finish()), whole);
    }
}

TEST(Sha256, OfAFileAndOfNoFile) {
    const auto path = std::filesystem::temp_directory_path() / "lgcset-sha256-test.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out << "abc";
    }
    EXPECT_EQ(Sha256OfFile(path),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    std::filesystem::remove(path);
    EXPECT_EQ(Sha256OfFile(path), std::nullopt);
}

}  // namespace
}  // namespace lgcset::data
