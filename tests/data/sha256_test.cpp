// SHA-256 against the examples of FIPS 180-4 (NIST's "SHA256.pdf" and the long message of
// the Secure Hash Standard validation), whatever the pieces the bytes are added in.
#include <gtest/gtest.h>

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

TEST(Sha256, PublishedExamplesWholeAndStreamed) {
    struct Case {
        const char* name;
        std::string piece;
        int times;  // the message is the piece this many times over
        const char* digest;
    };
    const Case cases[] = {
        {"empty", "", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits in the first block.
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000, 'a'), 1000,
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string whole;
        Sha256 streamed;
        for (int i = 0; i < c.times; ++i) {
            whole += c.piece;
            streamed.Add(Bytes(c.piece));
        }
        EXPECT_EQ(streamed.FinishHex(), c.digest);
        EXPECT_EQ(Sha256Hex(Bytes(whole)), c.digest);
    }
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
        EXPECT_EQ(hash.FinishHex(), whole);
    }
}

// The file is read in buffers of 64 KiB: a million bytes end in a part of one.
TEST(Sha256, OfAFileAndOfNoFile) {
    const auto path = std::filesystem::temp_directory_path() / "lgcset-sha256-test.csv";
    const struct {
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        std::ofstream(path, std::ios::binary) << c.bytes;
        EXPECT_EQ(Sha256OfFile(path), c.digest);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(Sha256OfFile(path), std::nullopt);
}

}  // namespace
}  // namespace lgcset::data
