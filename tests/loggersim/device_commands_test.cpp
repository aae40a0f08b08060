// The simulated logger's answers to every command, byte for byte, over an in-process line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "sim_line.h"

namespace lgcset::sim::test {
namespace {

using protocol::Command;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Address(std::uint32_t a) {
    return {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(a >> 8),
            static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 24)};
}

Options WithModel(const std::string& model) {
    Options o;
    o.model = model;
    return o;
}

// ---- login ----

TEST(SimulatedLogin, RightPasswordAnswersModelAndFirmware) {
    Options o;
    o.firmware = "V9.1";
    SimLine line(o);
    const auto reply = line.Ask(Command::Login, Text("8604"));
    ASSERT_TRUE(reply);
    EXPECT_THAT(*reply, ElementsAre(1, 'R', '4', '8', '1', 0, 'V', '9', '.', '1', 0));
}

TEST(SimulatedLogin, PasswordComparedAsFourBytesPaddedWithZero) {
    Options o;
    o.password = "12";
    SimLine line(o);
    EXPECT_THAT(
        *line.Ask(Command::Login, {'1', '2', 0, 0}),
        ElementsAre(1, 'R', '4', '8', '1', 0, 'V', '3', '.', '0', '5', '-', 'R', '4', '8', 'x', 0));
    EXPECT_THAT(*line.Ask(Command::Login, {'1', '2', 0xFF, 0xFF}), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::Login, Text("1200")), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::Login, Text("8604")), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::Login, Text("12")), ElementsAre(0));  // too short a request
    EXPECT_THAT(*line.Ask(Command::Login, {'1', '2', 0, 0, 0}), ElementsAre(0));
}

TEST(SimulatedLogin, WrongPasswordGivesResultZeroOnly) {
    SimLine line;
    EXPECT_THAT(*line.Ask(Command::Login, Text("8605")), ElementsAre(0));
}

TEST(SimulatedLogin, AnyModelStringIsReportedWhole) {
    SimLine line(WithModel("R482-GPS"));
    const auto reply = line.Ask(Command::Login, Text("8604"));
    ASSERT_TRUE(reply);
    EXPECT_EQ(std::string(reply->begin() + 1, reply->begin() + 9), "R482-GPS");
    EXPECT_EQ((*reply)[9], 0);
}

// ---- parameter pages ----

struct PageBuilder {
    Bytes bytes = Bytes(256, 0xFF);
    PageBuilder& Put(std::size_t at, const Bytes& b) {
        std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return *this;
    }
};

TEST(SimulatedPages, FactoryPagesHoldTheDefaultSettings) {
    SimLine line;

    PageBuilder numbers;
    for (std::size_t row = 0; row < 6; ++row) {
        numbers.Put(22 * row, {'1', '1'});
    }
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(1024)), ElementsAreArray(numbers.bytes));

    PageBuilder alarms;
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t b = 36 * block;
        alarms.Put(b, {'C', 99, 0x0F, 0x27})
            .Put(b + 4, {0x00, 0xC0, 0x79, 0x44})
            .Put(b + 8, {0x00, 0xC0, 0x79, 0x44})
            .Put(b + 12, {0x00, 0xC0, 0x79, 0x44})
            .Put(b + 16, {0x00, 0xC0, 0x79, 0x44})
            .Put(b + 20, {0xE7, 0x03, 0xE7, 0x03, '0'})
            .Put(b + 28, {0x80, 0x4F, 0xC3, 0x47, 0x80, 0x4F, 0xC3, 0x47});
    }
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(2048)), ElementsAreArray(alarms.bytes));

    PageBuilder gprs;
    gprs.Put(64, {0x40, 0x1F, 0x00});  // port 8000, TCP
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(3072)), ElementsAreArray(gprs.bytes));

    PageBuilder system;
    system
        .Put(0, {1})                                      // time adjustment Auto
        .Put(21, Text("8604"))                            // device password
        .Put(27, Bytes(15, '0'))                          // empty device ID
        .Put(42, {5, 0xFF, 0x3C, 0x00, 0})                // log interval, reserved, PIN off
        .Put(47, Text("8604"))                            // PIN code
        .Put(73, {0, 'D', 0xFF, 0x00, 0x00, 0xFF, 0xFF})  // GPS off, upload timer empty
        .Put(80, {'D', 0xFF, 24, 0x00})                   // SMS report every 24 hours
        .Put(112, {'C', 0xFF, 10, 0x00});                 // relay time when dialled in
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(4096)), ElementsAreArray(system.bytes));
}

TEST(SimulatedPages, AnalogModelsStoreTheAnalogSensorType) {
    SimLine line(WithModel("R483"));
    const auto page = *line.Ask(Command::ReadPage, Address(2048));
    for (std::size_t block = 0; block < 4; ++block) {
        EXPECT_EQ(page[36 * block], 'B') << "block " << block;
    }
}

TEST(SimulatedPages, EraseWriteReadRoundTripWithBytesThatNeedStuffing) {
    SimLine line;
    EXPECT_THAT(*line.Ask(Command::ErasePage, Address(3072)), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(3072)), ElementsAreArray(Bytes(256, 0xFF)));

    Bytes page(256);
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0xA5 : i % 3 == 1 ? 0xAA : i);
    }
    Bytes request = Address(3072);
    request.insert(request.end(), page.begin(), page.end());
    EXPECT_THAT(*line.Ask(Command::WritePage, request), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::ReadPage, Address(3072)), ElementsAreArray(page));
    EXPECT_THAT(*line.Ask(Command::FinishWrite), ElementsAre(1));

    // The other pages are untouched; a factory reset brings this one back.
    EXPECT_EQ((*line.Ask(Command::ReadPage, Address(1024)))[0], '1');
    EXPECT_THAT(*line.Ask(Command::FactoryReset), ElementsAre(1));
    const auto restored = *line.Ask(Command::ReadPage, Address(3072));
    EXPECT_THAT(Bytes(restored.begin() + 64, restored.begin() + 67), ElementsAre(0x40, 0x1F, 0x00));
}

TEST(SimulatedPages, OnlyTheFourSettingsPagesAreAddressable) {
    SimLine line;
    EXPECT_THAT(*line.Ask(Command::ErasePage, Address(5120)), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::ErasePage, Address(1025)), ElementsAre(0));
    Bytes write = Address(0);
    write.resize(260, 0x11);
    EXPECT_THAT(*line.Ask(Command::WritePage, write), ElementsAre(0));
    // A page write must carry exactly one page.
    Bytes shortWrite = Address(1024);
    shortWrite.resize(259, 0x11);
    EXPECT_THAT(*line.Ask(Command::WritePage, shortWrite), ElementsAre(0));
    EXPECT_EQ((*line.Ask(Command::ReadPage, Address(1024)))[4], 0xFF);  // nothing was stored
    // A page read has no result byte to refuse with: it goes unanswered.
    EXPECT_FALSE(line.Ask(Command::ReadPage, Address(5120), 150ms));
    EXPECT_FALSE(line.Ask(Command::ReadPage, {0x00, 0x04}, 150ms));
    EXPECT_TRUE(line.Ask(Command::ReadPage, Address(4096)));
}

// ---- relay ----

// A relay request as the configurator lays it out: the length field one short of the
// payload, the check over one byte more.
Bytes ShortLengthRelayFrame(const Bytes& payload) {
    Bytes frame{0xA5, static_cast<std::uint8_t>(4 + payload.size()), 0x00, 0x18, 0x01, 0x00, 0x01,
                0x00};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t check = protocol::FrameChecksum(frame, 1, frame.size() - 1);
    frame.push_back(static_cast<std::uint8_t>(check));
    frame.push_back(static_cast<std::uint8_t>(check >> 8));
    frame.push_back(0xA5);
    return protocol::EscapeFrame(frame);
}

TEST(SimulatedRelay, AcceptsTheShortLengthRequestsAndWellFormedOnes) {
    SimLine line;
    const Bytes nc{0xA5, 0x08, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00,
                   0x01, 0x43, 0x0A, 0x00, 0x8F, 0xFF, 0xA5};
    const Bytes stop{0xA5, 0x06, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x4F, 0x8F, 0xFF, 0xA5};
    EXPECT_THAT(*line.AskRaw(nc), ElementsAre(1));
    EXPECT_THAT(*line.AskRaw(stop), ElementsAre(1));
    EXPECT_THAT(*line.AskRaw(ShortLengthRelayFrame({0x01, 'P', 3, 0, 1, 0, 5})), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x01, 'C', 0xFF, 0x00}), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x01, 'P', 3, 0, 1, 0, 0x2C}), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x01, 'O'}), ElementsAre(1));
}

TEST(SimulatedRelay, RefusesOtherLettersAndWrongLengths) {
    SimLine line;
    EXPECT_THAT(*line.AskRaw(ShortLengthRelayFrame({0x01, 'X', 10, 0})), ElementsAre(0));
    EXPECT_THAT(*line.AskRaw(ShortLengthRelayFrame({0x01, 'C', 10})), ElementsAre(0));
    EXPECT_THAT(*line.AskRaw(ShortLengthRelayFrame({0x01, 'O', 0})), ElementsAre(0));
    EXPECT_THAT(*line.AskRaw(ShortLengthRelayFrame({0x01, 'P', 3, 0, 1, 0})), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x02, 'O'}), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::RelayControl, {0x01}), ElementsAre(0));
    // A short-length frame whose check covers only up to its length field is broken.
    Bytes broken{0xA5, 0x06, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x4F, 0xDE, 0xFF, 0xA5};
    EXPECT_FALSE(line.AskRaw(broken, 150ms));
}

float ItemValue(const Bytes& payload, std::uint8_t tag, std::uint8_t sub) {
    for (std::size_t i = 0; i + 6 <= payload.size(); i += 6) {
        if (payload[i] == tag && payload[i + 1] == sub) {
            std::uint32_t u = 0;
            std::memcpy(&u, &payload[i + 2], 4);  // little-endian host
            return std::bit_cast<float>(u);
        }
    }
    return -1.0f;
}

TEST(SimulatedRelay, CurrentDataShowsTheRelayOnUntilStopped) {
    SimLine line;
    EXPECT_EQ(ItemValue(*line.Ask(Command::CurrentData), 0x20, 0x20), 0.0f);
    line.Ask(Command::RelayControl, {0x01, 'C', 30, 0});
    EXPECT_EQ(ItemValue(*line.Ask(Command::CurrentData), 0x20, 0x20), 1.0f);
    line.Ask(Command::RelayControl, {0x01, 'O'});
    EXPECT_EQ(ItemValue(*line.Ask(Command::CurrentData), 0x20, 0x20), 0.0f);
}

// ---- current data ----

std::vector<std::pair<int, int>> Tags(const Bytes& payload) {
    std::vector<std::pair<int, int>> tags;
    for (std::size_t i = 0; i + 6 <= payload.size(); i += 6) {
        tags.emplace_back(payload[i], payload[i + 1]);
    }
    return tags;
}

TEST(SimulatedCurrentData, ItemsFollowTheModelsChannels) {
    using P = std::pair<int, int>;
    const std::vector<P> tail{{0x50, 0x50}, {0x50, 0x51}, {0x50, 0x52}, {0x50, 0x53},
                              {0x10, 0x10}, {0x20, 0x20}, {0x30, 0x30}};
    const std::vector<std::pair<std::string, int>> models{
        {"R480", 2}, {"R481", 4}, {"R482", 2}, {"R483", 4}};
    for (const auto& [model, channels] : models) {
        SimLine line(WithModel(model));
        const Bytes payload = *line.Ask(Command::CurrentData);
        EXPECT_EQ(payload.size(), 6u * (channels + 7)) << model;
        std::vector<P> expected;
        for (int ch = 0; ch < channels; ++ch) {
            expected.emplace_back(0x01, ch);
        }
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(Tags(payload), expected) << model;
        const bool analog = model[3] == '2' || model[3] == '3';
        for (int ch = 0; ch < channels; ++ch) {
            const float v = ItemValue(payload, 0x01, static_cast<std::uint8_t>(ch));
            EXPECT_TRUE(analog ? (v >= 4.0f && v <= 20.0f) : (v > -10.0f && v < 45.0f))
                << model << " sensor " << ch + 1 << " reads " << v;
        }
        EXPECT_EQ(ItemValue(payload, 0x30, 0x30), 1.0f) << model;
        const float signal = ItemValue(payload, 0x10, 0x10);
        EXPECT_TRUE(signal >= 0.0f && signal <= 31.0f && signal == std::floor(signal));
    }
}

// ---- clock ----

std::int64_t ReadDeviceSeconds(SimLine& line) {
    const auto r = *line.Ask(Command::ReadTime);
    EXPECT_EQ(r.size(), 6u);
    return ToSeconds({2000 + r[0], r[1], r[2], r[3], r[4], r[5]});
}

TEST(SimulatedClock, SetTimeThenReadTimeRunsFromTheSetMoment) {
    SimLine line;
    const std::int64_t before = HostLocalSeconds();
    const std::int64_t read = ReadDeviceSeconds(line);
    EXPECT_LE(std::abs(read - before), 2) << "the device clock starts at the host's local time";

    EXPECT_THAT(*line.Ask(Command::SetTime, {24, 3, 5, 14, 7, 9}), ElementsAre(1));
    const std::int64_t set = ToSeconds({2024, 3, 5, 14, 7, 9});
    const std::int64_t now = ReadDeviceSeconds(line);
    EXPECT_GE(now, set);
    EXPECT_LE(now, set + 2);

    EXPECT_THAT(*line.Ask(Command::SetTime, {24, 2, 29, 23, 59, 59}), ElementsAre(1));  // leap day
    EXPECT_LE(ReadDeviceSeconds(line) - ToSeconds({2024, 2, 29, 23, 59, 59}), 2);
}

TEST(SimulatedClock, ImpossibleFieldsAreRefusedAndLeaveTheClock) {
    SimLine line;
    ASSERT_THAT(*line.Ask(Command::SetTime, {30, 6, 15, 12, 0, 0}), ElementsAre(1));
    const std::vector<Bytes> impossible{
        {30, 0, 15, 12, 0, 0},  {30, 13, 15, 12, 0, 0}, {30, 1, 32, 12, 0, 0},
        {30, 4, 31, 12, 0, 0},  {23, 2, 29, 12, 0, 0},  {30, 1, 0, 12, 0, 0},
        {30, 6, 15, 24, 0, 0},  {30, 6, 15, 12, 60, 0}, {30, 6, 15, 12, 0, 60},
        {100, 6, 15, 12, 0, 0}, {30, 6, 15, 12, 0},
    };
    for (const Bytes& fields : impossible) {
        EXPECT_THAT(*line.Ask(Command::SetTime, fields), ElementsAre(0))
            << int(fields[0]) << "-" << int(fields[1]) << "-" << int(fields[2]);
    }
    EXPECT_LE(ReadDeviceSeconds(line) - ToSeconds({2030, 6, 15, 12, 0, 0}), 3);
}

// ---- debug traffic ----

TEST(SimulatedDebug, FramesFlowWhileDebugModeIsOnAndStopAfterOff) {
    Options o;
    o.debugIntervalMs = 20;
    SimLine line(o);
    EXPECT_THAT(*line.Ask(Command::DebugMode, {1}), ElementsAre(1));
    const auto frames = line.Frames(9, 3000ms);
    ASSERT_EQ(frames.size(), 9u);
    std::string toServer;
    bool sawR = false;
    bool sawT = false;
    for (const auto& f : frames) {
        ASSERT_EQ(f.command(), 0x21);
        ASSERT_GE(f.Payload().size(), 2u);
        sawR |= f.payload[0] == 'R';
        sawT |= f.payload[0] == 'T';
        EXPECT_TRUE(f.payload[0] == 'R' || f.payload[0] == 'T');
        if (f.payload[0] == 'T') {
            const auto payload = f.Payload().subspan(1);
            toServer.append(payload.begin(), payload.end());
        }
    }
    EXPECT_TRUE(sawR && sawT);
    EXPECT_NE(toServer.find("AT+CSQ"), std::string::npos);

    // Frames queued before the switch may still come in ahead of its reply; none after it.
    line.Write(Request(Command::DebugMode, {0}));
    std::optional<Bytes> offReply;
    for (int i = 0; i < 50 && !offReply; ++i) {
        const auto next = line.Frames(1, 1000ms);
        ASSERT_EQ(next.size(), 1u);
        if (next[0].command() == 0x20) {
            offReply = PayloadOf(next[0]);
        }
    }
    ASSERT_TRUE(offReply);
    EXPECT_THAT(*offReply, ElementsAre(1));
    EXPECT_TRUE(line.ReadUntilQuiet(150ms, 150ms).empty());
}

TEST(SimulatedDebug, OffAnswersOneAndAnUnknownModeZero) {
    SimLine line;
    EXPECT_THAT(*line.Ask(Command::DebugMode, {0}), ElementsAre(1));
    EXPECT_THAT(*line.Ask(Command::DebugMode, {2}), ElementsAre(0));
    EXPECT_THAT(*line.Ask(Command::DebugMode, {}), ElementsAre(0));
}

// ---- what gets no answer ----

TEST(SimulatedLine, UnknownCommandsAndBrokenFramesGoUnanswered) {
    SimLine line;
    EXPECT_FALSE(line.Ask(static_cast<Command>(0x30), {1, 2, 3}, 150ms));
    EXPECT_FALSE(line.Ask(Command::DebugData, {'R', 1}, 150ms));
    Bytes badCheck = Request(Command::ReadTime);
    badCheck[badCheck.size() - 3] ^= 0x01;
    EXPECT_FALSE(line.AskRaw(badCheck, 150ms));
    Bytes shortLength{0xA5, 0x04, 0x00, 0x23, 0x01, 0x00, 0x01, 0xD6, 0xFF, 0xA5};
    EXPECT_FALSE(line.AskRaw(shortLength, 150ms));
    EXPECT_EQ(line.simulator()->counters().framesRejected.load(), 2u);
    // Noise and the broken frames leave the line usable.
    line.Write({0x00, 0x13, 0xAA, 0x42});
    EXPECT_TRUE(line.Ask(Command::ReadTime));
}

}  // namespace
}  // namespace lgcset::sim::test
