// The simulated logger inside the program, driven through a session and the loop of a
// host without a window, in real time.
#include "session/simulated_link.h"

#include <gtest/gtest.h>

#include <thread>

#include "protocol/command_codes.h"
#include "protocol/commands.h"
#include "protocol/request_params.h"
#include "session/logger_session.h"
#include "session/session_loop.h"

namespace lgcset::session {
namespace {

struct Replies final : SessionObserver {
    void OnFrame(const protocol::ReceivedFrame& frame) override { frames.push_back(frame); }
    void OnTimeout() override { ++timeouts; }
    std::vector<protocol::ReceivedFrame> frames;
    int timeouts = 0;
};

class SimulatedLinkTest : public ::testing::Test {
  protected:
    sim::Options Logger() {
        sim::Options options;
        options.model = "R482";
        options.debugIntervalMs = 5;
        return options;
    }
    void RunFor(std::size_t frames) {
        loop.RunUntil(session, [&] { return seen.frames.size() >= frames || seen.timeouts > 0; });
    }

    SessionLoop loop;
    Replies seen;
    SimulatedLink line{loop.Sink(), Logger()};  // outlives the session, which closes it
    LoggerSession session{loop.Timer(), seen};
};

TEST_F(SimulatedLinkTest, TheLoggerAnswersALoginAndVolunteersDebugTrafficOnceAsked) {
    ASSERT_FALSE(session.Open(line, "Simulated logger"));
    session.Send(protocol::BuildLogin("8604"));
    RunFor(1);
    ASSERT_EQ(seen.frames.size(), 1u);
    EXPECT_EQ(seen.frames[0].command(), protocol::code(protocol::Command::Login));
    EXPECT_EQ(seen.frames[0].payload[0], 1);
    EXPECT_EQ(std::string(seen.frames[0].payload.begin() + 1, seen.frames[0].payload.begin() + 5),
              "R482");

    protocol::RequestParams params;
    session.Send(*protocol::BuildRequest(protocol::kDebugOnRequest, params));
    RunFor(4);  // the answer, then frames nobody asked for
    ASSERT_EQ(seen.timeouts, 0);
    EXPECT_EQ(seen.frames[1].command(), protocol::code(protocol::Command::DebugMode));
    EXPECT_EQ(seen.frames[3].command(), protocol::code(protocol::Command::DebugData));
}

TEST_F(SimulatedLinkTest, AReplyOfAClosedLineIsNotTakenByTheNextOpen) {
    ASSERT_FALSE(session.Open(line, "Simulated logger"));
    session.Send(protocol::BuildLogin("8604"));
    // Wait until the logger's reply is queued for the owner, then close before it runs.
    // (Each wait is bounded by the logger answering in a few milliseconds.)
    link::BlockingCommQueue& queue = loop.Sink();
    while (queue.Size() == 0) std::this_thread::yield();
    session.Close();
    ASSERT_FALSE(session.Open(line, "Simulated logger"));
    queue.DeliverPending();
    EXPECT_TRUE(seen.frames.empty());

    // The logger is the same one: a wrong password is refused as before.
    session.Send(protocol::BuildLogin("0000"));
    RunFor(1);
    ASSERT_EQ(seen.frames.size(), 1u);
    EXPECT_EQ(seen.frames[0].payload[0], 0);
}

}  // namespace
}  // namespace lgcset::session
