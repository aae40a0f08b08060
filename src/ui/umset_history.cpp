// The window's forwards to its history presenter (ui/history_presenter.h).
#include <QPushButton>
#include <utility>

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

void Tfrm_mset::NoteSettingsRead() {
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
    history_->ForgetLogger();
}

void Tfrm_mset::OnPage(const protocol::ReceivedFrame& frame) {
    history_->OnPage(frame);
}

}  // namespace lgcset::ui
