// The tools of the "Others" tab that act on the connected logger: the current data query,
// the device clock, the relay test and the debug monitor. The decoding and the rules are in
// src/data; this is the glue between them, the widgets and the send path.
#include <QDateTime>
#include <QDateTimeEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <memory>

#include "data/current_data.h"
#include "data/debug_monitor.h"
#include "data/device_clock.h"
#include "data/hex_text.h"
#include "data/relay_test.h"
#include "jobs/device_tools_jobs.h"
#include "protocol/commands.h"
#include "ui/current_data_grid.h"
#include "ui/message_box.h"
#include "ui/settings_widgets.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::string DecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

}  // namespace

void Tfrm_mset::ConnectTools() {
    const auto on = [this](QPushButton* button, void (Tfrm_mset::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(btn_inquire_curdat, &Tfrm_mset::btn_inquire_curdatClick);
    on(btn_acquiretime, &Tfrm_mset::btn_acquiretimeClick);
    on(Button4, &Tfrm_mset::Button4Click);
    on(btn_setcurtime, &Tfrm_mset::btn_setcurtimeClick);
    on(Button3, &Tfrm_mset::Button3Click);
    on(Button2, &Tfrm_mset::Button2Click);
    on(Button5, &Tfrm_mset::Button5Click);
    on(btn_padlockregulation, &Tfrm_mset::btn_padlockregulationClick);
}

// ---- Current data ---------------------------------------------------------------------

void Tfrm_mset::btn_inquire_curdatClick() {
    RunDeviceJob(std::make_shared<jobs::CurrentDataJob>(*device_));
}

void Tfrm_mset::OnCurrentData(const protocol::ReceivedFrame& frame) {
    if (const std::shared_ptr<jobs::Job> job = deviceJob_)
        job->OnData(frame);
    // Replies are taken by their code: one that nobody waited for shows as well.
    const jobs::CurrentDataResult reply = jobs::CurrentDataOfReply(frame);
    Reading = reply.reading;
    if (reply.undefinedItem)
        ShowMessage(data::kUndefinedDataMessage);
    ShowCurrentData();
}

void Tfrm_mset::ShowCurrentData() {
    const data::CurrentDataRow row = data::CurrentDataTexts(Reading, DecimalSeparator());
    for (std::size_t k = 0; k < row.size(); ++k)
        if (row[k])
            WriteCurrentDataValue(strngrd_curdata, static_cast<int>(k) + 1, FromUtf8(*row[k]));
    Reading = data::CurrentReading{};
}

// ---- Device clock -----------------------------------------------------------------------

void Tfrm_mset::btn_acquiretimeClick() {
    RunDeviceJob(std::make_shared<jobs::ClockReadJob>(*device_));
}

void Tfrm_mset::ShowDeviceTime(const protocol::ReceivedFrame& frame) {
    if (const std::shared_ptr<jobs::Job> job = deviceJob_)
        job->OnData(frame);
    const data::ClockReply reply = jobs::ClockOfReply(frame).reply;
    if (reply.kind == data::ClockReplyKind::MonthZero) {
        ShowMessage(data::kTimeErrorMessage);
        return;
    }
    const data::DeviceTime& t = reply.time;
    const QDateTime value(QDate(t.date.year, t.date.month, t.date.day),
                          QTime(t.time.hour, t.time.minute, t.time.second));
    // A moment that the local clock skips (the hour put forward in spring) is no time the
    // pickers can show either.
    if (reply.kind == data::ClockReplyKind::Invalid || !value.isValid()) {
        ShowMessage(data::InvalidClockMessage(reply));
        return;
    }
    dtp_DeviceCurrentTime->setDateTime(value);
    DateTimePicker3->setDateTime(dtp_DeviceCurrentTime->dateTime());
    DateTimePicker4->setDateTime(dtp_DeviceCurrentTime->dateTime());
}

void Tfrm_mset::Button4Click() {
    const QDate date = DateTimePicker3->date();
    const QTime time = DateTimePicker4->time();
    protocol::ClockSetting clock = Params().clock;
    data::StoreClockFromPickers({date.year(), date.month(), date.day()},
                                {time.hour(), time.minute(), time.second()}, clock);
    RunDeviceJob(std::make_shared<jobs::ClockSetJob>(*device_, clock));
}

void Tfrm_mset::btn_setcurtimeClick() {
    protocol::ClockSetting clock = Params().clock;
    data::StoreClockFromNow(clock);
    RunDeviceJob(std::make_shared<jobs::ClockSetJob>(*device_, clock));
}

// ---- Relay test -------------------------------------------------------------------------

void Tfrm_mset::Button3Click() {
    const data::RelayFieldsRead read = data::ReadRelayTestFields(*relayWidgets_);
    if (!read.request) {
        ShowMessage(read.refusal);
        return;
    }
    RunDeviceJob(std::make_shared<jobs::RelayJob>(*device_, *read.request));
}

void Tfrm_mset::Button2Click() {
    RunDeviceJob(std::make_shared<jobs::RelayJob>(
        *device_, data::RelayTestRequest{protocol::RelayAction::Stop, Params().relay}));
}

// ---- Debug monitor ----------------------------------------------------------------------

void Tfrm_mset::Button5Click() {
    SendRequest(protocol::kDebugOnRequest);
    DebugModeFlag = 1;
}

void Tfrm_mset::btn_padlockregulationClick() {
    SendRequest(protocol::kDebugOffRequest);
    DebugModeFlag = 0;
}

void Tfrm_mset::ShowDebugData(const protocol::ReceivedFrame& frame) {
    const auto traffic = data::DecodeDebugTraffic(frame.payload, frame.payloadCount);
    if (!traffic)
        return;
    AppendHexToMemo(traffic->direction == data::DebugDirection::FromServer ? Memo1 : memo2,
                    traffic->bytes);
}

void Tfrm_mset::AppendHexToMemo(QPlainTextEdit* memo, std::span<const std::uint8_t> bytes) {
    std::string text;
    data::AppendHexText(text, bytes);
    if (text.empty())
        return;
    // The memo keeps plain line feeds; its block limit drops the oldest lines.
    QString chunk = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    end.insertText(chunk);
    memo->moveCursor(QTextCursor::End);
}

}  // namespace lgcset::ui
