// What the window records of a session with the simulated logger: the settings it read and
// the clock it set, in the archive it keeps.
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>

#include "archive/archive_open.h"
#include "e2e_support.h"
#include "support/exact_log.h"

namespace lgcset::ui::e2e {
namespace {

TEST(WindowChangeRecord, ReadSettingsKeepsASnapshotAndAClockSetIsRecordedWithBothTimes) {
    QTemporaryDir folder;
    const std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "archive.sqlite";
    Session s(support::HourlyLog(24, "101"));
    ASSERT_TRUE(s.Start() && s.Login());
    s.window->UseArchive(file, false);
    ASSERT_TRUE(s.Read());
    s.window->btn_setcurtime->click();

    archive::OpenResult opened = archive::OpenArchive(file.string(), false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    archive::Rows<archive::AuditRow> trail;
    ASSERT_TRUE(test::WaitFor([&] {
        trail = opened.store->AuditTrail({});
        return !trail.rows.empty();
    }));
    ASSERT_EQ(trail.rows.size(), 1u);
    const archive::AuditEntry& set = trail.rows[0].entry;
    EXPECT_EQ(set.action, archive::AuditAction::ClockSet);
    EXPECT_EQ(set.result, archive::AuditResult::Done);
    EXPECT_EQ(set.deviceId, "000000000000101");
    // The time the logger held was read first: no "not read" on the left.
    EXPECT_TRUE(set.detail.starts_with("Clock: 20")) << set.detail;

    const archive::Rows<archive::SettingsSnapshot> snapshots = opened.store->Snapshots("");
    ASSERT_EQ(snapshots.rows.size(), 1u);
    EXPECT_EQ(snapshots.rows[0].reason, archive::SnapshotReason::Read);
    EXPECT_EQ(snapshots.rows[0].deviceId, "000000000000101");
    EXPECT_EQ(snapshots.rows[0].pages.size(), 4u);
}

// Without an archive the set is made all the same and the status says nothing keeps it.
TEST(WindowChangeRecord, WithoutAnArchiveTheStatusSaysNoRecordWasKept) {
    Session s(support::HourlyLog(24, "101"));
    ASSERT_TRUE(s.Start() && s.Login());
    s.window->btn_setcurtime->click();
    EXPECT_TRUE(test::WaitFor([&] {
        return s.window->StatusText() == QString::fromUtf8(jobs::kNoRecordKept.data(),
                                                           jobs::kNoRecordKept.size());
    })) << s.window->StatusText().toStdString();
}

}  // namespace
}  // namespace lgcset::ui::e2e
