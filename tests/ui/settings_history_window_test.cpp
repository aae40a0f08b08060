#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>

#include "archive/archive_open.h"
#include "support/settings_snapshot.h"
#include "support/ui/test_home.h"
#include "ui/settings_history_dialog.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using archive::SettingsSnapshot;
using support::CustomerSnapshot;

QString Row(const QTableWidget& table, int row) {
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column)
        cells << table.item(row, column)->text();
    return cells.join(QLatin1Char('|'));
}

TEST(SettingsHistoryWindow, ListsTheLoggersSnapshotsComparesTwoAndRestoresOnlyItsOwnModel) {
    struct Case {
        const char* restoredModel;
        QString box;   // empty: restored
        QString port;  // the widget's afterwards
    };
    const std::vector<Case> cases{
        {"R481", {}, "8996"},
        {"R483",
         "This snapshot was taken from an R483; the logger is an R481: it cannot be restored.",
         "9001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.restoredModel);
        support::TestHome home;
        const std::filesystem::path file = home.Root() / "archive.sqlite";
        SettingsSnapshot changed =
            CustomerSnapshot(c.restoredModel, 1'772'360'200, archive::SnapshotReason::AfterWrite);
        changed.pages.at(protocol::kGprsPage)[64] = 0x24;  // port 8996
        {
            archive::OpenResult opened = archive::OpenArchive(file.string(), false);
            ASSERT_TRUE(opened.status.ok()) << opened.status.message;
            for (const SettingsSnapshot& s : {CustomerSnapshot(c.restoredModel), changed})
                ASSERT_TRUE(opened.store->AddSnapshot(s).status.ok());
        }
        auto window = MakeWindow();
        window->UseArchive(file, false);
        window->Edit1->setText(QStringLiteral("R481"));  // as a login leaves it
        window->edt_port->setText(QStringLiteral("9001"));
        window->settingsHistoryRunner = [](SettingsHistoryDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_settings_history"));
            EXPECT_EQ(dialog.Table()->rowCount(), 2);
            EXPECT_EQ(Row(*dialog.Table(), 1).section(QLatin1Char('|'), 1),
                      QStringLiteral("2026-03-01 10:16:40|after write|V3.05-R48x"));
            dialog.Select({0, 1});
            EXPECT_FALSE(dialog.RestoreButton()->isEnabled());
            EXPECT_EQ(dialog.Differences()->rowCount(), 1);
            EXPECT_EQ(Row(*dialog.Differences(), 0), QStringLiteral("Port|9001|8996"));
            dialog.Select({1});
            EXPECT_EQ(dialog.Differences()->rowCount(), 0);
            dialog.findChild<QPushButton*>(QStringLiteral("btn_restore_snapshot"))->click();
            return dialog.result() == QDialog::Accepted;
        };
        window->findChild<QPushButton*>(QStringLiteral("btn_settings_history"))->click();
        EXPECT_EQ(window->edt_port->text(), c.port);
        EXPECT_EQ(window->RestoredPages().has_value(), c.box.isEmpty());
        if (c.box.isEmpty()) {
            ASSERT_TRUE(window->boxes.Boxes().empty());
            EXPECT_EQ(window->RestoredPages()->at(protocol::kGprsPage)[64], 0x24);
        } else {
            ASSERT_EQ(window->boxes.Boxes().size(), 1u);
            EXPECT_EQ(window->boxes.Boxes().front().text, c.box);
        }
    }
}

}  // namespace
}  // namespace lgcset::ui::test
