// The history query without a window: the range check, the order of the requests, when
// the export comes, and how a transfer ends early, is restarted or overfills the store.
#include "data/history_query.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lgcset::data {
namespace {

using Log = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records every call as one line; an outcome as the text the window shows for it.
class RecordingHost : public HistoryRequests, public HistoryObserver {
  public:
    Log log;
    bool answerYes = true;
    std::uint16_t* count = nullptr;  // read when the export runs
    std::function<void()> whileBoxOpen;
    QueryRange sentRange{};

    void Report(const HistoryOutcome& outcome) override {
        log.push_back("msg " + OutcomeMessage(outcome));
        if (whileBoxOpen)
            whileBoxOpen();
    }
    bool AskYesNo(const HistoryOutcome& question) override {
        log.push_back("ask " + OutcomeMessage(question));
        return answerYes;
    }
    void SendHistoryCount(const QueryRange& range) override {
        sentRange = range;
        log.push_back("count?");
    }
    void SendHistoryRecord(std::uint16_t n) override { log.push_back("rec " + std::to_string(n)); }
    int ResendsOfLastRequest() const override { return resends; }
    int resends = 0;  // of the request last sent, as the send path counts them
    void ResumeResend() override { log.push_back("resume"); }
    void ClearStopRequested() override { log.push_back("clear stop"); }
    void SetProgressVisible(bool v) override { log.push_back(v ? "pb shown" : "pb hidden"); }
    void ShowNextIndex(std::uint16_t i) override { log.push_back("lbl16 " + std::to_string(i)); }
    void ShowReceived(std::uint16_t c) override { log.push_back("lbl4 " + std::to_string(c)); }
    void ShowSaving() override { log.push_back("saving"); }
    void ShowTransferProgress(std::uint16_t, std::uint16_t) override {}
    void ClearTransferProgress() override {}
    void TransferEnded() override { log.push_back("ended"); }
    void ExportHistory() override {
        log.push_back("export " + std::to_string(count != nullptr ? *count : -1));
    }

    Log Take() { return std::exchange(log, {}); }
};

Bytes Record(std::uint8_t hour, int sensors = 1, std::uint8_t minute = 0) {
    Bytes p{0x7F, 0x7F, 26, 3, 8, hour, minute, 0};
    for (int ch = 0; ch < sensors; ++ch)
        p.insert(p.end(), {0x01, static_cast<std::uint8_t>(ch), 0, 0, 0xBC, 0x41});
    return p;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Fixture {
    Fixture() { host.count = &count; }
    RecordingHost host;
    std::unique_ptr<HistoryStore> store = std::make_unique<HistoryStore>();
    std::uint16_t count = 0;
    HistoryQuery query{host, host, *store, count};

    void Start(int fy, int fm, int fd, int ty, int tm, int td) {
        query.Start(MakeQueryRange(fy, fm, fd, ty, tm, td));
    }
};

TEST(HistoryRange, SixMonthsPassSevenAreRefusedDaysAndDirectionDoNotCount) {
    Fixture f;
    f.Start(2023, 1, 31, 2023, 7, 1);  // 6 months, though more than 150 days
    EXPECT_THAT(f.host.Take(), ElementsAre("count?", "clear stop", "pb shown"));

    f.Start(2023, 1, 1, 2023, 8, 1);
    EXPECT_THAT(f.host.Take(), ElementsAre("msg time is to long!(less than 6months)"));
    EXPECT_EQ(f.query.state(), HistoryQuery::State::Counting);  // the first query runs on

    f.Start(2023, 8, 1, 2023, 1, 1);  // "To" before "From"
    EXPECT_THAT(f.host.Take(), ElementsAre("count?", "clear stop", "pb shown"));

    // Across the turn of the century: -1199 months, the logger gets the years 99 and 0.
    f.Start(2099, 12, 1, 2100, 1, 1);
    EXPECT_EQ(RangeMonths(f.host.sentRange), -1199);
    EXPECT_EQ(f.host.sentRange, (QueryRange{99, 12, 1, 0, 1, 1}));
    EXPECT_EQ(f.host.Take().front(), "count?");
    EXPECT_EQ(RangeMonths(MakeQueryRange(2024, 12, 31, 2025, 6, 1)), 6);
    EXPECT_EQ(RangeMonths(MakeQueryRange(2024, 12, 1, 2025, 7, 31)), 7);
}

TEST(HistoryQuery, TotalOfOneRequestsRecordOneThenTheEndAndExportsAfterTheThirdReply) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.host.Take();
    f.query.OnCountReply(1);
    EXPECT_THAT(f.host.Take(), ElementsAre("rec 1", "lbl16 2"));
    f.query.OnRecordReply(Record(5));
    EXPECT_THAT(f.host.Take(), ElementsAre("saving", "lbl4 1", "rec 0"));
    EXPECT_EQ(f.query.state(), HistoryQuery::State::Ending);
    // The closing reply is never decoded, even when it looks like records.
    f.query.OnRecordReply(Concat({Record(6), Record(7)}));
    EXPECT_THAT(f.host.Take(), ElementsAre("ended", "export 1", "pb hidden"));
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ((*f.store)[0].hour, 5);
    EXPECT_EQ(f.query.state(), HistoryQuery::State::Idle);

    // A late reply now changes nothing.
    f.query.OnRecordReply(Record(8));
    f.query.OnCountReply(3);
    EXPECT_THAT(f.host.Take(), IsEmpty());
}

TEST(HistoryQuery, EveryRecordUpToTheTotalIsRequestedOnceInOrder) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(256);  // the count reply 0x00 0x01
    std::vector<int> requested;
    f.host.Take();
    for (int k = 0; k < 300 && f.query.state() == HistoryQuery::State::Fetching; ++k) {
        f.query.OnRecordReply(
            Record(static_cast<std::uint8_t>(k % 24), 1, static_cast<std::uint8_t>(k / 24)));
        for (const std::string& line : f.host.Take())
            if (line.rfind("rec ", 0) == 0)
                requested.push_back(std::stoi(line.substr(4)));
    }
    ASSERT_EQ(requested.size(), 256u);  // 2 .. 256, then 0
    for (int n = 2; n <= 256; ++n) EXPECT_EQ(requested[static_cast<std::size_t>(n - 2)], n);
    EXPECT_EQ(requested.back(), 0);
    EXPECT_EQ(f.count, 256);
}

TEST(HistoryQuery, TheLateTwinOfAReSentRequestsReplyIsDroppedAndNoGenuineRecordIsLost) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(3);
    f.host.Take();
    // Request 1 was re-sent once: its reply came late, and the re-send's reply follows.
    f.host.resends = 1;
    f.query.OnRecordReply(Record(5));
    f.host.resends = 0;
    EXPECT_THAT(f.host.Take(), ElementsAre("saving", "lbl4 1", "rec 2"));
    f.query.OnRecordReply(Record(5));
    // Dropped and counted; the re-sends of request 2, which the twin stopped, go on.
    EXPECT_THAT(f.host.Take(), ElementsAre("resume"));
    EXPECT_EQ(f.query.LateTwins(), 1u);
    EXPECT_EQ(f.count, 1);
    // Request 2 went out once, but the line may double its reply.
    f.query.OnRecordReply(Record(6));
    f.query.OnRecordReply(Record(6));
    f.query.OnRecordReply(Record(7));
    EXPECT_EQ(f.query.LateTwins(), 2u);
    EXPECT_EQ(f.query.state(), HistoryQuery::State::Ending);
    f.query.OnRecordReply(Bytes{0x01});
    EXPECT_EQ((*f.store)[0].hour, 5);
    EXPECT_EQ((*f.store)[1].hour, 6);
    EXPECT_EQ((*f.store)[2].hour, 7);

    // A genuine reply identical to the one before is dropped no more often than the
    // replies its predecessor's request can bring, and taken when the re-send brings it
    // (its record, the same as the one stored, is then stored once).
    Fixture g;
    g.Start(2026, 3, 1, 2026, 3, 31);
    g.query.OnCountReply(4);
    g.query.OnRecordReply(Record(5));
    g.query.OnRecordReply(Record(6));
    g.host.resends = 1;  // request 3 sent twice: up to four copies of its reply
    g.query.OnRecordReply(Record(9));
    g.host.resends = 0;
    g.host.Take();
    for (int copy = 0; copy < 3; ++copy) g.query.OnRecordReply(Record(9));
    EXPECT_THAT(g.host.Take(), ElementsAre("resume", "resume", "resume"));
    EXPECT_EQ(g.count, 3);
    g.query.OnRecordReply(Record(9));
    EXPECT_EQ(g.query.state(), HistoryQuery::State::Ending);
    EXPECT_EQ(g.count, 3);
    EXPECT_EQ(g.query.Repeats(), 1u);
}

// A logger that sends a record again (replies that overlap, a record twice in one reply or
// again later) has it stored, counted and exported once, in the order first sent; a record
// that differs in any value is no repeat.
TEST(HistoryQuery, ARecordSentAgainInOneTransferIsStoredOnce) {
    Bytes otherValue = Record(1);
    otherValue[12] = 0x01;
    Bytes nan = Record(5);
    nan[12] = 0x00, nan[13] = 0x00, nan[14] = 0xC0, nan[15] = 0x7F;
    struct Case {
        const char* what;
        std::vector<Bytes> replies;
        std::vector<int> hours;  // of the records stored, in order
        std::uint32_t repeats;
    };
    for (const Case& c : {
             Case{"overlapping replies",
                  {Concat({Record(1), Record(2), Record(3)}),
                   Concat({Record(2), Record(3), Record(4)}), Concat({Record(3), Record(4)}),
                   Record(4)},
                  {1, 2, 3, 4},
                  5},
             Case{"twice in one reply", {Concat({Record(1), Record(1)}), Record(2)}, {1, 2}, 1},
             Case{"again after others", {Record(1), Record(2), Record(1)}, {1, 2}, 1},
             Case{"a sensor's NaN again", {nan, Record(2), nan}, {5, 2}, 1},
             Case{"same time, other value or sensors",
                  {Record(1), otherValue, Record(1, 2)},
                  {1, 1, 1},
                  0},
         }) {
        Fixture f;
        f.Start(2026, 3, 1, 2026, 3, 31);
        f.query.OnCountReply(static_cast<std::uint16_t>(c.replies.size()));
        for (const Bytes& reply : c.replies) f.query.OnRecordReply(reply);
        f.host.Take();
        f.query.OnRecordReply(Bytes{0x01});
        EXPECT_THAT(f.host.Take(),
                    ElementsAre("ended", "export " + std::to_string(c.hours.size()), "pb hidden"))
            << c.what;
        std::vector<int> hours;
        for (std::size_t i = 0; i < c.hours.size(); ++i) hours.push_back((*f.store)[i].hour);
        EXPECT_EQ(hours, c.hours) << c.what;
        EXPECT_EQ(f.query.Repeats(), c.repeats) << c.what;

        // The next transfer starts afresh.
        f.Start(2026, 3, 1, 2026, 3, 31);
        f.query.OnCountReply(1);
        f.query.OnRecordReply(c.replies.back());
        EXPECT_EQ(f.query.Repeats(), 0u) << c.what;
        EXPECT_GE(f.count, 1) << c.what;
    }
}

TEST(HistoryQuery, EmptyRangeEndsWithTheMessageAndSendsNothingMore) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.host.Take();
    f.query.OnCountReply(0);
    EXPECT_THAT(f.host.Take(), ElementsAre("pb hidden", "msg No data recorded on this period."));
    f.query.OnRecordReply(Record(1));
    EXPECT_THAT(f.host.Take(), IsEmpty());
}

TEST(HistoryQuery, RepliesOfSeveralRecordsAndAnUnknownTagKeepTheTransferGoing) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(3);
    f.host.Take();
    f.query.OnRecordReply(Concat({Record(1), Record(2, 0)}));
    EXPECT_THAT(f.host.Take(), ElementsAre("saving", "lbl4 2", "rec 2"));
    Bytes unknown = Record(3);
    unknown.insert(unknown.end(), {0x33, 0, 0, 0, 0, 0});
    f.query.OnRecordReply(unknown);
    EXPECT_THAT(f.host.Take(), ElementsAre("saving", "msg data drecor undefined", "rec 3"));
    EXPECT_EQ(f.count, 2);
    f.query.OnRecordReply(Bytes{});  // an empty body: nothing stored, the next request
    EXPECT_THAT(f.host.Take(), ElementsAre("saving", "rec 0"));
}

TEST(HistoryQuery, AnEarlyEndSendsNothingMoreAndOffersTheRecordsReceived) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(5000);
    for (std::uint8_t h = 0; h < 3; ++h) f.query.OnRecordReply(Record(h));
    f.host.Take();

    f.query.EndEarly();
    EXPECT_THAT(
        f.host.Take(),
        ElementsAre("pb hidden",
                    "ask The history transfer ended early: 3 of 5000 records arrived. Export the "
                    "records that arrived?",
                    "clear stop", "ended", "export 3", "pb hidden"));
    EXPECT_EQ(f.count, 3);  // kept until the next query
    // The reply to the request outstanding at the end arrives afterwards.
    f.query.OnRecordReply(Record(4));
    f.query.EndEarly();
    EXPECT_THAT(f.host.Take(), IsEmpty());
    EXPECT_EQ(f.count, 3);

    // Declined: nothing exported, the records stay; a transfer that had none asks nothing.
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(10);
    f.query.OnRecordReply(Record(1));
    f.host.answerYes = false;
    f.host.Take();
    f.query.EndEarly();
    EXPECT_EQ(f.host.Take().back().rfind("ask ", 0), 0u);
    EXPECT_EQ(f.count, 1);
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.host.Take();
    f.query.EndEarly();  // while counting
    EXPECT_THAT(f.host.Take(), ElementsAre("pb hidden"));
}

TEST(HistoryQuery, LinkClosedWhileAnUnknownTagIsReportedSendsNoFurtherRequest) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(5);
    f.host.Take();
    f.host.answerYes = false;
    f.host.whileBoxOpen = [&] { f.query.EndEarly(); };
    Bytes unknown = Record(3);
    unknown.insert(unknown.end(), {0x33, 0, 0, 0, 0, 0});
    f.query.OnRecordReply(unknown);
    for (const std::string& line : f.host.Take()) EXPECT_NE(line.rfind("rec ", 0), 0u) << line;
}

TEST(HistoryQuery, ASecondQueryRestartsFromRecordOneAndIgnoresTheOldTransfersReplies) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(10);
    f.query.OnRecordReply(Record(1));
    f.query.OnRecordReply(Record(2));
    f.Start(2026, 2, 1, 2026, 2, 28);
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.query.Index(), 1u);
    f.host.Take();
    f.query.OnRecordReply(Record(3));  // the old transfer's reply, still on its way
    EXPECT_THAT(f.host.Take(), IsEmpty());
    f.query.OnCountReply(2);
    EXPECT_THAT(f.host.Take(), ElementsAre("rec 1", "lbl16 2"));
}

TEST(HistoryQuery, AFullLogOfSeveralRecordsAReplyFillsTheStoreAndTellsWhatWasLeftOut) {
    Fixture f;
    f.Start(2026, 3, 1, 2026, 3, 31);
    f.query.OnCountReply(65535);
    // Three records a reply, each at a time of its own.
    int at = 0;
    const auto next = [&at] {
        const auto field = [&at](int unit, int range) {
            return static_cast<std::uint8_t>(at / unit % range);
        };
        Bytes p{0x7F,
                0x7F,
                26,
                3,
                static_cast<std::uint8_t>(1 + field(86400, 28)),
                field(3600, 24),
                field(60, 60),
                field(1, 60)};
        ++at;
        return p;
    };
    std::uint32_t lastRequested = 1;
    bool sawZero = false;
    f.host.Take();
    while (f.query.state() == HistoryQuery::State::Fetching) {
        f.query.OnRecordReply(Concat({next(), next(), next()}));
        for (const std::string& line : f.host.Take()) {
            if (line.rfind("rec ", 0) != 0)
                continue;
            const auto n = static_cast<std::uint32_t>(std::stoul(line.substr(4)));
            if (n == 0)
                sawZero = true;
            else
                EXPECT_EQ(n, ++lastRequested);
        }
    }
    EXPECT_EQ(lastRequested, 65535u);  // the index does not wrap after the last number
    EXPECT_TRUE(sawZero);
    EXPECT_EQ(f.count, 65535);
    EXPECT_EQ(f.query.LeftOut(), 3u * 65535 - 65535);
    EXPECT_EQ(f.query.Repeats(), 0u);
    f.query.OnRecordReply(Bytes{1});
    EXPECT_THAT(
        f.host.Take(),
        ElementsAre("msg The history store holds 65535 records: 131070 more records of this "
                    "transfer were left out.",
                    "ended", "export 65535", "pb hidden"));
}

TEST(HistoryOutcome, TextsAreTheOnesUsersKnow) {
    EXPECT_EQ(OutcomeMessage({HistoryResult::RangeTooLong}), "time is to long!(less than 6months)");
    EXPECT_EQ(OutcomeMessage({HistoryResult::NoRecords}), "No data recorded on this period.");
    EXPECT_EQ(OutcomeMessage({HistoryResult::UndefinedRecord}), "data drecor undefined");
    EXPECT_EQ(OutcomeMessage({.result = HistoryResult::RecordsLeftOut, .leftOut = 7}),
              "The history store holds 65535 records: 7 more records of this transfer were left "
              "out.");
    EXPECT_EQ(OutcomeMessage({HistoryResult::EndedEarly, 65535, 65535, 12}),
              "The history transfer ended early: 65535 of 65535 records arrived (12 more did not "
              "fit in the history store). Export the records that arrived?");
    EXPECT_EQ(RepeatedRecordsText(3), "3 records that arrived again were left out");
    EXPECT_EQ(OutcomeMessage({HistoryResult::EndedEarly, 0, 9, 0}),
              "The history transfer ended early: 0 of 9 records arrived. Export the records "
              "that arrived?");
}

TEST(HistoryProgress, TextNamesTheRecordAndTheTimeLeft) {
    EXPECT_EQ(TransferProgressText(0, 5000, 0.0), "record 0 of 5000");
    EXPECT_EQ(TransferProgressText(100, 5000, 0.7), "record 100 of 5000, 0:35 left");
    EXPECT_EQ(TransferProgressText(1, 65535, 0.007), "record 1 of 65535, 7:39 left");
    EXPECT_EQ(TransferProgressText(10, 65535, 10.0), "record 10 of 65535, 18:12:05 left");
    EXPECT_EQ(TransferProgressText(5000, 5000, 35.0), "record 5000 of 5000");
}

}  // namespace
}  // namespace lgcset::data
