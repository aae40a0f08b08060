// The window's forwards to its history presenter (ui/history_presenter.h).
#include <QCheckBox>
#include <QPushButton>
#include <utility>

#include "jobs/audit_entries.h"
#include "protocol/command_codes.h"
#include "session/device_identity.h"
#include "ui/history_presenter.h"
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::BuildHistoryQuery() {
    history_ = std::make_unique<HistoryPresenter>(*this);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void Tfrm_mset::Button1Click() {
    history_->Query();
}

void Tfrm_mset::EndHistoryTransfer(const std::string& why, jobs::LineEnd line) {
    history_->EndTransfer(line, why);
}

bool Tfrm_mset::HistoryReadingClock() const {
    return history_->ReadingClock();
}

const data::HistoryQuery& Tfrm_mset::HistoryQueryState() const {
    return history_->QueryState();
}

void Tfrm_mset::OnHistoryCount(const protocol::ReceivedFrame& frame) {
    history_->OnHistoryFrame(frame);
}

void Tfrm_mset::OnHistoryRecord(const protocol::ReceivedFrame& frame) {
    history_->OnHistoryFrame(frame);
}

void Tfrm_mset::ExportHistory() {
    history_->ExportHeld();
}

void Tfrm_mset::HistoryTransferEnded() {
    history_->TakeHeldForChart();
}

void Tfrm_mset::btn_chartClick() {
    history_->OpenChart();
}

HistoryChartWindow* Tfrm_mset::ChartWindow() const {
    return history_->ChartWindow();
}

void Tfrm_mset::RememberFoldersIn(std::optional<std::filesystem::path> file) {
    folders_.UseFile(std::move(file));
    chk_review->setChecked(folders_.ReviewBeforeWriting());
    ShowExportFolder();
}

void Tfrm_mset::ShowExportFolder() {
    history_->ShowExportFolder();
}

void Tfrm_mset::btn_exportfolderClick() {
    history_->ChooseExportFolder();
}

void Tfrm_mset::UseArchive(std::optional<std::filesystem::path> file, bool makeFolder,
                           bool throwaway) {
    ArchiveFile = std::move(file);
    ArchiveMakesFolder = makeFolder;
    ArchiveThrowaway = throwaway;
    changes_.reset();
    history_->ArchiveChanged();
}

jobs::ChangeLog& Tfrm_mset::Changes() {
    if (!changes_)
        changes_ = ArchiveFile ? std::make_unique<jobs::ChangeLog>(
                                     ArchiveFile->string(), ArchiveMakesFolder, jobs::CurrentOperator())
                               : std::make_unique<jobs::ChangeLog>();
    return *changes_;
}

void Tfrm_mset::RecordChange(const std::optional<archive::AuditEntry>& entry) {
    if (!entry)
        return;
    if (!Changes().Keeps()) {
        SetStatusText(StatusShows::Other, QString::fromUtf8(jobs::kNoRecordKept.data(),
                                                            jobs::kNoRecordKept.size()));
        return;
    }
    if (const archive::ArchiveStatus kept = Changes().Record(*entry); !kept.ok())
        SetStatusText(StatusShows::Other, QString::fromStdString(jobs::NotRecordedLine(kept)));
}

void Tfrm_mset::KeepReadSettings() {
    if (!Changes().Keeps())
        return;
    session::DeviceSession& device = Device();
    const auto& pages = device.ReadPages();
    const auto system = pages.find(protocol::kSystemPage);
    const std::string id = system == pages.end()
                               ? std::string()
                               : session::DeviceIdOfSystemPage(device.LoginReply(), system->second);
    const archive::ArchiveStatus kept = Changes().Keep(jobs::ReadSnapshot(
        {id, Settings().Text(settings::Setting::Model)},
        Settings().Text(settings::Setting::Firmware), pages));
    if (!kept.ok())
        SetStatusText(StatusShows::Other,
                      QString::fromStdString(kept.message + " The settings read were not kept."));
}

archive::LoggerKey Tfrm_mset::LoggerOnLine() {
    return {LoggerDeviceId(), Settings().Text(settings::Setting::Model)};
}

std::string Tfrm_mset::LineEndText(jobs::LineEnd why) {
    switch (why) {
        case jobs::LineEnd::Timeout:
            return "the logger stopped answering (Send command timeout)";
        case jobs::LineEnd::Lost:
            return "the line to the logger was lost";
        case jobs::LineEnd::Closed:
            break;
    }
    return "the link was closed";
}

void Tfrm_mset::NoteSettingsRead() {
    restoredPages_.reset();
    history_->NoteSettingsRead();
}

bool Tfrm_mset::DeferReadSettings() {
    return history_->DeferReadSettings();
}

void Tfrm_mset::DropPendingArchive(const QString& why) {
    history_->DropPendingArchive(why);
}

std::string Tfrm_mset::LoggerDeviceId() const {
    return history_->DeviceIdSinceLogin();
}

void Tfrm_mset::ForgetLogger() {
    restoredPages_.reset();
    history_->ForgetLogger();
}

void Tfrm_mset::OnPage(const protocol::ReceivedFrame& frame) {
    history_->OnPage(frame);
}

}  // namespace lgcset::ui
