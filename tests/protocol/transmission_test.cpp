#include "protocol/transmission.h"

#include <gtest/gtest.h>

using namespace lgcset::protocol;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string Hex(std::initializer_list<const char*> bytes) {
    std::string out;
    for (const char* b : bytes) {
        out += ' ';
        out += b;
    }
    return out;
}

}  // namespace

TEST(TrafficLog, ReceivedFrameIsOneLinePerTwentyOneBytes) {
    EXPECT_EQ(EchoReceived(Bytes{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5}),
              std::vector<std::string>{
                  Hex({"A5", "05", "00", "17", "01", "00", "01", "00", "E1", "FF", "A5"})});

    const std::string full = Hex({"AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA",
                                  "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA", "AA"});
    EXPECT_EQ(EchoReceived(Bytes(42, 0xAA)), (std::vector<std::string>{full, full, ""}));
    EXPECT_EQ(EchoReceived(Bytes(22, 0xAA)), (std::vector<std::string>{full, " AA"}));

    // Collected for the memo: the same lines, each ended, after what was there.
    std::string text = "x\n";
    AppendEchoReceived(text, Bytes(42, 0xAA));
    AppendEchoReceived(text, Bytes(22, 0xAA));
    EXPECT_EQ(text, "x\n" + full + "\n" + full + "\n\n" + full + "\n AA\n");
}

TEST(Resend, FourWritesThenTimeout) {
    const Bytes frame{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5};
    ResendTracker tracker;
    tracker.OnSend(frame);  // write 1
    EXPECT_EQ(tracker.ResendCount(), 0);

    // Second 1: panel unchanged, re-send 1.
    ResendTick tick = tracker.OnTick();
    EXPECT_FALSE(tick.panelText.has_value());
    EXPECT_FALSE(tick.timeout);
    EXPECT_EQ(tick.resend, frame);
    // Seconds 2 and 3: "resend:1", "resend:2", with re-sends 2 and 3.
    for (int n = 1; n <= 2; ++n) {
        tick = tracker.OnTick();
        EXPECT_EQ(tick.panelText, "resend:" + std::to_string(n));
        EXPECT_FALSE(tick.timeout);
        EXPECT_EQ(tick.resend, frame);
    }
    EXPECT_EQ(tracker.ResendCount(), 3);
    // Second 4: "resend:3", then the timeout, and nothing more is written.
    tick = tracker.OnTick();
    EXPECT_EQ(tick.panelText, "resend:3");
    EXPECT_TRUE(tick.timeout);
    EXPECT_TRUE(tick.resend.empty());
    EXPECT_FALSE(tracker.Active());
    // A tick that was already queued does nothing.
    tick = tracker.OnTick();
    EXPECT_FALSE(tick.panelText.has_value() || tick.timeout || !tick.resend.empty());
}

TEST(Resend, NewSendReplacesTheFrameAndRestartsTheCount) {
    const Bytes first{0xA5, 0x01, 0xA5};
    const Bytes second{0xA5, 0x02, 0xA5};
    ResendTracker tracker;
    tracker.OnSend(first);
    tracker.OnTick();
    tracker.OnTick();
    ASSERT_EQ(tracker.ResendCount(), 2);

    tracker.OnSend(second);
    EXPECT_EQ(tracker.ResendCount(), 0);
    const ResendTick tick = tracker.OnTick();
    EXPECT_FALSE(tick.panelText.has_value());
    EXPECT_EQ(tick.resend, second);
}

TEST(Resend, ReplyOrStopEndsTheResending) {
    ResendTracker tracker;
    EXPECT_TRUE(tracker.OnTick().resend.empty());  // nothing sent yet
    tracker.OnSend(Bytes{0xA5, 0x01, 0xA5});
    tracker.OnTick();
    tracker.Stop();
    const ResendTick tick = tracker.OnTick();
    EXPECT_FALSE(tick.panelText.has_value() || tick.timeout || !tick.resend.empty());
}
