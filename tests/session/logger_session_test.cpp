// The send path in simulated time: a tick of the fake timer is a second of the real one,
// so re-sends and timeouts are checked without waiting.
#include "session/logger_session.h"

#include <gtest/gtest.h>

#include <deque>

#include "protocol/commands.h"
#include "protocol/frame_codec.h"
#include "support/fake_timer.h"

namespace lgcset::session {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

using support::FakeTimer;

class FakeLink final : public Link {
  public:
    std::optional<OpenFailure> Open(const std::string& name) override {
        name_ = name;
        if (refuseOpen)
            return OpenFailure{.why = OpenFailure::Why::SystemRefused,
                               .systemError = 2,
                               .detail = "Error opening serial port",
                               .reason = "no such device"};
        open_ = true;
        return std::nullopt;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!open_ || refuseWrites)
            return false;
        written.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    const std::string& Name() const override { return name_; }

    void Receive(const Bytes& bytes) { listener()->OnReceived(bytes); }
    void Lose() { listener()->OnLost(); }

    std::vector<Bytes> written;
    bool refuseOpen = false;
    bool refuseWrites = false;

  private:
    std::string name_;
    bool open_ = false;
};

struct Recorder final : SessionObserver {
    void OnSent(std::span<const std::uint8_t> stuffed) override { sent.emplace_back(stuffed.begin(), stuffed.end()); }
    void OnRawFrame(std::span<const std::uint8_t> raw) override { raw_.emplace_back(raw.begin(), raw.end()); }
    void OnFrame(const protocol::ReceivedFrame& frame) override {
        frames.push_back(frame.command());
        if (onFrame)
            onFrame(frame);
    }
    void OnResendStatus(const std::string& text) override { status.push_back(text); }
    void OnTimeout() override { ++timeouts; }
    void OnLinkLost() override { ++losses; }

    std::vector<Bytes> sent, raw_;
    std::vector<std::uint8_t> frames;
    std::vector<std::string> status;
    std::function<void(const protocol::ReceivedFrame&)> onFrame;
    int timeouts = 0;
    int losses = 0;
};

Bytes Reply(std::uint8_t command, Bytes payload) {
    return protocol::EscapeFrame(protocol::BuildFrame(command, payload));
}

class LoggerSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(session.Open(line, "COM7")); }

    FakeTimer timer;
    FakeLink line;
    Recorder seen;
    LoggerSession session{timer, seen};
    // A request whose stuffed form differs from the frame: a password byte is 0xA5.
    const Bytes login = protocol::BuildLogin("\xA5" "604");
};

TEST_F(LoggerSessionTest, ARequestIsStuffedWrittenEchoedAndResentThreeTimesThenTimesOut) {
    session.Send(login);
    const Bytes stuffed = protocol::EscapeFrame(login);
    ASSERT_NE(stuffed, login);
    ASSERT_EQ(line.written, std::vector<Bytes>{stuffed});
    EXPECT_EQ(seen.sent, line.written);
    EXPECT_TRUE(timer.Active());

    // One write a second: the send and three re-sends, the timeout at the fourth tick.
    timer.Advance(milliseconds(3999), session);
    EXPECT_EQ(line.written, std::vector<Bytes>(4, stuffed));
    // The panel counts the re-sends already made, at the tick after each.
    EXPECT_EQ(seen.status, (std::vector<std::string>{"resend:1", "resend:2"}));
    EXPECT_EQ(seen.timeouts, 0);
    timer.Advance(milliseconds(1), session);
    EXPECT_EQ(seen.status.back(), "resend:3");
    EXPECT_EQ(seen.timeouts, 1);
    EXPECT_FALSE(timer.Active());
    EXPECT_FALSE(session.Resending());
    timer.Advance(milliseconds(10000), session);
    EXPECT_EQ(line.written.size(), 4u);
    EXPECT_EQ(seen.sent, line.written);
}

TEST_F(LoggerSessionTest, AValidReplyStopsTheResendsAnInvalidOneOrAnotherRequestsDoesNot) {
    session.Send(login);
    timer.Advance(milliseconds(1500), session);  // one re-send
    Bytes corrupt = Reply(0x01, {1, 'R', '4', '8', '1'});
    corrupt[corrupt.size() - 3] ^= 0x01;  // the check no longer matches
    line.Receive(corrupt);
    EXPECT_TRUE(seen.frames.empty());
    EXPECT_EQ(seen.raw_.size(), 1u);  // echoed all the same
    EXPECT_TRUE(session.Resending());

    // A late reply to an earlier request and an unasked debug frame are handed on, and the
    // login goes on being re-sent: were its reply lost, it would still time out.
    line.Receive(Reply(0x11, Bytes(256, 0xFF)));
    line.Receive(Reply(0x21, {'R', 1, 2}));
    EXPECT_EQ(seen.frames, (std::vector<std::uint8_t>{0x11, 0x21}));
    EXPECT_TRUE(session.Resending());
    EXPECT_TRUE(timer.Active());
    seen.frames.clear();

    line.Receive(Reply(0x01, {1, 'R', '4', '8', '1'}));
    EXPECT_EQ(seen.frames, std::vector<std::uint8_t>{0x01});
    EXPECT_FALSE(timer.Active());
    timer.Advance(milliseconds(10000), session);
    EXPECT_EQ(line.written.size(), 2u);
    EXPECT_EQ(seen.timeouts, 0);
}

TEST_F(LoggerSessionTest, ARequestSentFromAReplyGetsAFullIntervalWithoutRestartingTheTimer) {
    // Each reply sends the next request, as a history transfer does.
    const Bytes next = protocol::BuildReadPage(2048);
    seen.onFrame = [&](const protocol::ReceivedFrame&) { session.Send(next); };
    session.Send(login);
    timer.Advance(milliseconds(600), session);
    line.Receive(Reply(0x01, {1}));
    EXPECT_EQ(timer.starts, 1);  // still the first start
    // The tick due at 1000 ms only waits out the rest of the new request's interval.
    timer.Advance(milliseconds(999), session);
    EXPECT_EQ(line.written.size(), 2u);
    EXPECT_TRUE(seen.status.empty());
    timer.Advance(milliseconds(1), session);
    EXPECT_EQ(line.written.size(), 3u);
    EXPECT_EQ(line.written.back(), protocol::EscapeFrame(next));
    // From there on, whole intervals again.
    timer.Advance(milliseconds(999), session);
    EXPECT_TRUE(seen.status.empty());
    timer.Advance(milliseconds(1), session);
    EXPECT_EQ(seen.status, std::vector<std::string>{"resend:1"});
}

TEST_F(LoggerSessionTest, ALineThatRefusesTheBytesEndsInTheTimeoutNotInAWaitForEver) {
    line.refuseWrites = true;
    session.Send(login);
    EXPECT_TRUE(line.written.empty());
    timer.Advance(milliseconds(4000), session);
    EXPECT_EQ(seen.timeouts, 1);
}

TEST_F(LoggerSessionTest, ALostLineIsReportedOnceAndWhatFollowsTheCloseIsNotTakenIn) {
    session.Send(login);
    line.Lose();
    line.Lose();
    EXPECT_EQ(seen.losses, 1);
    EXPECT_TRUE(session.Lost());
    EXPECT_TRUE(session.Close());  // a request was being re-sent
    EXPECT_FALSE(session.Close());
    EXPECT_FALSE(timer.Active());
    line.Receive(Reply(0x01, {1}));  // late bytes of the closed line
    EXPECT_TRUE(seen.frames.empty());

    // Half a frame cut off by a close does not swallow the start of the next line's reply.
    ASSERT_FALSE(session.Open(line, "COM7"));
    EXPECT_FALSE(session.Lost());
    const Bytes reply = Reply(0x04, {1});
    line.Receive(Bytes(reply.begin(), reply.begin() + 4));
    session.Close();
    ASSERT_FALSE(session.Open(line, "COM7"));
    line.Receive(reply);
    EXPECT_EQ(seen.frames, std::vector<std::uint8_t>{0x04});
}

TEST_F(LoggerSessionTest, AFailedOpenLeavesTheSessionClosedWithTheReason) {
    session.Close();
    line.refuseOpen = true;
    const std::optional<OpenFailure> failure = session.Open(line, "/dev/ttyUSB9");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, "no such device");
    EXPECT_FALSE(session.IsOpen());
}

}  // namespace
}  // namespace lgcset::session
