// "Open from Archive...": a logger's readings over any range of days, read from the archive
// and charted with their statistics, as a transfer's are.
#include <QPushButton>
#include <QStringList>

#include "archive/archive_open.h"
#include "ui/archive_pick_dialog.h"
#include "ui/history_chart_window.h"
#include "ui/message_box.h"

namespace lgcset::ui {

void SayMerged(MessageBoxes& boxes, const archive::OpenResult& opened) {
    QStringList lines;
    for (const archive::TwinMerge& merge : opened.merged)
        lines << QString::fromStdString(archive::MergedLine(merge));
    if (!lines.isEmpty())
        boxes.Show(lines.join(QLatin1Char('\n')));
}

void HistoryChartWindow::SetArchive(std::optional<std::filesystem::path> file, bool makeFolder) {
    archiveFile_ = std::move(file);
    archiveMakesFolder_ = makeFolder;
    btn_archive_->setEnabled(archiveFile_.has_value());
}

bool HistoryChartWindow::OpenFromArchive(const archive::LoggerSummary& logger, const QDate& from,
                                         const QDate& to) {
    if (!archiveFile_)
        return false;
    archive::OpenResult opened = archive::OpenArchive(archiveFile_->string(), archiveMakesFolder_);
    SayMerged(boxes_(), opened);
    if (!opened.status.ok()) {
        boxes_().Show(QString::fromStdString(opened.status.message));
        return false;
    }
    archive::Rows<data::HistoryRecord> read =
        opened.store->Readings(logger.logger, DayStart(from), DayEnd(to));
    if (!read.status.ok()) {
        boxes_().Show(QString::fromStdString(read.status.message));
        return false;
    }
    auto records = std::make_shared<const std::vector<data::HistoryRecord>>(std::move(read.rows));
    const QString id = QString::fromStdString(logger.logger.deviceId);
    const QString model = QString::fromStdString(logger.logger.model);
    const QString range = QStringLiteral("%1 to %2").arg(from.toString(Qt::ISODate),
                                                          to.toString(Qt::ISODate));
    if (records->empty()) {
        boxes_().Show(QStringLiteral("The archive holds no readings of %1 (%2) from %3.")
                          .arg(id, model, range));
        return false;
    }
    SetLogger(model, QString::fromStdString(logger.firmware), id);
    ShowRecords(records, QStringLiteral("archive of %1 (%2), %3").arg(id, model, range), QString());
    return true;
}

void HistoryChartWindow::btn_archiveClick() {
    if (!archiveFile_)
        return;
    archive::OpenResult opened = archive::OpenArchive(archiveFile_->string(), archiveMakesFolder_);
    SayMerged(boxes_(), opened);
    if (!opened.status.ok()) {
        boxes_().Show(QString::fromStdString(opened.status.message));
        return;
    }
    archive::Rows<archive::LoggerSummary> read = opened.store->Loggers();
    opened.store.reset();
    if (!read.status.ok()) {
        boxes_().Show(QString::fromStdString(read.status.message));
        return;
    }
    std::vector<archive::LoggerSummary> loggers = std::move(read.rows);
    if (loggers.empty()) {
        boxes_().Show(QStringLiteral("The archive holds no transfers yet."));
        return;
    }
    ArchivePickDialog dialog(std::move(loggers), this);
    const bool accepted = pickRunner ? pickRunner(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted || dialog.Picked() == nullptr)
        return;
    if (dialog.From() > dialog.To()) {
        boxes_().Show(QStringLiteral("The range ends before it begins."));
        return;
    }
    OpenFromArchive(*dialog.Picked(), dialog.From(), dialog.To());
}

}  // namespace lgcset::ui
