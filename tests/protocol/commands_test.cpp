#include "protocol/commands.h"

#include <gtest/gtest.h>

#include "protocol/frame_codec.h"

using namespace lgcset::protocol;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Request(std::uint8_t type, RequestParams& params) {
    const std::optional<Frame> frame = BuildRequest(type, params);
    EXPECT_TRUE(frame.has_value()) << "request type " << int{type};
    return frame.value_or(Bytes{});
}

Bytes Request(std::uint8_t type) {
    RequestParams params;
    return Request(type, params);
}

using Field = std::optional<std::uint16_t>;

Bytes Relay(RelayAction action, Field working, Field on = {}, Field off = {}, Field repeat = {}) {
    RequestParams params;
    params.pendingRelayAction = action;
    params.relay.workingTime = working;
    params.relay.onTime = on;
    params.relay.offTime = off;
    params.relay.repeatCount = repeat;
    return Request(kRelayControlRequest, params);
}

}  // namespace

TEST(Commands, RequestsWithoutParameters) {
    EXPECT_EQ(Request(kCurrentDataRequest),
              (Bytes{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5}));
    EXPECT_EQ(Request(kFinishWriteRequest),
              (Bytes{0xA5, 0x05, 0x00, 0x13, 0x01, 0x00, 0x01, 0x00, 0xE5, 0xFF, 0xA5}));
    EXPECT_EQ(Request(kFactoryResetRequest),
              (Bytes{0xA5, 0x05, 0x00, 0x14, 0x01, 0x00, 0x01, 0x00, 0xE4, 0xFF, 0xA5}));
    EXPECT_EQ(Request(kReadTimeRequest),
              (Bytes{0xA5, 0x05, 0x00, 0x23, 0x01, 0x00, 0x01, 0x00, 0xD5, 0xFF, 0xA5}));
    EXPECT_EQ(Request(kDebugOnRequest),
              (Bytes{0xA5, 0x06, 0x00, 0x20, 0x01, 0x00, 0x01, 0x00, 0x01, 0xD6, 0xFF, 0xA5}));
    EXPECT_EQ(Request(kDebugOffRequest),
              (Bytes{0xA5, 0x06, 0x00, 0x20, 0x01, 0x00, 0x01, 0x00, 0x00, 0xD7, 0xFF, 0xA5}));
}

TEST(Commands, OnlyTheTenRequestTypesBuildAFrame) {
    RequestParams params;
    params.pendingRelayAction = RelayAction::Stop;
    for (int type = 0; type < 256; ++type) {
        const bool known = type == 19 || type == 20 || type == 21 || type == 22 || type == 23 ||
                           type == 24 || type == 32 || type == 34 || type == 35 || type == 41;
        EXPECT_EQ(BuildRequest(static_cast<std::uint8_t>(type), params).has_value(), known)
            << "type " << type;
    }
}

TEST(Commands, PageRequestsCarryTheAddressLittleEndian) {
    EXPECT_EQ(BuildReadPage(1024), (Bytes{0xA5, 0x09, 0x00, 0x11, 0x01, 0x00, 0x01, 0x00, 0x00,
                                          0x04, 0x00, 0x00, 0xDF, 0xFF, 0xA5}));
    EXPECT_EQ(BuildErasePage(1024), (Bytes{0xA5, 0x09, 0x00, 0x12, 0x01, 0x00, 0x01, 0x00, 0x00,
                                           0x04, 0x00, 0x00, 0xDE, 0xFF, 0xA5}));
    // 0x01020304: 04 03 02 01; sum 9+0x11+2+10 = 0x26, check D9 FF.
    EXPECT_EQ(BuildReadPage(0x01020304), (Bytes{0xA5, 0x09, 0x00, 0x11, 0x01, 0x00, 0x01, 0x00,
                                                0x04, 0x03, 0x02, 0x01, 0xD9, 0xFF, 0xA5}));
}

TEST(Commands, WritePageTakesItsPageFromTheImage) {
    Bytes image(65536, 0x00);
    image[1024] = 0xA5;
    image[1100] = 0xA5;
    image[1279] = 0xA5;
    image[1030] = 0xAA;
    image[1200] = 0xAA;
    image[1023] = 0x77;  // just outside the page
    image[1280] = 0x77;
    const Frame frame = BuildWritePage(1024, image);
    ASSERT_EQ(frame.size(), 271u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 12),
              (Bytes{0xA5, 0x09, 0x01, 0x10, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00}));
    EXPECT_EQ(Bytes(frame.begin() + 12, frame.begin() + 268),
              Bytes(image.begin() + 1024, image.begin() + 1280));
    // Sum 0x09+0x01+0x10+2+0x04 + 3*0xA5 + 2*0xAA = 0x363: check 9C FC.
    EXPECT_EQ(frame[268], 0x9C);
    EXPECT_EQ(frame[269], 0xFC);
    EXPECT_EQ(frame[270], 0xA5);
    // One extra byte on the wire for each 0xA5/0xAA in the data.
    EXPECT_EQ(EscapeFrame(frame).size(), 271u + 5u);

    // An image that ends inside the page: the rest goes out as a cleared image would.
    const Bytes shortImage(1024 + 16, 0x00);
    const Frame tail = BuildWritePage(1024, shortImage);
    ASSERT_EQ(tail.size(), 271u);
    EXPECT_EQ(tail[12 + 15], 0x00);
    EXPECT_EQ(tail[12 + 16], 0xFF);
    EXPECT_EQ(tail[267], 0xFF);
    EXPECT_EQ(BuildWritePage(4096, Bytes{}).size(), 271u);
}

TEST(Commands, LoginSendsAtMostFourCharactersPaddedWithZero) {
    // "ab": 61 62 00 00, sum 9+1+2+0x61+0x62 = 0xCF, check 30 FF.
    EXPECT_EQ(BuildLogin("ab"), (Bytes{0xA5, 0x09, 0x00, 0x01, 0x01, 0x00, 0x01, 0x00, 0x61, 0x62,
                                       0x00, 0x00, 0x30, 0xFF, 0xA5}));
    const Frame longer = BuildLogin("860412");
    ASSERT_EQ(longer.size(), 15u);
    EXPECT_EQ(Bytes(longer.begin() + 8, longer.begin() + 12), (Bytes{'8', '6', '0', '4'}));
    const Frame empty = BuildLogin("");
    EXPECT_EQ(Bytes(empty.begin() + 8, empty.begin() + 12), (Bytes{0, 0, 0, 0}));
}

TEST(Commands, HistoryRequestsSendTwoDigitYearsAndTheIndex) {
    RequestParams params;
    params.historyFrom = {2024, 1, 1};
    params.historyTo = {2024, 6, 30};
    // 18 01 01 18 06 1E; sum 0x0B+0x15+2 + 0x18+1+1+0x18+6+0x1E = 0x78, check 87 FF.
    EXPECT_EQ(Request(kHistoryCountRequest, params),
              (Bytes{0xA5, 0x0B, 0x00, 0x15, 0x01, 0x00, 0x01, 0x00, 0x18, 0x01, 0x01, 0x18, 0x06,
                     0x1E, 0x87, 0xFF, 0xA5}));
    params.historyRecordIndex = 165;
    EXPECT_EQ(
        Request(kHistoryRecordRequest, params),
        (Bytes{0xA5, 0x07, 0x00, 0x16, 0x01, 0x00, 0x01, 0x00, 0xA5, 0x00, 0x3B, 0xFF, 0xA5}));
    params.historyRecordIndex = 0x1234;
    const Bytes record = Request(kHistoryRecordRequest, params);
    EXPECT_EQ(record[8], 0x34);
    EXPECT_EQ(record[9], 0x12);
}

TEST(Commands, SetTimeSendsTheClockSetting) {
    RequestParams params;
    params.clock = ClockSetting::FromDateTime(2024, 3, 5, 14, 7, 9);
    // 18 03 05 0E 07 09; sum 0x0B+0x22+2 + 0x3E = 0x6D, check 92 FF.
    const Bytes expected{0xA5, 0x0B, 0x00, 0x22, 0x01, 0x00, 0x01, 0x00, 0x18,
                         0x03, 0x05, 0x0E, 0x07, 0x09, 0x92, 0xFF, 0xA5};
    EXPECT_EQ(Request(kSetTimeRequest, params), expected);
    params.clock.year = 24;
    EXPECT_EQ(Request(kSetTimeRequest, params), expected);
    EXPECT_EQ(ClockSetting::FromDateTime(1999, 1, 1, 0, 0, 0).year, 99);
}

TEST(Commands, RelayRequestsKeepTheirShortLengthField) {
    // NC/NO 10 s: L = 8 for a 4-byte payload, check over 1..L+3.
    EXPECT_EQ(Relay(RelayAction::NcNo, 10), (Bytes{0xA5, 0x08, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00,
                                                   0x01, 0x43, 0x0A, 0x00, 0x8F, 0xFF, 0xA5}));
    // Empty working time: FF 00, sum 0x165, check 9A FE.
    EXPECT_EQ(Relay(RelayAction::NcNo, {}), (Bytes{0xA5, 0x08, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00,
                                                   0x01, 0x43, 0xFF, 0x00, 0x9A, 0xFE, 0xA5}));
    // Stop, whatever the other fields hold.
    EXPECT_EQ(
        Relay(RelayAction::Stop, 10, 3, 1, 5),
        (Bytes{0xA5, 0x06, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x4F, 0x8F, 0xFF, 0xA5}));
    // Pulse 3/1/5: L = 11, sum 0x7F, check 80 FF.
    EXPECT_EQ(Relay(RelayAction::Pulse, {}, 3, 1, 5),
              (Bytes{0xA5, 0x0B, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x50, 0x03, 0x00, 0x01,
                     0x00, 0x05, 0x80, 0xFF, 0xA5}));
    // Repeat 300 goes out as its low byte 0x2C: check 59 FF.
    EXPECT_EQ(Relay(RelayAction::Pulse, {}, 3, 1, 300),
              (Bytes{0xA5, 0x0B, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x50, 0x03, 0x00, 0x01,
                     0x00, 0x2C, 0x59, 0xFF, 0xA5}));
    // Repeat field empty: 0xFF, check 86 FE.
    EXPECT_EQ(Relay(RelayAction::Pulse, 10, 3, 1),
              (Bytes{0xA5, 0x0B, 0x00, 0x18, 0x01, 0x00, 0x01, 0x00, 0x01, 0x50, 0x03, 0x00, 0x01,
                     0x00, 0xFF, 0x86, 0xFE, 0xA5}));
}

TEST(Commands, EachRelayRequestConsumesItsLetter) {
    RequestParams params;
    params.relay.workingTime = 10;
    params.pendingRelayAction = RelayAction::NcNo;
    EXPECT_TRUE(BuildRequest(kRelayControlRequest, params).has_value());
    EXPECT_FALSE(params.pendingRelayAction.has_value());
    // No letter pending: nothing to send.
    EXPECT_FALSE(BuildRequest(kRelayControlRequest, params).has_value());
    // A letter the logger does not know is consumed and sends nothing either.
    params.pendingRelayAction = static_cast<RelayAction>('X');
    EXPECT_FALSE(BuildRequest(kRelayControlRequest, params).has_value());
    EXPECT_FALSE(params.pendingRelayAction.has_value());
    // Other requests leave a pending letter alone.
    params.pendingRelayAction = RelayAction::Stop;
    EXPECT_TRUE(BuildRequest(kCurrentDataRequest, params).has_value());
    EXPECT_EQ(params.pendingRelayAction, RelayAction::Stop);
}
