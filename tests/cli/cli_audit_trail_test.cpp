// What a day's work with lgcset-cli leaves in the archive's audit trail and settings history.
#include <gtest/gtest.h>

#include "archive/archive_open.h"
#include "archive/audit_chain.h"
#include "cli_support.h"
#include "jobs/change_log.h"
#include "support/exact_log.h"

namespace lgcset::cli::test {
namespace {

using archive::AuditAction;
using archive::AuditResult;

constexpr const char* kId = "000000000000101";

TEST(CliAuditTrail, ADaysWorkLeavesItsRowsInOrderAndTheTrailVerifies) {
    Logger logger(support::HourlyLog(200, "101"));
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    const std::vector<std::vector<std::string>> day = {
        {"read", folder.File("before.ini")},
        {"clock", "--set", "2024-03-10 12:30:00"},
        {"relay", "--nc", "5"},
        {"history", "--from", "24-03-09", "--to", "24-03-10", "--out", folder.File("x")},
        {"factory-reset", "--yes"},
    };
    for (std::vector<std::string> command : day) {
        command.insert(command.end(), {"--archive", archive});
        const CliResult result = logger.Run(command);
        ASSERT_EQ(result.status, kExitOk) << command[0] << ": " << result.err;
    }
    const auto csv = std::filesystem::directory_iterator(folder.path / "x");
    std::string csvFile;
    for (const auto& file : csv)
        if (file.path().extension() == ".csv")
            csvFile = file.path().string();
    const CliResult imported = Cli({"archive", "--archive", archive, "import", "--device-id",
                                    "102", "--model", "R481", csvFile});
    ASSERT_EQ(imported.status, kExitOk) << imported.err;

    archive::OpenResult opened = archive::OpenArchive(archive, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    const archive::Rows<archive::AuditRow> trail = opened.store->AuditTrail({});
    ASSERT_TRUE(trail.status.ok()) << trail.status.message;
    const struct {
        AuditAction action;
        std::string deviceId;
        std::string detailStart;
    } expected[] = {
        {AuditAction::ClockSet, kId, "Clock: "},
        {AuditAction::RelayTested, kId, "NC/NO, working time 5 s"},
        {AuditAction::HistoryDownloaded, kId, "2024-03-09 to 2024-03-10: 37 records; archived"},
        {AuditAction::ExportWritten, kId, "workbook SAVE"},
        {AuditAction::FactoryReset, kId, ""},
        {AuditAction::ArchiveImported, "000000000000102", csvFile + ": 37 records, 37 new"},
    };
    ASSERT_EQ(trail.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < trail.rows.size(); ++i) {
        const archive::AuditEntry& row = trail.rows[i].entry;
        SCOPED_TRACE(archive::AuditActionText(expected[i].action));
        EXPECT_EQ(row.action, expected[i].action);
        EXPECT_EQ(row.result, AuditResult::Done) << row.why;
        EXPECT_EQ(row.deviceId, expected[i].deviceId);
        EXPECT_TRUE(row.detail.starts_with(expected[i].detailStart)) << row.detail;
        EXPECT_EQ(row.user, jobs::CurrentOperator().user);
    }
    EXPECT_TRUE(trail.rows[0].entry.detail.ends_with(" -> 2024-03-10 12:30:00"))
        << trail.rows[0].entry.detail;
    EXPECT_FALSE(archive::VerifyChain(trail.rows));

    const archive::Rows<archive::SettingsSnapshot> snapshots = opened.store->Snapshots("");
    ASSERT_EQ(snapshots.rows.size(), 1u);
    EXPECT_EQ(snapshots.rows[0].reason, archive::SnapshotReason::Read);
    EXPECT_EQ(snapshots.rows[0].deviceId, kId);
    EXPECT_EQ(snapshots.rows[0].model, "R481");
    EXPECT_EQ(snapshots.rows[0].pages.size(), 4u);
}

// Without an archive a change is still made, said once per command however many rows it
// would have left; a command that changes nothing says nothing.
TEST(CliAuditTrail, WithoutAnArchiveEachChangingCommandSaysSoOnceAndNothingIsWritten) {
    Logger logger(support::HourlyLog(200, "101"));
    TempFolder folder;
    CliEnvironment environment;
    environment.defaultArchive = folder.path / "default" / "archive.sqlite";
    const std::string noRecord = "lgcset-cli: " + std::string(jobs::kNoRecordKept) + "\n";
    const struct {
        std::vector<std::string> command;
        std::string err;
    } cases[] = {
        {{"clock", "--set", "now"}, noRecord},
        {{"relay", "--stop"}, noRecord},
        {{"history", "--from", "24-03-09", "--to", "24-03-10", "--out", folder.File("x")},
         noRecord},
        {{"factory-reset", "--yes"}, noRecord},
        {{"read", folder.File("p.ini")}, ""},
        {{"clock"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command[0]);
        std::vector<std::string> arguments = {"--port", logger.simulator.slavePath()};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        arguments.push_back("--no-archive");
        if (c.command == std::vector<std::string>{"clock"})
            arguments.pop_back();  // reading the clock takes no archive options
        const CliResult result = Cli(arguments, environment);
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path / "default"));
}

}  // namespace
}  // namespace lgcset::cli::test
