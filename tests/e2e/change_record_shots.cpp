// Pictures of the review before a write and of the settings history, taken on the current
// display from the window on a simulated logger: change_record_shots <output prefix>.
// The logger is read, five settings are changed and two of them left unchecked in the
// review; the settings history then compares the snapshot read with the pages written.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <filesystem>

#include "e2e_support.h"
#include "ui/app_title.h"
#include "ui/review_dialog.h"
#include "ui/settings_history_dialog.h"

namespace {

using namespace lgcset;

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

bool Shoot(QWidget& widget, const QString& file) {
    widget.show();
    widget.raise();
    Settle();
    const bool saved = widget.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ui::kApplicationTitle));
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shot");
    QTemporaryDir folder;
    const std::filesystem::path archive =
        std::filesystem::path(folder.path().toStdString()) / "archive.sqlite";

    ui::e2e::Session s{sim::Options{}};
    if (!s.Start() || !s.Login()) {
        std::fprintf(stderr, "the simulated logger did not log in\n");
        return 1;
    }
    ui::test::TestWindow& w = *s.window;
    w.UseArchive(archive, false);
    w.chk_review->setChecked(true);
    if (!s.Read())
        return 1;
    const std::pair<const char*, const char*> edits[] = {
        {"edt_port", "9001"},  {"edt_ip1", "lgc.example.com"}, {"edt_apn", "cmnet"},
        {"edt_rec_time", ""},  {"edt_Sensor1_High", "8.00"}};
    for (const auto& [widget, typed] : edits) w.Settings().SetText(widget, typed);

    bool shot = false;
    w.SetReviewDialogRunner([&](ui::ReviewDialog& dialog) {
        for (int r = 0; r < dialog.table->rowCount(); ++r) {
            const QString setting = dialog.table->item(r, 1)->text();
            if (setting == "Target Server IP(DNS)" || setting == "Access Point Name")
                dialog.SetChosen(r, false);
        }
        dialog.reason->setText(QStringLiteral("Cold room 3: new collector port, tighter high limit"));
        dialog.resize(760, dialog.sizeHint().height());
        shot = Shoot(dialog, prefix + "review-changes.png");
        dialog.write->click();
        return dialog.result() == QDialog::Accepted;
    });
    if (!s.Save() || !shot)
        return 1;

    shot = false;
    w.settingsHistoryRunner = [&](ui::SettingsHistoryDialog& dialog) {
        dialog.Select({0, 1});
        dialog.resize(760, 480);
        shot = Shoot(dialog, prefix + "settings-history.png");
        return false;
    };
    w.btn_settings_history->click();
    Settle();
    return shot ? 0 : 1;
}
