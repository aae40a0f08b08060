// "Save Settings" reviewed first: the logger's settings are read when they were not, the
// rows left unchecked keep the logger's values, and a write that changes nothing sends none.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "e2e_support.h"
#include "ui/review_dialog.h"

namespace lgcset::ui::e2e {
namespace {

TEST(ReviewBeforeWrite, UncheckedRowsKeepTheLoggersValuesAndNoChangeWritesNothing) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Login());
    TestWindow& w = *s.window;
    w.chk_review->setChecked(true);
    const std::pair<const char*, const char*> edits[] = {
        {"edt_port", "9001"},     {"edt_ip1", "lgc.example.com"}, {"edt_apn", "cmnet"},
        {"edt_Sensor1_SLow", ""},  // "not set" as the logger holds it: no change
        {"edt_rec_time", ""},     {"edt_Sensor1_High", "30.5"}};
    for (const auto& [widget, typed] : edits) w.Settings().SetText(widget, typed);
    const QStringList leftOut{"Target Server IP(DNS)", "Log interval timer"};

    QStringList shown;
    w.SetReviewDialogRunner([&](ReviewDialog& dialog) {
        for (int r = 0; r < dialog.table->rowCount(); ++r) {
            shown << dialog.table->item(r, 1)->text() + ": " + dialog.table->item(r, 2)->text() +
                         " -> " + dialog.table->item(r, 3)->text();
            if (leftOut.contains(dialog.table->item(r, 1)->text()))
                dialog.SetChosen(r, false);
        }
        EXPECT_EQ(dialog.write->text(), QStringLiteral("Write 3 changes"));
        dialog.reason->setText(QStringLiteral("new server"));
        dialog.write->click();
        return dialog.result() == QDialog::Accepted;
    });
    ASSERT_TRUE(s.Save());  // read first, reviewed, then written
    EXPECT_EQ(shown,
              (QStringList{"Log interval timer: 5 -> not set (255)",
                           "Target Server IP(DNS):  -> lgc.example.com", "Port: 8000 -> 9001",
                           "Access Point Name:  -> cmnet", "High: not set (999.00) -> 30.50"}));

    // The widgets show what was written; a fresh read finds the same in the logger.
    const auto memory = s.logger.Memory();
    EXPECT_EQ(MemoryPage(memory, 3072)[64] | MemoryPage(memory, 3072)[65] << 8, 9001);
    ASSERT_TRUE(s.Read());
    EXPECT_EQ(w.Settings().Text("edt_ip1"), "");
    EXPECT_EQ(w.Settings().Text("edt_rec_time"), "5");
    EXPECT_EQ(w.Settings().Text("edt_apn"), "cmnet");

    const std::size_t replies = w.dispatched.size();
    w.btn_down->click();
    EXPECT_TRUE(WaitForBox(w, QStringLiteral("The logger holds these settings already: "
                                             "nothing to write.")));
    test::Pump(50);
    EXPECT_EQ(w.dispatched.size(), replies);
}

}  // namespace
}  // namespace lgcset::ui::e2e
