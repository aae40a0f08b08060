#include "jobs/transfer_job.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "data/calendar.h"
#include "data/local_time.h"
#include "jobs/identify_job.h"
#include "simulated_logger.h"
#include "support/exact_log.h"
#include "support/recording_archive.h"

namespace lgcset::jobs {
namespace {

using End = TransferResult::End;

struct Answers final : TransferHost {
    bool ExportWhatArrived(const data::HistoryOutcome&) override { return exportWhatArrived; }
    std::string LineEndText(LineEnd) override { return "the logger went quiet"; }
    bool exportWhatArrived = false;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TransferJobTest : public ::testing::Test {
  protected:
    TransferJobTest() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        LogIn(host);
    }
    static void LogIn(SimulatedLogger& logger) {
        LoginJob login(logger.Device());
        logger.Run(login);
        EXPECT_EQ(login.Result().end, LoginResult::End::Done);
    }
    ~TransferJobTest() override { std::filesystem::remove_all(folder); }

    TransferRequest March(bool exported = true) {
        TransferRequest request;
        request.range = data::MakeQueryRange(2024, 3, 1, 2024, 3, 31);
        if (exported) {
            request.exportTo.emplace();
            request.exportTo->folders = {folder};
            request.exportTo->origin.emplace();
        }
        return request;
    }

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("lgcset-jobs-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    SimulatedLogger host{support::HourlyLog(200, "101")};
    Answers answers;
};

TEST_F(TransferJobTest, ACompleteTransferIsExportedAndArchivedWithItsFiles) {
    TransferJob job(host.Device(), answers, March());
    host.Run(job);
    const TransferResult& result = job.Result();
    ASSERT_EQ(result.end, End::Done);
    EXPECT_TRUE(result.handedOver);
    EXPECT_EQ(result.records.size(), 200u);
    EXPECT_EQ(result.records.front().day, 2);  // as the logger sent them, oldest first
    ASSERT_EQ(result.exported, TransferResult::Export::Saved);
    EXPECT_TRUE(std::filesystem::exists(result.files.workbook));
    EXPECT_TRUE(std::filesystem::exists(result.files.csv));
    EXPECT_EQ(ReadText(result.files.manifest).find("went quiet"), std::string::npos);

    support::RecordingArchive archive;
    job.ArchiveInto(archive, {{"000000000000101", "R481"}, "", "2024-03-01", "2024-03-31", "p"});
    EXPECT_EQ(job.Result().archived, TransferResult::Archive::Archived);
    EXPECT_EQ(job.Result().counts.added, 200u);
    ASSERT_EQ(archive.downloads.size(), 1u);
    EXPECT_EQ(archive.downloads[0].workbook, result.files.workbook.filename().string());
    EXPECT_EQ(archive.downloads[0].csvSha256.size(), 64u);

    archive.refusal = "The archive's disk is full.";
    job.ArchiveInto(archive, {});
    EXPECT_EQ(job.Result().archived, TransferResult::Archive::NotArchived);
    EXPECT_EQ(job.Result().notArchived, "The archive's disk is full.");
}

TEST_F(TransferJobTest, ALineEndedMidwayKeepsWhatArrivedAndExportsItOnlyWhenAsked) {
    for (const bool exportWhatArrived : {true, false}) {
        SCOPED_TRACE(exportWhatArrived);
        answers.exportWhatArrived = exportWhatArrived;
        SimulatedLogger logger(support::HourlyLog(200, "101"));
        LogIn(logger);
        logger.Line().silentAfterReplies = 1 + 1 + 50;  // the clock, the count and 50 records
        TransferJob job(logger.Device(), answers, March());
        logger.Run(job);
        const TransferResult& result = job.Result();
        ASSERT_EQ(result.end, End::LineEnded);
        EXPECT_EQ(result.line, LineEnd::Timeout);
        EXPECT_EQ(result.arrived, 50);
        EXPECT_EQ(result.total, 200);
        EXPECT_EQ(result.handedOver, exportWhatArrived);
        EXPECT_EQ(result.records.size(), exportWhatArrived ? 50u : 0u);
        if (exportWhatArrived) {
            ASSERT_EQ(result.exported, TransferResult::Export::Saved);
            EXPECT_NE(ReadText(result.files.manifest).find("went quiet"), std::string::npos);
        } else {
            EXPECT_EQ(result.exported, TransferResult::Export::NotAsked);
        }
    }
}

TEST_F(TransferJobTest, ARangeTheQueryRefusesOrThatHoldsNothingEndsWithoutRecords) {
    struct Case {
        const char* what;
        data::QueryRange range;
        End end;
        data::HistoryResult report;
    };
    const Case cases[] = {
        {"seven months", data::MakeQueryRange(2023, 9, 1, 2024, 4, 1), End::RangeRefused,
         data::HistoryResult::RangeTooLong},
        {"before the log", data::MakeQueryRange(2023, 1, 1, 2023, 1, 31), End::NoRecords,
         data::HistoryResult::NoRecords},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRequest request = March();
        request.range = c.range;
        const std::size_t sent = host.requestsSent;
        TransferJob job(host.Device(), answers, request);
        host.Run(job);
        EXPECT_EQ(job.Result().end, c.end);
        ASSERT_EQ(job.Result().reports.size(), 1u);
        EXPECT_EQ(job.Result().reports[0].result, c.report);
        EXPECT_FALSE(job.Result().handedOver);
        EXPECT_EQ(host.requestsSent - sent, c.end == End::RangeRefused ? 0u : 2u);
        support::RecordingArchive archive;
        job.ArchiveInto(archive, {});
        EXPECT_TRUE(archive.downloads.empty());
    }
}

// The logger's clock is read before the query and kept with the download; a clock that gives
// no real time leaves it unknown and the transfer whole.
TEST_F(TransferJobTest, TheLoggersClockIsKeptWithTheDownloadAndOneWithoutTimeIsNotAKnownOffset) {
    constexpr std::time_t kNow = 1'709'290'000;  // 2024-03-01, UTC
    auto civil = [](const std::tm& t) {
        return data::DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1),
                                   static_cast<unsigned>(t.tm_mday)) * 86400 +
               t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
    };
    const std::tm ahead = data::LocalFields(kNow + 312);
    const std::time_t now = kNow;
    const std::tm utc = *std::gmtime(&now);
    const std::int64_t utcOffset = civil(data::LocalFields(kNow)) - civil(utc);
    struct Case {
        const char* what;
        std::array<std::uint8_t, 6> clock;
        std::optional<std::int64_t> offset, utcOffset;
    };
    const Case cases[] = {
        {"5 min 12 s ahead",
         {static_cast<std::uint8_t>(ahead.tm_year - 100), static_cast<std::uint8_t>(ahead.tm_mon + 1),
          static_cast<std::uint8_t>(ahead.tm_mday), static_cast<std::uint8_t>(ahead.tm_hour),
          static_cast<std::uint8_t>(ahead.tm_min), static_cast<std::uint8_t>(ahead.tm_sec)},
         312, utcOffset},
        {"month zero", {24, 0, 1, 10, 0, 0}, std::nullopt, std::nullopt},
        {"30 February", {24, 2, 30, 10, 0, 0}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Options options = support::HourlyLog(200, "101");
        options.clockReply = c.clock;
        SimulatedLogger logger(options);
        LogIn(logger);
        TransferRequest request = March();
        request.now = [] { return kNow; };
        TransferJob job(logger.Device(), answers, request);
        logger.Run(job);
        ASSERT_EQ(job.Result().end, End::Done);
        EXPECT_EQ(job.Result().records.size(), 200u);
        EXPECT_EQ(job.Result().clock.offset, c.offset);
        EXPECT_EQ(job.Result().clock.unknown.empty(), c.offset.has_value());
        support::RecordingArchive archive;
        job.ArchiveInto(archive, {{"000000000000101", "R481"}, "", "2024-03-01", "2024-03-31", "p"});
        ASSERT_EQ(archive.downloads.size(), 1u);
        EXPECT_EQ(archive.downloads[0].clockOffset, c.offset);
        EXPECT_EQ(archive.downloads[0].utcOffset, c.utcOffset);
    }
}

// The window lets events in while the files are written, and a Query among them restarts
// the job: the export under way still writes and tells the transfer that ended, the
// restarted one goes on from its own count request.
TEST_F(TransferJobTest, ARestartWhileTheFilesAreWrittenLeavesTheEndedTransfersExportWhole) {
    struct Telling final : TransferHost {
        bool ExportWhatArrived(const data::HistoryOutcome&) override { return false; }
        std::string LineEndText(LineEnd) override { return {}; }
        void Exported(const TransferResult& exported, bool newest) override {
            told.push_back({exported.records.size(), exported.exported, newest});
        }
        struct Told {
            std::size_t records;
            TransferResult::Export exported;
            bool newest;
            bool operator==(const Told&) const = default;
        };
        std::vector<Told> told;
    } telling;
    data::HistoryStore store;
    std::uint16_t count = 0;
    TransferJob job(host.Device(), telling, {}, store, count);
    TransferRequest first = March();
    bool restarted = false;
    first.exportTo->beforeRecord = [&](std::size_t, std::optional<int>) {
        if (!std::exchange(restarted, true))
            job.Restart(March());
        return true;
    };
    job.Restart(first);
    host.Run(job);  // starts the first transfer again, as Query does

    using Told = decltype(telling)::Told;
    EXPECT_EQ(telling.told, (std::vector<Told>{{200, TransferResult::Export::Saved, false},
                                               {200, TransferResult::Export::Saved, true}}));
    const TransferResult& result = job.Result();
    EXPECT_EQ(result.end, End::Done);
    EXPECT_EQ(result.records.size(), 200u);
    EXPECT_EQ(result.records.front().day, 2);
}

}  // namespace
}  // namespace lgcset::jobs
