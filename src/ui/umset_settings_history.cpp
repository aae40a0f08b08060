// "Settings History...": the archive's settings snapshots of the logger, and the restore of
// one into the widgets.
#include <QDialog>
#include <QPushButton>

#include "jobs/settings_history.h"
#include "settings/parameter_image.h"
#include "ui/message_box.h"
#include "ui/settings_history_dialog.h"
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::btn_settings_historyClick() {
    archive::ArchiveStatus why;
    archive::ArchiveStore* store = Changes().Store(why);
    if (store == nullptr) {
        Boxes().Show(why.ok() ? QStringLiteral("This run has no archive: no settings are kept.")
                              : QString::fromStdString(why.message));
        return;
    }
    archive::Rows<archive::SettingsSnapshot> read = store->Snapshots(LoggerDeviceId());
    if (!read.status.ok()) {
        Boxes().Show(QString::fromStdString(read.status.message));
        return;
    }
    if (read.rows.empty()) {
        Boxes().Show(QStringLiteral("The archive holds no settings of this logger yet."));
        return;
    }
    SettingsHistoryDialog dialog(std::move(read.rows), this);
    const bool accepted = settingsHistoryRunner ? settingsHistoryRunner(dialog)
                                                : dialog.exec() == QDialog::Accepted;
    if (accepted && dialog.Chosen())
        RestoreSnapshot(*dialog.Chosen());
}

bool Tfrm_mset::RestoreSnapshot(const archive::SettingsSnapshot& snapshot) {
    const std::string model = Settings().Text(settings::Setting::Model);
    if (model.empty()) {
        Boxes().Show(QStringLiteral(
            "Log in first: a snapshot is restored to the logger it was taken from."));
        return false;
    }
    if (const auto refusal = jobs::RestoreRefusal(snapshot, model)) {
        Boxes().Show(QString::fromStdString(*refusal));
        return false;
    }
    // Decoded as a read decodes the logger's pages, with the codes of the login.
    std::map<std::uint32_t, session::Page> pages = jobs::SnapshotPages(snapshot);
    settings::ParameterImage image;
    for (const std::uint32_t address : settings::kSettingsPages) {
        if (const auto page = pages.find(address); page != pages.end())
            image.Store(address, page->second);
        settings::DecodePage(address, Settings(), image, Codes());
    }
    restoredPages_ = std::move(pages);
    SetStatusText(QStringLiteral("Settings of %1 UTC restored: Save Settings writes them.")
                      .arg(QString::fromStdString(jobs::UtcText(snapshot.at))));
    return true;
}

}  // namespace lgcset::ui
