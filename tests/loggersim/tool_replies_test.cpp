// The simulated logger's chosen replies for the configurator's tools, from the command line
// to the bytes on the line, and what it keeps for the tests to read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "loggersim/command_line.h"
#include "sim_line.h"
#include "support/data_items.h"

namespace lgcset::sim::test {
namespace {

using protocol::Command;
using support::Item;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Options Parsed(const std::vector<std::string>& args) {
    const CommandLine c = ParseCommandLine(args);
    EXPECT_EQ(c.error, "");
    return c.options;
}

TEST(SimulatedToolReplies, CurrentDataCarriesExactlyTheItemsChosen) {
    const Options o =
        Parsed({"--current-data=sensor1=23.456,latitude=absent,velocity=456,"
                "relay=0.999,raw=770001020304,sensor3=-5"});
    SimLine line(o);
    Bytes expected;
    Item(expected, 0x01, 0x00, 23.456f);
    Item(expected, 0x50, 0x51, 0xFFFFFFFFu);
    Item(expected, 0x50, 0x52, 456);
    Item(expected, 0x20, 0x20, 0.999f);
    Item(expected, 0x77, 0x00, 0x04030201u);
    Item(expected, 0x01, 0x02, -5.0f);
    EXPECT_THAT(*line.Ask(Command::CurrentData), ElementsAreArray(expected));
    EXPECT_THAT(*line.Ask(Command::CurrentData), ElementsAreArray(expected));  // every time

    SimLine empty(Parsed({"--current-data="}));
    EXPECT_TRUE(empty.Ask(Command::CurrentData)->empty());
}

TEST(SimulatedToolReplies, ClockReplyBytesAsChosenWhateverTheClock) {
    SimLine line(Parsed({"--clock-reply=24,13,5,14,7,9"}));
    EXPECT_THAT(*line.Ask(Command::ReadTime), ElementsAre(24, 13, 5, 14, 7, 9));
    EXPECT_THAT(*line.Ask(Command::SetTime, {30, 1, 1, 0, 0, 0}), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::ReadTime), ElementsAre(24, 13, 5, 14, 7, 9));
}

TEST(SimulatedToolReplies, RefusalsAnswerZeroAndChangeNothing) {
    SimLine line(Parsed({"--refuse=set-time,relay,debug-mode", "--debug-interval=10"}));
    Simulator& sim = *line.simulator();
    const CivilTime before = *sim.DeviceClock();
    EXPECT_THAT(*line.Ask(Command::SetTime, {30, 1, 1, 0, 0, 0}), ElementsAre(0));
    EXPECT_LE(ToSeconds(*sim.DeviceClock()) - ToSeconds(before), 2);
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x01, 'C', 10, 0}), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::DebugMode, {1}), ElementsAre(0));
    EXPECT_FALSE(sim.DebugModeOn());
    EXPECT_TRUE(line.ReadUntilQuiet(100ms, 100ms).empty());  // no debug traffic
    // The refused relay request was taken all the same: the tests see what came.
    EXPECT_THAT(sim.RelayRequests(), ElementsAre(Bytes{0x01, 'C', 10, 0}));

    SimLine some(Parsed({"--refuse=relay"}));
    EXPECT_THAT(*some.Ask(Command::SetTime, {30, 1, 1, 0, 0, 0}), ElementsAre(1));
    EXPECT_THAT(*some.Ask(Command::DebugMode, {0}), ElementsAre(1));
}

TEST(SimulatedToolReplies, ScriptedDebugFramesComeInTurnWhileDebugIsOn) {
    SimLine line(Parsed({"--debug-frames=R:45,T:20,R:0,A:3", "--debug-interval=10"}));
    EXPECT_THAT(*line.Ask(Command::DebugMode, {1}), ElementsAre(1));
    const auto frames = line.Frames(5);
    ASSERT_EQ(frames.size(), 5u);
    Bytes counting45;
    for (int k = 0; k < 45; ++k) counting45.push_back(static_cast<std::uint8_t>(k));
    Bytes r45{'R'};
    r45.insert(r45.end(), counting45.begin(), counting45.end());
    EXPECT_THAT(PayloadOf(frames[0]), ElementsAreArray(r45));
    EXPECT_EQ(PayloadOf(frames[1]).size(), 21u);
    EXPECT_EQ(frames[1].payload[0], 'T');
    EXPECT_EQ(frames[1].payload[20], 19);
    EXPECT_THAT(PayloadOf(frames[2]), ElementsAre('R'));
    EXPECT_THAT(PayloadOf(frames[3]), ElementsAre('A', 0, 1, 2));
    EXPECT_THAT(PayloadOf(frames[4]), ElementsAreArray(r45));  // round again
    for (const auto& f : frames) EXPECT_EQ(f.command(), 0x21);
}

TEST(SimulatedToolReplies, RelayRequestsAreKeptInOrder) {
    SimLine line;
    line.Ask(Command::RelayControl, {0x01, 'P', 3, 0, 1, 0, 0x2C});
    line.Ask(Command::RelayControl, {0x01, 'O'});
    EXPECT_THAT(line.simulator()->RelayRequests(),
                ElementsAre(Bytes{0x01, 'P', 3, 0, 1, 0, 0x2C}, Bytes{0x01, 'O'}));
    for (int n = 0; n < 70; ++n) line.Ask(Command::RelayControl, {0x01, 'O'});
    EXPECT_EQ(line.simulator()->RelayRequests().size(), 64u);
}

TEST(SimulatedToolReplies, BadValuesOfTheToolOptionsAreRefused) {
    for (const char* arg :
         {"--current-data=sensor5=1", "--current-data=sensor1", "--current-data=longitude=-1",
          "--current-data=relay=x", "--current-data=raw=123", "--current-data=raw=zz",
          "--clock-reply=24,3,5,14,7", "--clock-reply=24,3,5,14,7,9,1",
          "--clock-reply=256,1,1,0,0,0", "--refuse=clock", "--refuse=", "--debug-frames=R45",
          "--debug-frames=R:256", "--debug-frames=", "--debug-frames=R:1,"}) {
        EXPECT_NE(ParseCommandLine({arg}).error, "") << arg;
    }
    // 43 items of 6 bytes do not fit a reply.
    std::string many = "--current-data=sensor1=1";
    for (int n = 1; n < 43; ++n) many += ",sensor1=1";
    EXPECT_NE(ParseCommandLine({many}).error, "");
}

}  // namespace
}  // namespace lgcset::sim::test
