// What `write` leaves in the archive: the audit row with every change, its reason and how
// the write ended, and the pages kept before it; a write the logger refuses half way says
// which pages it lacks, in the record and on standard error alike.
#include <gtest/gtest.h>

#include "archive/archive_open.h"
#include "cli/headless_session.h"
#include "cli_support.h"

namespace lgcset::cli::test {
namespace {

using archive::AuditResult;
using archive::SnapshotReason;

TEST(CliWriteRecord, TheRowSaysWhatChangedAndHowTheWriteEnded) {
    sim::Options refusing;
    refusing.refuseEraseOf = 2048;  // after the numbers page went
    const std::string lacks = "the logger now lacks the alarm, GPRS and system pages";
    const struct {
        const char* name;
        sim::Options logger;
        int status;
        AuditResult result;
        std::vector<SnapshotReason> kept;  // after the profile's own read, the write's
    } cases[] = {
        {"verified",
         {},
         kExitOk,
         AuditResult::Verified,
         {SnapshotReason::Read, SnapshotReason::Read, SnapshotReason::BeforeWrite,
          SnapshotReason::AfterWrite}},
        {"refused half way",
         refusing,
         kExitRefused,
         AuditResult::Failed,
         {SnapshotReason::Read, SnapshotReason::Read, SnapshotReason::BeforeWrite}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Logger logger(c.logger);
        TempFolder folder;
        const std::string archive = folder.File("archive.sqlite");
        const std::string profile = folder.File("logger.ini");
        ASSERT_EQ(logger.Run({"read", profile, "--archive", archive}).status, kExitOk);
        const std::string changed = folder.File("changed.ini");
        WriteText(changed, WithValue(ReadText(profile), "port", "9000"));
        const CliResult result =
            logger.Run({"write", "--yes", "--reason", "new server", "--archive", archive, changed});
        EXPECT_EQ(result.status, c.status) << result.err;

        archive::OpenResult opened = archive::OpenArchive(archive, false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        const archive::Rows<archive::AuditRow> trail = opened.store->AuditTrail({});
        ASSERT_EQ(trail.rows.size(), 1u);
        const archive::AuditEntry& row = trail.rows[0].entry;
        EXPECT_EQ(row.action, archive::AuditAction::SettingsWritten);
        EXPECT_EQ(row.result, c.result) << row.why;
        EXPECT_EQ(row.detail, "GPRS Connection setting / Port: 8000 -> 9000");
        EXPECT_EQ(row.reason, "new server");
        std::vector<SnapshotReason> kept;
        for (const archive::SettingsSnapshot& s : opened.store->Snapshots("").rows)
            kept.push_back(s.reason);
        EXPECT_EQ(kept, c.kept);
        if (c.result != AuditResult::Failed)
            continue;
        EXPECT_TRUE(row.why.starts_with("the logger refused: ")) << row.why;
        EXPECT_TRUE(row.why.ends_with("; written: the numbers page; " + lacks)) << row.why;
        // The same refusal, in the form the window shows it.
        const std::string refusal = row.why.substr(0, row.why.find(';'));
        EXPECT_EQ(result.err,
                  "lgcset-cli: The logger now lacks the alarm, GPRS and system "
                  "pages: " +
                      refusal + " after writing the numbers page.\n");
        EXPECT_EQ(logger.simulator.Memory()[3072 + 64], 8000 & 0xFF);  // the GPRS page never went
    }
}

}  // namespace
}  // namespace lgcset::cli::test
