#include "jobs/audit_entries.h"

#include <gtest/gtest.h>

namespace lgcset::jobs {
namespace {

using archive::AuditAction;
using archive::AuditResult;

const archive::LoggerKey kLogger{"000000000000101", "R481"};

// What each tool's end leaves in the trail: a refusal or a question answered No changed
// nothing; a reply that never came may have been acted on.
TEST(AuditEntriesTest, AToolLeavesARowOnlyWhenItMayHaveChangedTheLogger) {
    using TE = ToolResult::End;
    using FE = FactoryResetResult::End;
    const protocol::ClockSetting set = protocol::ClockSetting::FromDateTime(2026, 3, 5, 14, 7, 9);
    const data::RelayTestRequest relay{protocol::RelayAction::Pulse, {{}, 2, 3, 4}};
    struct Case {
        const char* name;
        std::optional<archive::AuditEntry> entry;
        std::optional<AuditResult> result;
        std::string why;
    };
    const Case cases[] = {
        {"reset done", FactoryResetEntry(kLogger, {FE::Done}, "lost"), AuditResult::Done, ""},
        {"reset refused", FactoryResetEntry(kLogger, {FE::Refused}, "lost"), {}, ""},
        {"reset answered no", FactoryResetEntry(kLogger, {FE::NotSent}, "lost"), {}, ""},
        {"reset reply lost", FactoryResetEntry(kLogger, {FE::LineEnded}, "the line was lost"),
         AuditResult::Failed, "the line was lost; the logger may have been reset"},
        {"clock done", ClockSetEntry(kLogger, {TE::Done}, {}, set, "x"), AuditResult::Done, ""},
        {"clock refused", ClockSetEntry(kLogger, {TE::Refused}, {}, set, "x"), {}, ""},
        {"clock reply lost", ClockSetEntry(kLogger, {TE::LineEnded}, {}, set, "quiet"),
         AuditResult::Failed, "quiet; the logger may have set its clock"},
        {"relay done", RelayTestedEntry(kLogger, {TE::Done}, relay, "x"), AuditResult::Done, ""},
        {"relay refused", RelayTestedEntry(kLogger, {TE::Refused}, relay, "x"), {}, ""},
        {"relay reply lost", RelayTestedEntry(kLogger, {TE::LineEnded}, relay, "quiet"),
         AuditResult::Failed, "quiet; the logger may have switched its relay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.entry.has_value(), c.result.has_value());
        if (!c.entry)
            continue;
        EXPECT_EQ(c.entry->result, *c.result);
        EXPECT_EQ(c.entry->why, c.why);
        EXPECT_EQ(c.entry->deviceId, kLogger.deviceId);
        EXPECT_EQ(c.entry->model, kLogger.model);
    }
}

TEST(AuditEntriesTest, DetailsSayWhatWasDone) {
    const protocol::ClockSetting set = protocol::ClockSetting::FromDateTime(2026, 3, 5, 4, 7, 9);
    const data::DeviceTime before{{2024, 12, 31}, {23, 59, 58}};
    const struct {
        std::optional<archive::AuditEntry> entry;
        AuditAction action;
        std::string detail;
    } cases[] = {
        {ClockSetEntry(kLogger, {}, before, set, ""), AuditAction::ClockSet,
         "Clock: 2024-12-31 23:59:58 -> 2026-03-05 04:07:09"},
        {ClockSetEntry(kLogger, {}, {}, set, ""), AuditAction::ClockSet,
         "Clock: not read -> 2026-03-05 04:07:09"},
        {RelayTestedEntry(kLogger, {}, {protocol::RelayAction::NcNo, {{15}, {}, {}, {}}}, ""),
         AuditAction::RelayTested, "NC/NO, working time 15 s"},
        {RelayTestedEntry(kLogger, {}, {protocol::RelayAction::Pulse, {{}, 2, {}, 4}}, ""),
         AuditAction::RelayTested, "pulse, on 2 s, off not set, repeat 4"},
        {RelayTestedEntry(kLogger, {}, {protocol::RelayAction::Stop, {}}, ""),
         AuditAction::RelayTested, "stop"},
        {DebugEchoEntry(kLogger, false), AuditAction::DebugEchoSwitched, "off"},
        {ArchiveImportedEntry(kLogger, "/in/day.csv", {{}, {10, 7, 2, 1}}),
         AuditAction::ArchiveImported,
         "/in/day.csv: 10 records, 7 new, 2 already there, 1 without a real date and time"},
        {ArchiveCopiedEntry("a.sqlite", "postgresql://***@db/x", {{}, 2, 1, 30, 4}),
         AuditAction::ArchiveCopied,
         "from a.sqlite to postgresql://***@db/x: 2 downloads copied, 1 already there; 30 "
         "readings new, 4 already there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        ASSERT_TRUE(c.entry);
        EXPECT_EQ(c.entry->action, c.action);
        EXPECT_EQ(c.entry->detail, c.detail);
    }
}

// A transfer's row says how far it got and whether the archive has it; a store that
// failed is no action at all, one that stopped part way kept what it had copied.
TEST(AuditEntriesTest, TransfersImportsAndCopiesSayHowFarTheyGot) {
    const DownloadOrigin origin{kLogger, "1.2", "2024-03-01", "2024-03-31", "/dev/ttyUSB0"};
    TransferResult archived;
    archived.end = TransferResult::End::Done;
    archived.handedOver = true;
    archived.records.resize(3);
    archived.archived = TransferResult::Archive::Archived;
    archived.counts = {3, 2, 1, 0};
    TransferResult cut;
    cut.end = TransferResult::End::LineEnded;
    cut.arrived = 5;
    cut.total = 9;
    cut.archived = TransferResult::Archive::NotArchived;
    cut.notArchived = "The disk is full.";
    TransferResult refused;
    refused.end = TransferResult::End::RangeRefused;

    const auto done = HistoryDownloadedEntry(origin, archived, "lost");
    ASSERT_TRUE(done);
    EXPECT_EQ(done->detail, "2024-03-01 to 2024-03-31: 3 records; archived, 2 new, 1 already there");
    EXPECT_EQ(done->result, AuditResult::Done);
    const auto lost = HistoryDownloadedEntry(origin, cut, "the line was lost");
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->detail, "2024-03-01 to 2024-03-31: 5 records; not archived: The disk is full.");
    EXPECT_EQ(lost->result, AuditResult::Failed);
    EXPECT_EQ(lost->why, "the line was lost: 5 of 9 records had arrived");
    EXPECT_FALSE(HistoryDownloadedEntry(origin, refused, ""));
    EXPECT_FALSE(ExportWrittenEntry(origin, archived)) << "no export was asked for";

    EXPECT_FALSE(ArchiveImportedEntry(kLogger, "x.csv",
                                      {{archive::ArchiveError::WriteFailed, "full"}, {5, 5, 0, 0}}));
    const archive::ArchiveStatus lostServer{archive::ArchiveError::WriteFailed, "Lost."};
    EXPECT_FALSE(ArchiveCopiedEntry("a", "b", {lostServer, 0, 0, 0, 0}));
    const auto partCopied = ArchiveCopiedEntry("a", "b", {lostServer, 1, 0, 8, 0});
    ASSERT_TRUE(partCopied);
    EXPECT_EQ(partCopied->result, AuditResult::Failed);
}

TEST(AuditEntriesTest, ExportsAndReportsNameTheirFilesWithTheirDigests) {
    archive::DownloadInfo record;
    record.logger = kLogger;
    record.workbook = "SAVE1.xls";
    record.workbookSha256 = std::string(64, 'a');
    record.csv = "SAVE_CSV_1.csv";
    record.csvSha256 = std::string(64, 'b');
    const auto exported = ExportWrittenEntry(record);
    ASSERT_TRUE(exported);
    EXPECT_EQ(exported->detail, "workbook SAVE1.xls (SHA-256 " + record.workbookSha256 +
                                    ")\nCSV SAVE_CSV_1.csv (SHA-256 " + record.csvSha256 + ")");
    EXPECT_FALSE(ExportWrittenEntry(archive::DownloadInfo{}));

    const std::filesystem::path pdf =
        std::filesystem::temp_directory_path() / "audit_entries_report.pdf";
    {
        std::FILE* file = std::fopen(pdf.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("abc", file);
        std::fclose(file);
    }
    const archive::AuditEntry report = ReportMadeEntry(kLogger, pdf, "SAVE_CSV_1.csv");
    std::filesystem::remove(pdf);
    EXPECT_EQ(report.detail,
              "report audit_entries_report.pdf (SHA-256 "
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad)\nfrom SAVE_CSV_1.csv");
}

TEST(AuditEntriesTest, AReadSnapshotKeepsThePagesAsRead) {
    std::map<std::uint32_t, Page> pages;
    pages[0x1000].fill(0x11);
    pages[0x1100].fill(0x22);
    const archive::SettingsSnapshot snapshot = ReadSnapshot(kLogger, "V2.1", pages);
    EXPECT_EQ(snapshot.reason, archive::SnapshotReason::Read);
    EXPECT_EQ(snapshot.deviceId, kLogger.deviceId);
    EXPECT_EQ(snapshot.firmware, "V2.1");
    ASSERT_EQ(snapshot.pages.size(), 2u);
    EXPECT_EQ(snapshot.pages.at(0x1100), std::vector<std::uint8_t>(256, 0x22));
}

}  // namespace
}  // namespace lgcset::jobs
