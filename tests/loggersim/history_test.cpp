// The simulated log: which records a date range counts, how they are numbered and how a
// reply carries them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim_line.h"
#include "support/exact_log.h"

namespace lgcset::sim::test {
namespace {

using protocol::Command;
using ::testing::ElementsAre;

// A record as the configurator reads it off a HistoryRecord reply.
struct Record {
    CivilTime time;
    std::vector<std::pair<int, int>> items;  // tag, sub-code
};

std::vector<Record> DecodeRecords(const Bytes& p) {
    std::vector<Record> records;
    std::size_t i = 0;
    while (i + 1 < p.size() && p[i] == 0x7F && p[i + 1] == 0x7F) {
        EXPECT_LE(i + 8, p.size()) << "record header cut short";
        if (i + 8 > p.size()) {
            break;
        }
        Record r;
        r.time = {2000 + p[i + 2], p[i + 3], p[i + 4], p[i + 5], p[i + 6], p[i + 7]};
        i += 8;
        while (i < p.size() && p[i] != 0x7F && p[i] != 0xFF) {
            EXPECT_LE(i + 6, p.size()) << "data item cut short";
            r.items.emplace_back(p[i], p[i + 1]);
            i += 6;
        }
        records.push_back(r);
    }
    EXPECT_EQ(i, p.size()) << "bytes after the last record";
    return records;
}

std::uint16_t Count(SimLine& line, const Bytes& range) {
    const auto reply = line.Ask(Command::HistoryCount, range);
    EXPECT_TRUE(reply);
    EXPECT_EQ(reply->size(), 2u);
    return static_cast<std::uint16_t>((*reply)[0] | (*reply)[1] << 8);
}

std::vector<Record> Fetch(SimLine& line, std::uint16_t number) {
    const auto reply = line.Ask(Command::HistoryRecord, {static_cast<std::uint8_t>(number),
                                                         static_cast<std::uint8_t>(number >> 8)});
    EXPECT_TRUE(reply);
    EXPECT_LE(reply->size(), 256u);
    return reply ? DecodeRecords(*reply) : std::vector<Record>{};
}

// Hourly records over three days, the last at 2026-03-10 12:00: 72 records from
// 2026-03-07 13:00 on.
Options Hourly() {
    return FixedHistoryOptions({2026, 3, 10, 12, 0, 0}, 60, 3);
}

TEST(SimulatedHistory, CountCoversWholeDaysWithBothEndsIncluded) {
    SimLine line(Hourly());
    EXPECT_EQ(Count(line, {26, 3, 7, 26, 3, 7}), 11);  // 13:00 .. 23:00
    EXPECT_EQ(Count(line, {26, 3, 8, 26, 3, 8}), 24);
    EXPECT_EQ(Count(line, {26, 3, 10, 26, 3, 10}), 13);  // 00:00 .. 12:00
    EXPECT_EQ(Count(line, {26, 3, 8, 26, 3, 9}), 48);
    EXPECT_EQ(Count(line, {26, 1, 1, 26, 12, 31}), 72);
    EXPECT_EQ(Count(line, {26, 3, 11, 26, 4, 30}), 0);
    EXPECT_EQ(Count(line, {25, 3, 8, 25, 3, 8}), 0);  // a year earlier
}

TEST(SimulatedHistory, ReversedOrImpossibleRangesCountNothing) {
    SimLine line(Hourly());
    EXPECT_EQ(Count(line, {26, 3, 9, 26, 3, 8}), 0);
    EXPECT_EQ(Count(line, {99, 12, 1, 0, 1, 1}), 0);  // 2099 to 2000
    EXPECT_EQ(Count(line, {26, 2, 30, 26, 3, 31}), 0);
    EXPECT_EQ(Count(line, {26, 0, 1, 26, 3, 31}), 0);
    EXPECT_EQ(Count(line, {26, 3, 1, 26, 13, 1}), 0);
    EXPECT_EQ(Count(line, {26, 3, 1}), 0);  // a request cut short
}

TEST(SimulatedHistory, RecordsAreNumberedFromOneWithinTheCountedRange) {
    SimLine line(Hourly());
    ASSERT_EQ(Count(line, {26, 3, 8, 26, 3, 8}), 24);
    for (std::uint16_t k = 1; k <= 24; ++k) {
        const auto records = Fetch(line, k);
        ASSERT_EQ(records.size(), 1u) << "record " << k;
        EXPECT_EQ(records[0].time, (CivilTime{2026, 3, 8, k - 1, 0, 0})) << "record " << k;
    }
    EXPECT_THAT(*line.Ask(Command::HistoryRecord, {0, 0}), ElementsAre(1));  // end of transfer
    EXPECT_TRUE(line.Ask(Command::HistoryRecord, {25, 0})->empty());         // past the range

    // A new count moves the numbering to its own range.
    ASSERT_EQ(Count(line, {26, 3, 10, 26, 3, 10}), 13);
    EXPECT_EQ(Fetch(line, 13).at(0).time, (CivilTime{2026, 3, 10, 12, 0, 0}));
    ASSERT_EQ(Count(line, {26, 4, 1, 26, 4, 1}), 0);
    EXPECT_TRUE(line.Ask(Command::HistoryRecord, {1, 0})->empty());
}

TEST(SimulatedHistory, RecordsCarryTheModelsSensorsWithGapsAndSomeGpsFixes) {
    Options o = FixedHistoryOptions({2026, 3, 10, 12, 0, 0}, 10, 2);  // 288 records
    o.model = "R481";
    SimLine line(o);
    const std::uint16_t total = Count(line, {26, 1, 1, 26, 12, 31});
    ASSERT_EQ(total, 288);
    int withGps = 0;
    int lackingASensor = 0;
    int empty = 0;
    for (std::uint16_t k = 1; k <= total; ++k) {
        const auto records = Fetch(line, k);
        ASSERT_EQ(records.size(), 1u);
        const auto& items = records[0].items;
        int sensors = 0;
        int previousSub = -1;
        for (const auto& [tag, sub] : items) {
            ASSERT_TRUE(tag == 0x01 || tag == 0x50) << "record " << k;
            if (tag == 0x01) {
                EXPECT_GT(sub, previousSub);
                EXPECT_LE(sub, 3);
                previousSub = sub;
                ++sensors;
            }
        }
        const auto gps = std::count(items.begin(), items.end(), std::pair{0x50, 0x50});
        withGps += gps > 0 ? 1 : 0;
        if (gps > 0) {
            EXPECT_EQ(items.size() - sensors, 4u) << "a fix carries all four position items";
        }
        lackingASensor += (sensors > 0 && sensors < 4) ? 1 : 0;
        empty += items.empty() ? 1 : 0;
    }
    EXPECT_GT(withGps, 0);
    EXPECT_LT(withGps, total);
    EXPECT_GT(lackingASensor, 0);
    EXPECT_GT(empty, 0);
}

// With several records a reply, the count is one of replies and each carries the records
// after the previous one's: every record once, in order, whatever fits in a payload.
TEST(SimulatedHistory, SeveralRecordsPerReplyCarryEachRecordOnce) {
    struct Case {
        const char* model;
        int perReply;
        Bytes range;
        std::uint16_t replies;  // 0: as many as the records' sizes make
        std::uint32_t records;
    };
    for (const Case& c : {Case{"R481", 3, {26, 3, 8, 26, 3, 8}, 8, 24},
                          Case{"R481", 8, {26, 3, 8, 26, 3, 8}, 0, 24},
                          Case{"R481", 5, {26, 3, 8, 26, 3, 8}, 5, 24},  // the last one fewer
                          Case{"R483", 64, {26, 1, 1, 26, 12, 31}, 0, 72}}) {
        Options o = Hourly();
        o.model = c.model;
        o.recordsPerReply = c.perReply;
        SimLine line(o);
        const std::uint16_t total = Count(line, c.range);
        if (c.replies > 0) {
            EXPECT_EQ(total, c.replies) << c.perReply;
        }
        std::vector<CivilTime> times;
        for (std::uint16_t k = 1; k <= total; ++k) {
            const auto records = Fetch(line, k);  // checks the size and that records are whole
            EXPECT_GE(records.size(), 1u);
            EXPECT_LE(records.size(), static_cast<std::size_t>(c.perReply));
            for (const Record& r : records) times.push_back(r.time);
        }
        ASSERT_EQ(times.size(), c.records) << c.perReply;
        for (std::size_t i = 1; i < times.size(); ++i)
            EXPECT_LT(ToSeconds(times[i - 1]), ToSeconds(times[i])) << c.perReply << " at " << i;
        EXPECT_TRUE(line.Ask(Command::HistoryRecord, {static_cast<std::uint8_t>(total + 1), 0})
                        ->empty());
    }
}

TEST(SimulatedHistory, CountIsCappedAtSixteenBits) {
    SimLine line(FixedHistoryOptions({2026, 3, 10, 12, 0, 0}, 1, 60));  // 86,400 records
    EXPECT_EQ(Count(line, {26, 1, 1, 26, 3, 31}), 65535);
    const auto last = Fetch(line, 65535);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_TRUE(line.Ask(Command::HistoryRecord, {0xFF, 0xFF}));
}

}  // namespace
}  // namespace lgcset::sim::test

namespace lgcset::sim::test {
namespace {

TEST(SimulatedHistory, AnExactNumberOfRecordsIsCountedForARangeThatHoldsTheLog) {
    for (const std::uint32_t n : {0u, 1u, 256u, 65535u}) {
        SimLine line(support::ExactLog(n, 1, {2026, 3, 10, 12, 0, 0}));
        EXPECT_EQ(Count(line, {26, 1, 1, 26, 3, 31}), n);
        if (n > 0) {
            const auto last = Fetch(line, static_cast<std::uint16_t>(n));
            ASSERT_EQ(last.size(), 1u);
            EXPECT_EQ(last[0].time, (CivilTime{2026, 3, 10, 12, 0, 0}));
        }
    }
}

TEST(SimulatedHistory, OddItemsGoFirstIntoTheRecordsAskedFor) {
    Options o = support::ExactLog(10, 1, {2026, 3, 10, 12, 0, 0});
    o.unknownTagRecord = 3;
    o.unknownSubCodeRecord = 5;
    SimLine line(o);
    ASSERT_EQ(Count(line, {26, 3, 1, 26, 3, 31}), 10);
    EXPECT_EQ(Fetch(line, 3).at(0).items.front(), (std::pair{0x33, 0x00}));
    const auto fifth = Fetch(line, 5).at(0).items;
    ASSERT_GE(fifth.size(), 3u);
    EXPECT_EQ(fifth[0], (std::pair{0x01, 0x07}));
    EXPECT_EQ(fifth[1], (std::pair{0x50, 0x60}));
    EXPECT_EQ(fifth[2], (std::pair{0x01, 0x00}));
    const auto fourth = Fetch(line, 4).at(0).items;
    for (const auto& [tag, sub] : fourth) EXPECT_TRUE(tag == 0x01 || tag == 0x50);
}

}  // namespace
}  // namespace lgcset::sim::test
