// Each injected line fault does what its option says, and the same seed brings the same
// faults again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "sim_line.h"

namespace lgcset::sim::test {
namespace {

using protocol::Command;
using Clock = std::chrono::steady_clock;

// FinishWrite always answers the same frame, so a faulted reply can be set against it.
const Bytes kCleanReply = protocol::EscapeFrame(protocol::BuildFrame(0x13, Bytes{1}));

Options WithFaults(void (*set)(FaultOptions&), std::uint64_t seed = 1) {
    Options o = FixedHistoryOptions({2026, 3, 10, 12, 0, 0}, 60, 3);
    o.faults.seed = seed;
    set(o.faults);
    return o;
}

// Which of 32 HistoryRecord requests, sent in one burst, got an answer (by the record's hour).
std::vector<int> AnsweredRecords(const Options& options) {
    SimLine line(options);
    // The count selects the range whether or not its own reply is dropped.
    Bytes burst = Request(Command::HistoryCount, {26, 3, 7, 26, 3, 10});
    for (std::uint8_t k = 1; k <= 32; ++k) {
        const Bytes r = Request(Command::HistoryRecord, {k, 0});
        burst.insert(burst.end(), r.begin(), r.end());
    }
    line.Write(burst);
    // Wait until every request has been dealt with, then take what was answered.
    const Counters& counters = line.simulator()->counters();
    for (int i = 0; i < 500 && counters.framesSent.load() + counters.repliesDropped.load() < 33;
         ++i) {
        std::this_thread::sleep_for(10ms);
    }
    const std::size_t sent = counters.framesSent.load();
    std::vector<int> answered;
    for (const auto& f : line.Frames(sent, 3000ms)) {
        if (f.command() != 0x16) {
            answered.push_back(-1);
            continue;
        }
        answered.push_back(f.payload[5] + 24 * (f.payload[4] - 7));  // hours since 03-07 00:00
    }
    return answered;
}

TEST(SimulatedFaults, DropLosesRepliesInTheSamePatternForTheSameSeed) {
    auto half = [](FaultOptions& f) { f.dropProbability = 0.5; };
    Options a = WithFaults(half, 7);
    Options b = WithFaults(half, 7);
    Options c = WithFaults(half, 8);
    const auto first = AnsweredRecords(a);
    const auto again = AnsweredRecords(b);
    const auto other = AnsweredRecords(c);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_GT(first.size(), 4u);
    EXPECT_LT(first.size(), 29u);
}

TEST(SimulatedFaults, DropEverything) {
    SimLine line(WithFaults([](FaultOptions& f) { f.dropProbability = 1.0; }));
    EXPECT_FALSE(line.Ask(Command::FinishWrite, {}, 200ms));
    EXPECT_FALSE(line.Ask(Command::Login, {'8', '6', '0', '4'}, 200ms));
    EXPECT_EQ(line.simulator()->counters().repliesDropped.load(), 2u);
    EXPECT_EQ(line.simulator()->counters().framesReceived.load(), 2u);
}

TEST(SimulatedFaults, CorruptChangesOneByteSoTheCheckFails) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        SimLine line(WithFaults([](FaultOptions& f) { f.corruptProbability = 1.0; }, seed));
        line.Write(Request(Command::FinishWrite));
        const Bytes raw = line.ReadCount(kCleanReply.size(), 1000ms);
        ASSERT_EQ(raw.size(), kCleanReply.size()) << "seed " << seed;
        int differing = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            differing += raw[i] != kCleanReply[i] ? 1 : 0;
        }
        EXPECT_EQ(differing, 1) << "seed " << seed;
        EXPECT_EQ(raw.front(), 0xA5);
        EXPECT_EQ(raw.back(), 0xA5);
        protocol::FrameAssembler assembler;
        int accepted = 0;
        assembler.SetOnFrame([&](const protocol::ReceivedFrame&) { ++accepted; });
        assembler.Feed(raw);
        EXPECT_EQ(accepted, 0) << "seed " << seed;
    }
}

TEST(SimulatedFaults, NoiseComesBeforeTheReplyAndHoldsNoDelimiter) {
    SimLine line(WithFaults([](FaultOptions& f) { f.noiseProbability = 1.0; }, 3));
    for (int i = 0; i < 10; ++i) {
        line.Write(Request(Command::FinishWrite));
        const Bytes raw = line.ReadUntilEndsWith(kCleanReply);
        ASSERT_GT(raw.size(), kCleanReply.size());
        const std::size_t noise = raw.size() - kCleanReply.size();
        EXPECT_LE(noise, 16u);
        EXPECT_EQ(std::count(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(noise), 0xA5),
                  0);
        EXPECT_TRUE(std::equal(kCleanReply.begin(), kCleanReply.end(),
                               raw.begin() + static_cast<std::ptrdiff_t>(noise)));
    }
}

TEST(SimulatedFaults, LoneDelimiterPrecedesTheReply) {
    SimLine line(WithFaults([](FaultOptions& f) { f.loneDelimiterProbability = 1.0; }));
    line.Write(Request(Command::FinishWrite));
    Bytes expected{0xA5};
    expected.insert(expected.end(), kCleanReply.begin(), kCleanReply.end());
    EXPECT_EQ(line.ReadCount(expected.size()), expected);
    EXPECT_TRUE(line.ReadUntilQuiet(50ms, 50ms).empty());
}

TEST(SimulatedFaults, DuplicateAnswersTwice) {
    SimLine line(WithFaults([](FaultOptions& f) { f.duplicateProbability = 1.0; }));
    line.Write(Request(Command::FinishWrite));
    const auto frames = line.Frames(3, 300ms);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(PayloadOf(frames[0]), Bytes{1});
    EXPECT_EQ(PayloadOf(frames[1]), Bytes{1});
}

TEST(SimulatedFaults, FixedDelayHoldsEveryReply) {
    SimLine line(WithFaults([](FaultOptions& f) { f.delayMs = 150; }));
    for (int i = 0; i < 2; ++i) {
        const auto start = Clock::now();
        ASSERT_TRUE(line.Ask(Command::FinishWrite));
        EXPECT_GE(Clock::now() - start, 150ms);
    }
}

std::vector<int> TracedDelays(std::uint64_t seed) {
    auto lines = std::make_shared<std::vector<std::string>>();
    auto mutex = std::make_shared<std::mutex>();
    Options o = WithFaults([](FaultOptions& f) { f.delayRandomMaxMs = 40; }, seed);
    o.trace = true;
    o.traceSink = [lines, mutex](const std::string& l) {
        std::lock_guard lock(*mutex);
        lines->push_back(l);
    };
    {
        SimLine line(o);
        for (int i = 0; i < 8; ++i) {
            EXPECT_TRUE(line.Ask(Command::FinishWrite));
        }
    }
    std::vector<int> delays;
    const std::string delayed = "delayed ";
    std::lock_guard lock(*mutex);
    for (const auto& l : *lines) {
        if (l.find(" TX ") == std::string::npos) {
            continue;
        }
        const std::size_t at = l.find(delayed);
        delays.push_back(at == std::string::npos ? 0 : std::stoi(l.substr(at + delayed.size())));
    }
    return delays;
}

TEST(SimulatedFaults, RandomDelayStaysWithinItsBoundAndFollowsTheSeed) {
    const auto first = TracedDelays(11);
    ASSERT_EQ(first.size(), 8u);
    for (int d : first) {
        EXPECT_GE(d, 0);
        EXPECT_LE(d, 40);
    }
    EXPECT_EQ(TracedDelays(11), first);
    EXPECT_NE(TracedDelays(12), first);
}

TEST(SimulatedFaults, HangUpAfterTheGivenNumberOfFrames) {
    SimLine line(WithFaults([](FaultOptions& f) { f.hangUpAfterFrames = 2; }));
    EXPECT_TRUE(line.Ask(Command::FinishWrite));
    EXPECT_TRUE(line.Ask(Command::FinishWrite));
    EXPECT_TRUE(line.WaitForHangUp(2000ms));
    for (int i = 0; i < 100 && !line.simulator()->finished(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(line.simulator()->finished());
    EXPECT_EQ(line.simulator()->counters().framesSent.load(), 2u);
}

TEST(SimulatedFaults, BaudPacingTakesTheLineTimeOfRequestAndReply) {
    Options o;
    o.faults.baud = 38400;  // 260.4 µs a byte
    SimLine line(o);
    const Bytes request = Request(Command::ReadPage, {0x00, 0x04, 0x00, 0x00});
    const Bytes reply = protocol::EscapeFrame(
        protocol::BuildFrame(0x11, *SimLine().Ask(Command::ReadPage, {0x00, 0x04, 0x00, 0x00})));
    const auto byteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 38400);
    const auto start = Clock::now();
    line.Write(request);
    const Bytes got = line.ReadCount(reply.size(), 3000ms);
    const auto elapsed = Clock::now() - start;
    ASSERT_EQ(got, reply);
    EXPECT_GE(elapsed, byteTime * static_cast<long>(request.size() + reply.size()) - 2ms);
}

}  // namespace
}  // namespace lgcset::sim::test
