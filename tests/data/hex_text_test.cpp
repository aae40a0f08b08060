// The hex text shared by the traffic log of sent frames and the debug monitor, and the
// debug monitor's reading of a debug traffic frame.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "data/debug_monitor.h"
#include "data/hex_text.h"

namespace lgcset::data {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Counting(std::size_t n, std::uint8_t first = 0) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

std::string HexOf(const Bytes& bytes) {
    std::string text;
    AppendHexText(text, bytes);
    return text;
}

TEST(HexText, LinesOfTwentyUpperCaseBytesEachRunOnItsOwnLine) {
    std::string memo = "earlier\r\n";
    AppendHexText(memo, Bytes{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5});
    EXPECT_EQ(memo, "earlier\r\n A5 05 00 17 01 00 01 00 E1 FF A5\r\n");

    const std::string line1 = " C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF D0 D1 D2 D3";
    const std::string line2 = " D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF E0 E1 E2 E3 E4 E5 E6 E7";
    // A multiple of 20 is followed by an empty line.
    EXPECT_EQ(HexOf(Counting(20, 0xC0)), line1 + "\r\n\r\n");
    EXPECT_EQ(HexOf(Counting(40, 0xC0)), line1 + "\r\n" + line2 + "\r\n\r\n");
    EXPECT_EQ(HexOf(Counting(21, 0xC0)), line1 + "\r\n D4\r\n");
    // 45 bytes: two full lines and one of five.
    EXPECT_EQ(HexOf(Counting(45, 0xC0)), line1 + "\r\n" + line2 + "\r\n E8 E9 EA EB EC\r\n");
    EXPECT_EQ(HexOf({0x0A}), " 0A\r\n");
}

TEST(HexText, NoBytesAppendNothing) {
    std::string memo = "kept";
    AppendHexText(memo, {});
    EXPECT_EQ(memo, "kept");
}

std::optional<DebugTraffic> Traffic(const Bytes& payload) {
    static std::array<std::uint8_t, 256> area;
    area.fill(0xFF);
    std::copy(payload.begin(), payload.end(), area.begin());
    return DecodeDebugTraffic(area, payload.size());
}

TEST(DebugMonitor, DirectionLetterChoosesTheMemoAndTheRestAreTheBytes) {
    Bytes r{'R'};
    const Bytes data = Counting(45);
    r.insert(r.end(), data.begin(), data.end());
    const auto fromServer = Traffic(r);
    ASSERT_TRUE(fromServer);
    EXPECT_EQ(fromServer->direction, DebugDirection::FromServer);
    EXPECT_EQ(Bytes(fromServer->bytes.begin(), fromServer->bytes.end()), data);

    const auto toServer = Traffic({'T', 0x41, 0xA5});
    ASSERT_TRUE(toServer);
    EXPECT_EQ(toServer->direction, DebugDirection::ToServer);
    EXPECT_EQ(Bytes(toServer->bytes.begin(), toServer->bytes.end()), (Bytes{0x41, 0xA5}));

    const auto empty = Traffic({'R'});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->bytes.empty());
}

TEST(DebugMonitor, AnyOtherLetterAndAnEmptyFrameShowNothing) {
    EXPECT_FALSE(Traffic({0x41, 1, 2, 3}));
    EXPECT_FALSE(Traffic({'r', 1}));
    EXPECT_FALSE(Traffic({0x01}));  // the debug mode reply handed on after its message
    EXPECT_FALSE(Traffic({}));
}

TEST(DebugMonitor, CountPastThePayloadAreaIsCutToIt) {
    std::array<std::uint8_t, 256> area;
    area.fill(0x33);
    area[0] = 'T';
    const auto traffic = DecodeDebugTraffic(area, 1000);
    ASSERT_TRUE(traffic);
    EXPECT_EQ(traffic->bytes.size(), 255u);
}

}  // namespace
}  // namespace lgcset::data
