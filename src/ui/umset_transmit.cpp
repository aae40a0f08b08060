// The send path with its resend timer, the receive path, and the traffic log.
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <limits>
#include <utility>

#include "protocol/commands.h"
#include "ui/filtered_line_edit.h"
#include "ui/message_box.h"
#include "ui/status_panels.h"
#include "ui/traffic_log.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

using Clock = std::chrono::steady_clock;

// The port takes at most this many bytes per write.
constexpr std::size_t kMaxWrite = std::numeric_limits<std::uint16_t>::max();

}  // namespace

void Tfrm_mset::TransmitFrame(std::span<const std::uint8_t> frame) {
    sendBuffer_.clear();
    protocol::EscapeFrame(frame, sendBuffer_);
    if (sendBuffer_.size() > kMaxWrite)
        return;
    try {
        cm1.WriteData(sendBuffer_.data(), static_cast<std::uint16_t>(sendBuffer_.size()));
        EchoSent(sendBuffer_);
        resend_.OnSend(sendBuffer_);
        ArmResendTimer();
    } catch (...) {
    }
}

void Tfrm_mset::ArmResendTimer() {
    // The first re-send comes a full interval after this send. A timer still running, as
    // it is when a reply's handling sends the next request, is not started afresh (that
    // costs an allocation, at every record of a history transfer): its next tick, now
    // early, only waits for the rest of the interval.
    lastSend_ = Clock::now();
    if (tmr_cf->isActive()) {
        resendTickEarly_ = true;
        return;
    }
    resendTickEarly_ = false;
    tmr_cf->start(resendIntervalMs_);
}

void Tfrm_mset::tmr_cfTimer() {
    if (std::exchange(resendTickEarly_, false) && resend_.Active()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            lastSend_ + std::chrono::milliseconds(resendIntervalMs_) - Clock::now());
        if (left.count() > 0) {
            tmr_cf->start(static_cast<int>(left.count()));
            return;
        }
    }
    if (tmr_cf->interval() != resendIntervalMs_)
        tmr_cf->setInterval(resendIntervalMs_);  // after the rest of an interval, whole ones
    const protocol::ResendTick tick = resend_.OnTick();
    if (tick.panelText) {
        SetStatusText(QString::fromStdString(*tick.panelText));
        stat1->Repaint();
    }
    try {
        if (tick.timeout) {
            btn_closec->click();
            tmr_cf->stop();
            boxes_->Information(QStringLiteral("Send command timeout"),
                                QStringLiteral("Information"));
            SetStatusText(QString());
            stat1->Repaint();
            EndHistoryTransfer();
        } else if (!tick.resend.empty()) {
            cm1.WriteData(tick.resend.data(), static_cast<std::uint16_t>(tick.resend.size()));
            EchoSent(tick.resend);
        } else {
            tmr_cf->stop();  // nothing outstanding
        }
    } catch (...) {
    }
}

void Tfrm_mset::ReplyAccepted() {
    resend_.Stop();
}

void Tfrm_mset::ReplyHandled() {
    // The timer runs on only for a request that the reply's handling sent.
    if (!resend_.Active())
        tmr_cf->stop();
}

void Tfrm_mset::StopResend() {
    tmr_cf->stop();
    resend_.Stop();
}

void Tfrm_mset::SetResendInterval(int milliseconds) {
    resendIntervalMs_ = milliseconds;
    tmr_cf->setInterval(milliseconds);
}

void Tfrm_mset::SendRequest(std::uint8_t requestType) {
    if (protocol::BuildRequest(requestType, params_, requestFrame_))
        TransmitFrame(requestFrame_);
}

void Tfrm_mset::SendLogin() {
    TransmitFrame(protocol::BuildLogin(edt_setpwd->text().toStdString()));
}

void Tfrm_mset::SendReadPage(std::uint32_t address) {
    TransmitFrame(protocol::BuildReadPage(address));
}

void Tfrm_mset::SendErasePage(std::uint32_t address) {
    TransmitFrame(protocol::BuildErasePage(address));
}

void Tfrm_mset::SendWritePage(std::uint32_t address, std::span<const std::uint8_t> image) {
    TransmitFrame(protocol::BuildWritePage(address, image));
}

void Tfrm_mset::SendWritePage(std::uint32_t address) {
    SendWritePage(address, Image.All());
}

void Tfrm_mset::cm1ReceiveData(const std::uint8_t* buffer, std::uint16_t length) {
    // Bytes still queued when the window closed the link come from a line it no longer
    // holds (the last ones of a lost line, behind its hang-up): they answer nothing.
    if (buffer == nullptr || !LinkOpen())
        return;
    assembler_.Feed(std::span<const std::uint8_t>(buffer, length));
}

void Tfrm_mset::DispatchResponse(const protocol::ReceivedFrame& frame) {
    // An exception must not unwind through the event loop that delivered the bytes; the
    // operation then simply does not advance.
    try {
        operations_.DispatchResponse(frame);
    } catch (...) {
    }
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

}  // namespace lgcset::ui
