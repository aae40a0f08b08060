// The tools' jobs against the simulated logger, in simulated time.
#include "jobs/device_tools_jobs.h"

#include <gtest/gtest.h>

#include "jobs/simulated_logger.h"
#include "support/data_items.h"

namespace lgcset::jobs {
namespace {

TEST(ClockJobs, TheClockSetIsTheOneReadAndEachReplyIsTakenAsItsKind) {
    SimulatedLogger logger;
    logger.LogIn();
    protocol::ClockSetting clock;
    data::StoreClockFromPickers({2031, 7, 14}, {3, 4, 5}, clock);
    ClockSetJob set(logger.Device(), clock);
    logger.Run(set);
    EXPECT_EQ(set.Result().end, ToolResult::End::Done);
    ClockReadJob read(logger.Device());
    logger.Run(read);
    const data::ClockReply& reply = read.Result().reply;
    ASSERT_EQ(reply.kind, data::ClockReplyKind::Valid);
    EXPECT_EQ(reply.time.date.year, 2031);
    EXPECT_EQ(reply.time.date.day, 14);
    EXPECT_EQ(reply.time.time.minute, 4);  // the logger's clock runs on from 03:04:05

    const struct {
        std::array<std::uint8_t, 6> bytes;
        data::ClockReplyKind kind;
    } replies[] = {{{24, 3, 5, 14, 7, 9}, data::ClockReplyKind::Valid},
                   {{25, 0, 6, 15, 8, 10}, data::ClockReplyKind::MonthZero},
                   {{24, 2, 30, 1, 2, 3}, data::ClockReplyKind::Invalid}};
    for (const auto& r : replies) {
        sim::Options options;
        options.clockReply = r.bytes;
        SimulatedLogger chosen(options);
        chosen.LogIn();
        ClockReadJob job(chosen.Device());
        chosen.Run(job);
        EXPECT_EQ(job.Result().reply.kind, r.kind);
        EXPECT_EQ(job.Result().reply.bytes, r.bytes);
    }
}

// The set clock and the relay test end with the logger's yes or no, or with the line.
TEST(ToolJobs, EndWithTheLoggersAnswerOrTheLine) {
    enum class Tool { SetClock, Relay, RelayStop };
    enum class Trouble { None, Refusal, Silence };
    const struct {
        Tool tool;
        Trouble trouble;
        ToolResult::End end;
    } cases[] = {
        {Tool::SetClock, Trouble::None, ToolResult::End::Done},
        {Tool::SetClock, Trouble::Refusal, ToolResult::End::Refused},
        {Tool::Relay, Trouble::None, ToolResult::End::Done},
        {Tool::Relay, Trouble::Refusal, ToolResult::End::Refused},
        {Tool::RelayStop, Trouble::Silence, ToolResult::End::LineEnded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tool) * 10 + static_cast<int>(c.trouble));
        sim::Options options;
        options.refuseSetTime = options.refuseRelay = c.trouble == Trouble::Refusal;
        SimulatedLogger logger(options);
        logger.LogIn();
        logger.Line().silent = c.trouble == Trouble::Silence;
        data::RelayTestRequest relay{protocol::RelayAction::NcNo, {}};
        relay.params.workingTime = 3;
        if (c.tool == Tool::RelayStop)
            relay.action = protocol::RelayAction::Stop;
        if (c.tool == Tool::SetClock) {
            protocol::ClockSetting clock;
            data::StoreClockFromNow(clock);
            ClockSetJob job(logger.Device(), clock);
            logger.Run(job);
            EXPECT_EQ(job.Result().end, c.end);
        } else {
            RelayJob job(logger.Device(), relay);
            logger.Run(job);
            EXPECT_EQ(job.Result().end, c.end);
            if (c.end == ToolResult::End::LineEnded) {
                EXPECT_EQ(job.Result().line, LineEnd::Timeout);
            }
        }
    }
}

TEST(CurrentDataJob, TheReadingsOfTheReplyAndAnItemOfUnknownTagAreTold) {
    support::Bytes payload;
    support::Item(payload, 0x01, 0x00, 23.5f);
    support::Item(payload, 0x10, 0x10, 17.0f);
    for (const bool unknown : {false, true}) {
        support::Bytes reply = payload;
        if (unknown)
            support::Item(reply, 0x77, 0x00, 1);
        sim::Options options;
        options.currentDataReply = reply;
        SimulatedLogger logger(options);
        logger.LogIn();
        CurrentDataJob job(logger.Device());
        logger.Run(job);
        const CurrentDataResult& r = job.Result();
        ASSERT_EQ(r.end, CurrentDataResult::End::Read);
        EXPECT_EQ(r.undefinedItem, unknown);
        EXPECT_EQ(r.reading.sensorPresent[0], 1);
        EXPECT_EQ(r.reading.sensor[0], 23.5);
        EXPECT_EQ(r.reading.signal, 17.0);
    }
}

}  // namespace
}  // namespace lgcset::jobs
