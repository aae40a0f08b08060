// The window's transfers kept in the archive (the same store and merge as lgcset-cli's
// `history`): the device ID learned before the transfer, the records merged, the counts on
// the status bar.
#include <QDate>
#include <QDateTimeEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

#include "archive/archive_open.h"
#include "archive/throwaway_archive.h"
#include "jobs/download_record.h"
#include "jobs/settings_jobs.h"
#include "protocol/command_codes.h"
#include "session/device_identity.h"
#include "ui/history_chart_window.h"
#include "ui/message_box.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::string IsoDate(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

bool SharedId(const std::string& id) {
    return id.find_first_not_of('0') == std::string::npos;
}

}  // namespace

void Tfrm_mset::UseArchive(std::optional<std::filesystem::path> file, bool makeFolder,
                           bool throwaway) {
    ArchiveFile = std::move(file);
    ArchiveMakesFolder = makeFolder;
    ArchiveThrowaway = throwaway;
    if (ArchiveFile)
        btn_chart->setEnabled(true);
    if (chartWindow_ != nullptr)
        chartWindow_->SetArchive(ArchiveFile, ArchiveMakesFolder);
}

void Tfrm_mset::NoteSettingsRead() {
    const auto& pages = Device().ReadPages();
    const auto page = pages.find(protocol::kSystemPage);
    if (page == pages.end())
        return;
    settingsReadSinceLogin_ = true;
    deviceIdSinceLogin_ = session::DeviceIdOfSystemPage(Device().LoginReply(), page->second);
    if (!pendingArchives_.empty())
        ArchivePending(*deviceIdSinceLogin_);
}

void Tfrm_mset::ArchiveExport(const std::vector<data::HistoryRecord>& records,
                              const exports::ExportResult& exported) {
    if (!ArchiveFile)
        return;
    pendingArchives_.push_back(PendingArchive{records, exported, IsoDate(DateTimePicker1->date()),
                                              IsoDate(DateTimePicker2->date()), transferEnd_});
    if (deviceIdSinceLogin_) {
        ArchivePending(*deviceIdSinceLogin_);
        return;
    }
    if (!LinkOpen()) {
        DropPendingArchive(QStringLiteral("the link is closed"));
        return;
    }
    AwaitDeviceId();
}

bool Tfrm_mset::DeferQueryForDeviceId(const data::QueryRange& range) {
    // A range the query refuses is refused at once, without asking the logger.
    if (!ArchiveFile || deviceIdSinceLogin_ || !LinkOpen() ||
        data::RangeMonths(range) >= data::kTooManyMonths)
        return false;
    queryAfterId_ = range;
    readSettingsAfterId_ = false;
    AwaitDeviceId();
    return true;
}

void Tfrm_mset::AwaitDeviceId() {
    // Only the last request is sent again: unless the ID's request is still that one, a
    // request sent since (another transfer) took its place and its reply may never come.
    const auto resent = Session().ResendCopy();
    if (awaitingDeviceId_ && Session().Resending() &&
        std::equal(resent.begin(), resent.end(), idReadFrame_.begin(), idReadFrame_.end()))
        return;
    SendDeviceIdRead();
}

void Tfrm_mset::SendDeviceIdRead() {
    // The window's settings stay as they are: the page is decoded into a scratch model.
    awaitingDeviceId_ = true;
    idJob_->Start();
    const auto sent = Session().ResendCopy();
    idReadFrame_.assign(sent.begin(), sent.end());
}

bool Tfrm_mset::DeferReadSettings() {
    if (!awaitingDeviceId_)
        return false;
    readSettingsAfterId_ = true;
    queryAfterId_.reset();
    AwaitDeviceId();
    return true;
}

void Tfrm_mset::OnPage(const protocol::ReceivedFrame& frame) {
    if (!awaitingDeviceId_)
        return;
    idJob_->OnData(frame);
    if (idJob_->Ended())
        DeviceIdRead();
}

void Tfrm_mset::DeviceIdRead() {
    awaitingDeviceId_ = false;
    // The same logger until the next login.
    deviceIdSinceLogin_ = idJob_->Result().deviceId;
    if (!pendingArchives_.empty())
        ArchivePending(*deviceIdSinceLogin_);
    if (std::exchange(readSettingsAfterId_, false))
        RunDeviceJob(std::make_shared<jobs::ReadSettingsJob>(Device()));
    else if (const auto range = std::exchange(queryAfterId_, std::nullopt))
        historyQuery_->Start(*range);
}

void Tfrm_mset::DropPendingArchive(const QString& why) {
    awaitingDeviceId_ = false;
    readSettingsAfterId_ = false;
    queryAfterId_.reset();
    if (pendingArchives_.empty())
        return;
    const std::size_t dropped = pendingArchives_.size();
    pendingArchives_.clear();
    const QString what = dropped == 1 ? QStringLiteral("The transfer was not archived")
                                      : QStringLiteral("The last %1 transfers were not archived")
                                            .arg(dropped);
    Boxes().Show(QStringLiteral("%1: the device ID could not be read (%2). The export files are "
                                "written.")
                     .arg(what, why));
}

void Tfrm_mset::ArchivePending(const std::string& deviceId) {
    std::vector<PendingArchive> pending = std::move(pendingArchives_);
    pendingArchives_.clear();
    archive::OpenResult opened = archive::OpenArchive(ArchiveFile->string(), ArchiveMakesFolder);
    SayMerged(Boxes(), opened);
    archive::ArchiveStatus status = opened.status;
    archive::AddCounts total;
    std::optional<TransferEnd> early;  // the last transfer archived that had ended early
    std::size_t archived = 0;  // in order; the first failure ends the run
    while (status.ok() && archived < pending.size()) {
        const PendingArchive& transfer = pending[archived];
        const jobs::DownloadOrigin origin{
            {deviceId, Settings().Text(settings::Setting::Model)}, Settings().Text(settings::Setting::Firmware), transfer.rangeFrom,
            transfer.rangeTo, Session().CurrentLink() ? Session().CurrentLink()->Name() : ""};
        const archive::AddResult added = opened.store->Add(
            jobs::DownloadRecord(origin, jobs::SavedFilesOf(transfer.exported)), transfer.records);
        status = added.status;
        if (status.ok()) {
            total.added += added.counts.added;
            total.alreadyThere += added.counts.alreadyThere;
            if (transfer.end.early)
                early = transfer.end;
            ++archived;
        }
    }
    if (!status.ok()) {
        const std::size_t lost = pending.size() - archived;
        const QString what = lost == 1 ? QStringLiteral("The transfer was not archived")
                                       : QStringLiteral("The last %1 transfers were not archived")
                                             .arg(lost);
        Boxes().Show(QStringLiteral("%1: %2 The export files are written.")
                         .arg(what, QString::fromStdString(status.message)));
        return;
    }
    QString text = QStringLiteral("%1 new records archived (%2 already there)")
                       .arg(total.added)
                       .arg(total.alreadyThere);
    if (ArchiveThrowaway)
        text += QStringLiteral(" ") + QString::fromUtf8(archive::kThrowawayNote);
    // Said as lgcset-cli collect says it of a port whose line was lost.
    if (early)
        text += QStringLiteral("; the transfer ended early: %1 of %2 records had arrived")
                    .arg(early->arrived)
                    .arg(early->total);
    SetStatusText(StatusShows::ArchiveCounts, text);
    stat1->Repaint();
    if (SharedId(deviceId) && !sharedIdSaid_) {
        sharedIdSaid_ = true;
        Boxes().Show(QStringLiteral("This logger has no device ID of its own (all '0'): "
                                    "loggers without their own device ID share one archive "
                                    "entry per model."));
    }
}

}  // namespace lgcset::ui
