// The export of a history transfer: the workbook and the CSV file, written by the plain
// export code while the window stays alive between records and "Stop" can end it; and the
// folder they go to.
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>

#include "analysis/sensor_setup.h"
#include "export/history_export.h"
#include "project_version.h"
#include "settings/settings_model.h"
#include "ui/desktop_open.h"
#include "ui/message_box.h"
#include "ui/status_texts.h"
#include "ui/umset.h"

namespace lgcset::ui {
namespace {

constexpr qint64 kEventInterval = 10;  // milliseconds

std::filesystem::path PathOf(const QString& folder) {
    return std::filesystem::path(folder.toStdU16String());
}

QString ShownFolder(const std::filesystem::path& folder) {
    return QDir::toNativeSeparators(QString::fromStdU16String(folder.u16string()));
}

std::vector<std::filesystem::path> DefaultFolders() {
    std::vector<std::filesystem::path> folders{PathOf(QCoreApplication::applicationDirPath())};
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        folders.push_back(PathOf(documents));
    return folders;
}

}  // namespace

void Tfrm_mset::RememberFoldersIn(std::optional<std::filesystem::path> file) {
    folders_.UseFile(std::move(file));
    ShowExportFolder();
}

void Tfrm_mset::ShowExportFolder() {
    btn_exportfolder->setToolTip(QDir::toNativeSeparators(folders_.ExportFolder()));
}

void Tfrm_mset::btn_exportfolderClick() {
    QFileDialog dialog(this, QStringLiteral("Export folder"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString folder = RunFileDialog(dialog);
    if (folder.isEmpty())
        return;
    folders_.SetExportFolder(QDir(folder).absolutePath());
    ShowExportFolder();
}

exports::ExportManifest Tfrm_mset::ExportOrigin() {
    exports::ExportManifest origin;
    origin.program = "lgcset";
    origin.version = kVersion;
    origin.model = Settings().Text(settings::Setting::Model);
    origin.firmware = Settings().Text(settings::Setting::Firmware);
    origin.rangeFrom = DateTimePicker1->date().toString(Qt::ISODate).toStdString();
    origin.rangeTo = DateTimePicker2->date().toString(Qt::ISODate).toStdString();
    if (historyEndReason_) {
        origin.complete = false;
        origin.endedEarly = *historyEndReason_;
    } else if (historyQuery_->LeftOut() > 0) {
        origin.complete = false;
        origin.endedEarly = std::to_string(historyQuery_->LeftOut()) +
                            " records did not fit in the program's store";
    }
    // The ID and the limits as the logger holds them, not as the boxes may have been
    // edited since. The ID may come from its page alone, read before the transfer; the
    // limits only from its settings read since the login.
    if (deviceIdSinceLogin_)
        origin.deviceId = *deviceIdSinceLogin_;
    if (settingsReadSinceLogin_) {
        settings::SettingsModel read;
        settings::DecodeAlarmPage(read, Image(), Codes());
        const analysis::SensorSetups setups =
            analysis::SetupsFromSettings(read, settings::LayoutForModel(origin.model));
        origin.limits.emplace();
        for (std::size_t s = 0; s < setups.size(); ++s)
            (*origin.limits)[s] = setups[s].limits;
    }
    return origin;
}

void Tfrm_mset::ExportHistory() {
    SetStatusText(StatusShows::Exporting, ExportingStatusText());
    stat1->Repaint();

    exports::ExportOptions options;
    // The chosen folder first; when it cannot be written, where the files went without it.
    const QString chosen = folders_.ExportFolder();
    if (!chosen.isEmpty())
        options.folders.push_back(PathOf(chosen));
    if (ExportFolders.empty())
        for (const std::filesystem::path& folder : DefaultFolders())
            options.folders.push_back(folder);
    else
        options.folders.insert(options.folders.end(), ExportFolders.begin(), ExportFolders.end());
    options.decimalSeparator = QLocale().decimalPoint().toStdString();  // the system's unless set
    if (ExportClock)
        options.clock = ExportClock;
    options.origin = ExportOrigin();
    // Pending events are taken before the first record and then every few milliseconds:
    // as alive as after every record, without a full sheet's export spending most of its
    // time looking for events that are not there.
    QElapsedTimer sinceEvents;
    options.beforeRecord = [this, &sinceEvents](std::size_t record, std::optional<int> progress) {
        if (record == 0 || sinceEvents.elapsed() >= kEventInterval) {
            QCoreApplication::processEvents();
            sinceEvents.start();
        }
        if (StopRequested)
            return false;
        if (progress)
            pb_write->setValue(*progress);
        return true;
    };
    // The records are copied first: a new query started while events are processed
    // refills the store, and the files must hold the transfer that has ended.
    const std::size_t count = HistoryCount;
    const std::uint64_t transfer = historyQuery_->Run();
    const std::uint32_t repeats = historyQuery_->Repeats();
    const std::vector<data::HistoryRecord> records(History.data(), History.data() + count);
    const exports::ExportResult result = exports::ExportHistory(records.data(), count, options);

    using Outcome = exports::ExportResult::Outcome;
    if (result.outcome == Outcome::Stopped)
        return;
    ClearStatusText();
    stat1->Repaint();
    if (result.outcome == Outcome::Failed) {
        Boxes().Error(QStringLiteral("no operate Excel file!"),
                      QString::fromStdString(result.error));
        return;
    }
    // Only while the store still holds the exported transfer: once a new query has started,
    // its slots are its own. Clearing before events are let in would not do: a stopped or
    // failed export saved nothing, and its records keep their flags.
    if (historyQuery_->Run() == transfer) {
        exports::ClearSensorPresentFlags(History.data(), count);
        transferCsv_ = QString::fromStdString(result.csv.string());
    }
    ArchiveExport(records, result);

    const QString workbook = QString::fromStdString(result.workbook.string());
    const QString csv = QString::fromStdString(result.csv.string());
    QString detail = QStringLiteral("Excel file: %1\nCSV file: %2").arg(workbook, csv);
    if (!chosen.isEmpty() && result.workbook.parent_path() != PathOf(chosen))
        detail =
            QStringLiteral("The export folder %1 cannot be written; the files went to %2.\n")
                .arg(QDir::toNativeSeparators(chosen), ShownFolder(result.workbook.parent_path())) +
            detail;
    if (result.invalidTimes > 0)
        detail += QStringLiteral(
                      "\n%1 of %2 records had no valid date and time; their time "
                      "cells hold the logger's fields as text.")
                      .arg(result.invalidTimes)
                      .arg(count);
    if (repeats > 0)
        detail +=
            QStringLiteral("\n%1.").arg(QString::fromStdString(data::RepeatedRecordsText(repeats)));
    Boxes().ShowDetailed(
        QStringLiteral("Historical Data Saved as Excel file and CSV file success."), detail);

    const QString caption = QStringLiteral("Information");
    const std::pair<QString, QString> offers[] = {
        {QStringLiteral("Open to view the excel file?"), workbook},
        {QStringLiteral("Open to view the CSV file?"), csv}};
    for (const auto& [question, path] : offers) {
        if (!Boxes().AskOkCancel(question, caption))
            continue;
        const int code =
            OpenExportedFile ? OpenExportedFile(path) : OpenWithDesktop(DesktopOpener, path);
        if (code != 0)
            Boxes().Show(QStringLiteral("Open file error code:") + QString::number(code));
    }
}

}  // namespace lgcset::ui
