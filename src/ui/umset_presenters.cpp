// The form's side of its presenters: the buttons and the functions callers know forward to
// the connection, settings and tools presenters, and the form's part of the dispatcher
// (boxes, progress bar, status bar).
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

#include "settings/parameter_image.h"
#include "ui/file_dialog_folder.h"
#include "ui/history_presenter.h"
#include "ui/message_box.h"
#include "ui/review_dialog.h"
#include "ui/settings_presenter.h"
#include "ui/settings_widgets.h"
#include "ui/status_panels.h"
#include "ui/tools_presenter.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ModalRun(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

}  // namespace

void Tfrm_mset::BuildPresenters() {
    connection_ = std::make_unique<ConnectionPresenter>(*this, serialLink_);
    settings_ = std::make_unique<SettingsPresenter>(
        *this, *connection_, [this](QFileDialog& dialog) { return RunFileDialog(dialog); });
    tools_ = std::make_unique<ToolsPresenter>(*this, *connection_);
    idJob_ = std::make_unique<jobs::DeviceIdJob>(Device());
}

// ---- Link control -----------------------------------------------------------------------

void Tfrm_mset::FillPortList() {
    connection_->FillPortList();
}

void Tfrm_mset::RefreshPortList() {
    connection_->RefreshPortList();
}

void Tfrm_mset::SetPortSource(std::function<std::vector<std::string>()> source) {
    connection_->SetPortSource(std::move(source));
}

void Tfrm_mset::UseSimulatedLogger(const std::string& portPath, const std::string& model) {
    connection_->UseSimulatedLogger(portPath, model);
}

void Tfrm_mset::UseSimulatedLogger(std::unique_ptr<session::Link> line, const std::string& name,
                                   const std::string& model) {
    connection_->UseSimulatedLogger(std::move(line), name, model);
}

void Tfrm_mset::btn8Click() {
    connection_->OpenOrClose();
}

void Tfrm_mset::CloseDeviceLink(LinkCloseReason reason) {
    const bool lost = reason == LinkCloseReason::LineLost;
    if (!connection_->Close(lost))
        return;
    // A history transfer ends with the link; it may offer to keep what had arrived.
    if (lost)
        EndHistoryTransfer("the line was lost", jobs::LineEnd::Lost);
    else
        EndHistoryTransfer("the link was closed");
    DropPendingArchive(QStringLiteral("the link closed"));
}

void Tfrm_mset::btn_stopClick() {
    connection_->Stop();
    EndHistoryTransfer("Stop was pressed");
}

void Tfrm_mset::btn_opencClick() {
    connection_->OpenAuxiliaryPort();
}

void Tfrm_mset::btn_closecClick() {
    connection_->CloseAuxiliaryPort();
}

void Tfrm_mset::DisableDeviceButtons() {
    connection_->DisableDeviceButtons();
}

void Tfrm_mset::EnableDeviceButtons() {
    connection_->EnableDeviceButtons();
}

// ---- Send path and traffic log ----------------------------------------------------------

void Tfrm_mset::TransmitFrame(std::span<const std::uint8_t> frame) {
    Session().Send(frame);
}

void Tfrm_mset::tmr_cfTimer() {
    Session().OnTimerTick();
}

void Tfrm_mset::StopResend() {
    Session().StopResend();
}

void Tfrm_mset::SetResendInterval(int milliseconds) {
    connection_->SetResendInterval(milliseconds);
}

void Tfrm_mset::SendRequest(std::uint8_t requestType) {
    Device().SendRequest(requestType);
}

void Tfrm_mset::SendLogin() {
    Device().SendLogin();
}

void Tfrm_mset::SendReadPage(std::uint32_t address) {
    Device().SendReadPage(address);
}

void Tfrm_mset::SendErasePage(std::uint32_t address) {
    Device().SendErasePage(address);
}

void Tfrm_mset::SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image) {
    Device().SendWritePage(address, image);
}

void Tfrm_mset::SendWritePage(std::uint32_t address) {
    Device().SendWritePage(address);
}

void Tfrm_mset::DispatchResponse(const protocol::ReceivedFrame& frame) {
    Device().Dispatch(frame);
}

void Tfrm_mset::EchoSent(std::span<const std::uint8_t> bytes) {
    connection_->EchoSent(bytes);
}

void Tfrm_mset::EchoReceived(std::span<const std::uint8_t> bytes) {
    connection_->EchoReceived(bytes);
}

void Tfrm_mset::FlushTrafficLog() {
    connection_->FlushTrafficLog();
}

void Tfrm_mset::RunDeviceJob(std::shared_ptr<jobs::Job> job) {
    connection_->RunJob(std::move(job));
}

// ---- Settings and profiles --------------------------------------------------------------

void Tfrm_mset::btn7Click() {
    settings_->Login();
}

void Tfrm_mset::btn_loadClick() {
    if (DeferReadSettings())
        return;
    settings_->ReadSettings();
}

void Tfrm_mset::btn_downClick() {
    settings_->SaveSettings();
}

void Tfrm_mset::btn_industrialClick() {
    settings_->FactoryReset();
}

void Tfrm_mset::btn_saveconfigureClick() {
    settings_->SaveProfile();
}

void Tfrm_mset::btn_loadconfigureClick() {
    settings_->LoadProfile();
}

void Tfrm_mset::btn_apply_templateClick() {
    settings_->ApplyTemplate();
}

void Tfrm_mset::SetFileDialogRunner(FileDialogRunner runner) {
    fileDialogRunner_ = std::move(runner);
}

void Tfrm_mset::SetReviewDialogRunner(ReviewDialogRunner runner) {
    reviewDialogRunner_ = std::move(runner);
}

bool Tfrm_mset::RunReviewDialog(ReviewDialog& dialog) {
    return reviewDialogRunner_ ? reviewDialogRunner_(dialog) : dialog.exec() == QDialog::Accepted;
}

QString Tfrm_mset::RunFileDialog(QFileDialog& dialog) {
    dialog.setDirectory(DialogStartFolder(folders_));
    const QString chosen = fileDialogRunner_ ? fileDialogRunner_(dialog) : ModalRun(dialog);
    if (dialog.fileMode() == QFileDialog::Directory)
        NoteDialogFolder(folders_, chosen);
    else
        NoteDialogFile(folders_, chosen);
    return chosen;
}

// ---- Tools ------------------------------------------------------------------------------

void Tfrm_mset::ConnectTools() {
    const auto on = [this](QPushButton* button, void (ToolsPresenter::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (*tools_.*handler)(); });
    };
    on(btn_inquire_curdat, &ToolsPresenter::QueryCurrentData);
    on(btn_acquiretime, &ToolsPresenter::ReadClock);
    on(Button4, &ToolsPresenter::SetClockFromPickers);
    on(btn_setcurtime, &ToolsPresenter::SetClockFromNow);
    on(Button3, &ToolsPresenter::StartRelay);
    on(Button2, &ToolsPresenter::StopRelay);
    on(Button5, &ToolsPresenter::DebugOn);
    on(btn_padlockregulation, &ToolsPresenter::DebugOff);
}

void Tfrm_mset::btn_inquire_curdatClick() {
    tools_->QueryCurrentData();
}

void Tfrm_mset::ShowCurrentData() {
    tools_->ShowCurrentData();
}

void Tfrm_mset::btn_acquiretimeClick() {
    tools_->ReadClock();
}

void Tfrm_mset::Button4Click() {
    tools_->SetClockFromPickers();
}

void Tfrm_mset::btn_setcurtimeClick() {
    tools_->SetClockFromNow();
}

void Tfrm_mset::Button3Click() {
    tools_->StartRelay();
}

void Tfrm_mset::Button2Click() {
    tools_->StopRelay();
}

void Tfrm_mset::Button5Click() {
    tools_->DebugOn();
}

void Tfrm_mset::btn_padlockregulationClick() {
    tools_->DebugOff();
}

void Tfrm_mset::AppendHexToMemo(QPlainTextEdit* memo, std::span<const std::uint8_t> bytes) {
    ToolsPresenter::AppendHexToMemo(memo, bytes);
}

// ---- protocol::DeviceObserver -----------------------------------------------------------

void Tfrm_mset::OnCurrentData(const protocol::ReceivedFrame& frame) {
    tools_->OnCurrentData(frame);
}

void Tfrm_mset::ShowDeviceTime(const protocol::ReceivedFrame& frame) {
    // The clock read before a transfer's query is the transfer's, not the tools' to show.
    if (history_->ReadingClock()) {
        history_->OnHistoryFrame(frame);
        return;
    }
    tools_->ShowDeviceTime(frame);
}

void Tfrm_mset::ShowDebugData(const protocol::ReceivedFrame& frame) {
    tools_->ShowDebugData(frame);
}

void Tfrm_mset::ShowMessage(std::string_view text) {
    boxes_->Show(FromView(text));
}

void Tfrm_mset::Report(const protocol::OperationOutcome& outcome) {
    connection_->PassOutcome(outcome);
    if (outcome.operation == protocol::Operation::ReadSettings &&
        outcome.result == protocol::Result::Done) {
        NoteSettingsRead();
        settings_->NoteRead();
    }
    if (outcome.operation == protocol::Operation::Login && outcome.result == protocol::Result::Done)
        settings_->LoggedIn();
    if (protocol::OutcomeShown(outcome))
        ShowMessage(protocol::OutcomeMessage(outcome));
}

bool Tfrm_mset::AskYesNo(std::string_view text, protocol::DefaultAnswer defaultAnswer) {
    return boxes_->Ask(
        FromView(text), QStringLiteral("Information"),
        defaultAnswer == protocol::DefaultAnswer::Yes ? DefaultButton::Yes : DefaultButton::No);
}

void Tfrm_mset::SetProgress(int position) {
    // A position past the end (an erase acknowledged after the fourth) shows a full bar;
    // the bar itself would ignore it.
    pb_write->setValue(std::clamp(position, pb_write->minimum(), pb_write->maximum()));
}

void Tfrm_mset::SetProgressVisible(bool visible) {
    pb_write->setVisible(visible);
}

void Tfrm_mset::ClearStatusText() {
    SetStatusText(StatusShows::Nothing, QString());
}

void Tfrm_mset::RepaintStatus() {
    stat1->Repaint();
}

void Tfrm_mset::ApplyDeviceIdentity() {
    ForgetLogger();
    settings::ApplyDeviceIdentity(Settings(), Image(), Codes());
}

}  // namespace lgcset::ui
