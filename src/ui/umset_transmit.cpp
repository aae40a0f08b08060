// The send path with its resend timer, the receive path, and the traffic log.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "protocol/commands.h"
#include "ui/filtered_line_edit.h"
#include "ui/message_box.h"
#include "ui/status_panels.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

// The port takes at most this many bytes per write.
constexpr std::size_t kMaxWrite = std::numeric_limits<std::uint16_t>::max();

}  // namespace

void Tfrm_mset::TransmitFrame(std::span<const std::uint8_t> frame) {
    const std::vector<std::uint8_t> sendBuffer = protocol::EscapeFrame(frame);
    if (sendBuffer.size() > kMaxWrite)
        return;
    try {
        cm1.WriteData(sendBuffer.data(), static_cast<std::uint16_t>(sendBuffer.size()));
        EchoSent(sendBuffer);
        // The first re-send comes a full interval after this send.
        tmr_cf->stop();
        resend_.OnSend(sendBuffer);
        tmr_cf->start();
    } catch (...) {
    }
}

void Tfrm_mset::tmr_cfTimer() {
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

void Tfrm_mset::StopResend() {
    tmr_cf->stop();
    resend_.Stop();
}

void Tfrm_mset::SetResendInterval(int milliseconds) {
    tmr_cf->setInterval(milliseconds);
}

void Tfrm_mset::SendRequest(std::uint8_t requestType) {
    if (const auto frame = protocol::BuildRequest(requestType, params_))
        TransmitFrame(*frame);
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
    if (buffer == nullptr)
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
    AppendHexToMemo(mmo1, bytes);
}

void Tfrm_mset::EchoReceived(std::span<const std::uint8_t> bytes) {
    for (const std::string& line : protocol::EchoReceived(bytes))
        mmo2->appendPlainText(
            QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

}  // namespace lgcset::ui
