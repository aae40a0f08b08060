// The window's side of the conversation with the logger: the session on tmr_cf, the
// requests the buttons send, the traffic log, and what the session reports.
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "protocol/commands.h"
#include "ui/message_box.h"
#include "ui/status_panels.h"
#include "ui/traffic_log.h"
#include "ui/umset.h"

namespace lgcset::ui {

void Tfrm_mset::BuildSession() {
    resendTimer_ = std::make_unique<QtResendTimer>(*tmr_cf);
    session::SessionObserver& observer = *this;
    session_ = std::make_unique<session::LoggerSession>(*resendTimer_, observer);
    session_->SetResendInterval(std::chrono::milliseconds(tmr_cf->interval()));
    device_ = std::make_unique<session::DeviceSession>(*session_, Settings(), *this);
    idJob_ = std::make_unique<jobs::DeviceIdJob>(*device_);
}

session::Link& Tfrm_mset::LineFor(const std::string& name) {
    if (simulatedLink_ && name == simulatedName_)
        return *simulatedLink_;
    return serialLink_;
}

void Tfrm_mset::TransmitFrame(std::span<const std::uint8_t> frame) {
    session_->Send(frame);
}

void Tfrm_mset::tmr_cfTimer() {
    session_->OnTimerTick();
}

void Tfrm_mset::StopResend() {
    session_->StopResend();
}

void Tfrm_mset::SetResendInterval(int milliseconds) {
    session_->SetResendInterval(std::chrono::milliseconds(milliseconds));
    if (!tmr_cf->isActive())
        tmr_cf->setInterval(milliseconds);
}

void Tfrm_mset::SendRequest(std::uint8_t requestType) {
    device_->SendRequest(requestType);
}

void Tfrm_mset::SendLogin() {
    device_->SendLogin();
}

void Tfrm_mset::SendReadPage(std::uint32_t address) {
    device_->SendReadPage(address);
}

void Tfrm_mset::SendErasePage(std::uint32_t address) {
    device_->SendErasePage(address);
}

void Tfrm_mset::SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image) {
    device_->SendWritePage(address, image);
}

void Tfrm_mset::SendWritePage(std::uint32_t address) {
    device_->SendWritePage(address);
}

void Tfrm_mset::DispatchResponse(const protocol::ReceivedFrame& frame) {
    device_->Dispatch(frame);
}

void Tfrm_mset::EchoSent(std::span<const std::uint8_t> bytes) {
    sentLog_->Append(bytes);
}

void Tfrm_mset::EchoReceived(std::span<const std::uint8_t> bytes) {
    receivedLog_->Append(bytes);
}

void Tfrm_mset::FlushTrafficLog() {
    sentLog_->Flush();
    receivedLog_->Flush();
}

// ---- session::SessionObserver -------------------------------------------------------------

void Tfrm_mset::OnSent(std::span<const std::uint8_t> stuffed) {
    EchoSent(stuffed);
}

void Tfrm_mset::OnRawFrame(std::span<const std::uint8_t> raw) {
    EchoReceived(raw);
}

void Tfrm_mset::OnFrame(const protocol::ReceivedFrame& frame) {
    DispatchResponse(frame);
}

void Tfrm_mset::OnResendStatus(const std::string& panelText) {
    SetStatusText(StatusShows::ResendCount, QString::fromStdString(panelText));
    stat1->Repaint();
}

void Tfrm_mset::OnTimeout() {
    EndDeviceJob(jobs::LineEnd::Timeout);
    btn_closec->click();
    boxes_->Information(QStringLiteral("Send command timeout"), QStringLiteral("Information"));
    ClearStatusText();
    stat1->Repaint();
    EndHistoryTransfer("the logger stopped answering (Send command timeout)",
                       jobs::LineEnd::Timeout);
}

void Tfrm_mset::OnLinkLost() {
    CloseDeviceLink(LinkCloseReason::LineLost);
}

}  // namespace lgcset::ui
