// What the review before a write decides and what the record keeps of it: Cancel sends
// nothing, the rows written and the reason typed reach the audit row, and the check box
// that skips the review is remembered for the next window.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "e2e_support.h"
#include "support/ui/test_home.h"
#include "ui/review_dialog.h"

namespace lgcset::ui::e2e {
namespace {

QString NoRecordKept() {
    return QString::fromUtf8(jobs::kNoRecordKept.data(),
                             static_cast<qsizetype>(jobs::kNoRecordKept.size()));
}

TEST(ReviewRecord, CancelSendsNothingAndAWriteRecordsTheRowsChosenWithTheReason) {
    TestArchive archive;
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start() && s.Login());
    TestWindow& w = *s.window;
    w.UseArchive(archive.file, false);
    w.chk_review->setChecked(true);
    ASSERT_TRUE(s.Read());
    const SettingsPages before = MemoryPages(s.logger.Memory());
    w.Settings().SetText("edt_port", "9001");
    w.Settings().SetText("edt_tel1", "+8613800138000");
    w.Settings().SetText("edt_Sensor1_High", "30.5");

    int reviews = 0;
    w.SetReviewDialogRunner([&](ReviewDialog& dialog) {
        if (++reviews == 1) {
            dialog.reason->setText(QStringLiteral("never sent"));
            dialog.cancel->click();
        } else {
            for (int r = 0; r < dialog.table->rowCount(); ++r)
                if (dialog.table->item(r, 1)->text() == QStringLiteral("No.1"))
                    dialog.SetChosen(r, false);
            dialog.reason->setText(QStringLiteral("  new server  "));
            dialog.write->click();
        }
        return dialog.result() == QDialog::Accepted;
    });
    const std::size_t replies = w.dispatched.size();
    w.btn_down->click();
    test::Pump(300);
    EXPECT_EQ(reviews, 1);
    EXPECT_EQ(w.dispatched.size(), replies);
    ExpectPages(MemoryPages(s.logger.Memory()), before);

    ASSERT_TRUE(s.Save());
    EXPECT_EQ(reviews, 2);
    const std::vector<archive::AuditRow> trail = archive.Trail(1);
    ASSERT_EQ(trail.size(), 1u);
    const archive::AuditEntry& row = trail[0].entry;
    EXPECT_EQ(row.action, archive::AuditAction::SettingsWritten);
    EXPECT_EQ(row.result, archive::AuditResult::Done) << row.why;
    EXPECT_EQ(row.reason, "new server");
    EXPECT_EQ(row.detail,
              "GPRS Connection setting / Port: 8000 -> 9001\n"
              "Alarm parameters setting1 / High: not set (999.00) -> 30.50");
    EXPECT_EQ(row.user, jobs::CurrentOperator().user);
    EXPECT_EQ(w.edt_tel1->text(), QString());  // the row left out shows the logger's value
}

// With the box off "Save Settings" writes without the review; the next window opens with
// the box as it was left. Without an archive the status says that no record was kept.
TEST(ReviewRecord, TheBoxOffWritesUnreviewedAndIsRememberedAcrossWindows) {
    support::TestHome home;
    const auto file = home.Root() / "config" / "lgcset" / "window.ini";
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    for (const bool review : {false, true}) {
        SCOPED_TRACE(review ? "on" : "off");
        s.window->RememberFoldersIn(file);
        s.window->chk_review->setChecked(review);
        ASSERT_TRUE(s.Connect());
        s.window->RememberFoldersIn(file);
        EXPECT_EQ(s.window->chk_review->isChecked(), review);
    }
    s.window->chk_review->setChecked(false);
    TestWindow& w = *s.window;
    bool reviewed = false;
    w.SetReviewDialogRunner([&](ReviewDialog&) { return reviewed = true; });
    ASSERT_TRUE(s.Login());
    w.Settings().SetText("edt_port", "9001");
    ASSERT_TRUE(s.Save());
    EXPECT_FALSE(reviewed);
    const Page gprs = MemoryPage(s.logger.Memory(), 3072);
    EXPECT_EQ(gprs[64] | gprs[65] << 8, 9001);
    EXPECT_TRUE(WaitFor([&] { return w.StatusText() == NoRecordKept(); }))
        << w.StatusText().toStdString();
}

}  // namespace
}  // namespace lgcset::ui::e2e
