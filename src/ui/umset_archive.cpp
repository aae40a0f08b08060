// The window's transfers kept in the archive (the same store and merge as lgcset-cli's
// `history`): the device ID learned after the export, the records merged, the counts on the
// status bar.
#include <QDate>
#include <QDateTimeEdit>
#include <QPushButton>
#include <ctime>

#include "archive/archive_open.h"
#include "data/sha256.h"
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

void Tfrm_mset::UseArchive(std::optional<std::filesystem::path> file, bool makeFolder) {
    ArchiveFile = std::move(file);
    ArchiveMakesFolder = makeFolder;
    if (ArchiveFile)
        btn_chart->setEnabled(true);
    if (chartWindow_ != nullptr)
        chartWindow_->SetArchive(ArchiveFile, ArchiveMakesFolder);
}

void Tfrm_mset::NoteSettingsRead() {
    const auto& pages = device_->ReadPages();
    const auto page = pages.find(protocol::kSystemPage);
    if (page != pages.end())
        deviceIdSinceLogin_ = session::DeviceIdOfSystemPage(device_->LoginReply(), page->second);
}

void Tfrm_mset::ArchiveExport(const std::vector<data::HistoryRecord>& records,
                              const exports::ExportResult& exported) {
    if (!ArchiveFile)
        return;
    pendingArchive_ = PendingArchive{records, exported, IsoDate(DateTimePicker1->date()),
                                     IsoDate(DateTimePicker2->date())};
    if (deviceIdSinceLogin_) {
        ArchivePending(*deviceIdSinceLogin_);
        return;
    }
    if (!LinkOpen()) {
        DropPendingArchive(QStringLiteral("the link is closed"));
        return;
    }
    // The window's settings stay as they are: the page is decoded into a scratch model.
    awaitingDeviceId_ = true;
    SendReadPage(protocol::kSystemPage);
}

bool Tfrm_mset::TakeDeviceIdPage(const protocol::ReceivedFrame& frame) {
    if (!awaitingDeviceId_ ||
        frame.command() != static_cast<std::uint8_t>(protocol::Command::ReadPage))
        return false;
    awaitingDeviceId_ = false;
    if (pendingArchive_)
        ArchivePending(session::DeviceIdOfSystemPage(device_->LoginReply(), frame.payload));
    return true;
}

void Tfrm_mset::DropPendingArchive(const QString& why) {
    awaitingDeviceId_ = false;
    if (!pendingArchive_)
        return;
    pendingArchive_.reset();
    Boxes().Show(QStringLiteral("The transfer was not archived: the device ID could not be "
                                "read (%1). The export files are written.")
                     .arg(why));
}

void Tfrm_mset::ArchivePending(const std::string& deviceId) {
    const PendingArchive pending = std::move(*pendingArchive_);
    pendingArchive_.reset();
    archive::OpenResult opened = archive::OpenArchive(ArchiveFile->string(), ArchiveMakesFolder);
    archive::AddResult added;
    if (opened.status.ok()) {
        archive::DownloadInfo download;
        download.logger = {deviceId, Settings().Text("Edit1")};
        download.firmware = Settings().Text("edt43");
        download.at = static_cast<std::int64_t>(std::time(nullptr));
        download.rangeFrom = pending.rangeFrom;
        download.rangeTo = pending.rangeTo;
        download.source = session_->CurrentLink() ? session_->CurrentLink()->Name() : "";
        download.workbook = pending.exported.workbook.filename().string();
        download.workbookSha256 = data::Sha256OfFile(pending.exported.workbook).value_or("");
        download.csv = pending.exported.csv.filename().string();
        download.csvSha256 = data::Sha256OfFile(pending.exported.csv).value_or("");
        added = opened.store->Add(download, pending.records);
    }
    const archive::ArchiveStatus& status = opened.status.ok() ? added.status : opened.status;
    if (!status.ok()) {
        Boxes().Show(QStringLiteral("The transfer was not archived: %1 The export files are "
                                    "written.")
                         .arg(QString::fromStdString(status.message)));
        return;
    }
    SetStatusText(QStringLiteral("%1 new records archived (%2 already there)")
                      .arg(added.counts.added)
                      .arg(added.counts.alreadyThere));
    stat1->Repaint();
    if (SharedId(deviceId) && !sharedIdSaid_) {
        sharedIdSaid_ = true;
        Boxes().Show(QStringLiteral("This logger has no device ID of its own (all '0'): "
                                    "loggers without their own device ID share one archive "
                                    "entry per model."));
    }
}

}  // namespace lgcset::ui
