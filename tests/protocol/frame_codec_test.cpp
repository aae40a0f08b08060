#include "protocol/frame_codec.h"

#include <gtest/gtest.h>

#include <vector>

using namespace lgcset::protocol;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<ReceivedFrame> FeedAll(const Bytes& wire) {
    std::vector<ReceivedFrame> frames;
    FrameAssembler assembler;
    assembler.SetOnFrame([&](const ReceivedFrame& f) { frames.push_back(f); });
    assembler.Feed(wire);
    return frames;
}

}  // namespace

TEST(FrameCodec, BuildsAndStuffsTheCurrentDataRequest) {
    const Bytes frame = BuildFrame(0x17, {});
    EXPECT_EQ(EscapeFrame(frame), (Bytes{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5}));
}

TEST(FrameCodec, StuffedReplyRoundTrips) {
    const Bytes payload{0xA5, 0x00, 0xAA};
    const auto frames = FeedAll(EscapeFrame(BuildFrame(0x16, payload)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command(), 0x16);
    EXPECT_EQ(frames[0].payloadCount, 3);
    EXPECT_EQ(frames[0].payload[0], 0xA5);
    EXPECT_EQ(frames[0].payload[2], 0xAA);
    EXPECT_EQ(frames[0].payload[3], 0xFF);
}
