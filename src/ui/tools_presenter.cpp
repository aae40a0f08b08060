#include "ui/tools_presenter.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <string>

#include "data/current_data.h"
#include "data/debug_monitor.h"
#include "data/device_clock.h"
#include "data/hex_text.h"
#include "data/relay_test.h"
#include "jobs/audit_entries.h"
#include "jobs/device_tools_jobs.h"
#include "protocol/commands.h"
#include "ui/connection_presenter.h"
#include "ui/current_data_grid.h"
#include "ui/relay_widgets_view.h"
#include "ui/settings_widgets.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

std::string DecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

}  // namespace

ToolsPresenter::ToolsPresenter(Tfrm_mset& form, ConnectionPresenter& connection)
    : form_(form),
      connection_(connection),
      relayWidgets_(std::make_unique<RelayWidgetsView>(&form)) {}

ToolsPresenter::~ToolsPresenter() = default;

// ---- Current data ---------------------------------------------------------------------

void ToolsPresenter::QueryCurrentData() {
    connection_.RunJob(std::make_shared<jobs::CurrentDataJob>(connection_.Device()));
}

void ToolsPresenter::OnCurrentData(const protocol::ReceivedFrame& frame) {
    connection_.PassData(frame);
    const jobs::CurrentDataResult reply = jobs::CurrentDataOfReply(frame);
    form_.Reading = reply.reading;
    if (reply.undefinedItem)
        form_.ShowMessage(data::kUndefinedDataMessage);
    ShowCurrentData();
}

void ToolsPresenter::ShowCurrentData() {
    const data::CurrentDataRow row = data::CurrentDataTexts(form_.Reading, DecimalSeparator());
    for (std::size_t k = 0; k < row.size(); ++k)
        if (row[k])
            WriteCurrentDataValue(form_.strngrd_curdata, static_cast<int>(k) + 1,
                                  FromUtf8(*row[k]));
    form_.Reading = data::CurrentReading{};
}

// ---- Device clock -----------------------------------------------------------------------

void ToolsPresenter::ReadClock() {
    connection_.RunJob(std::make_shared<jobs::ClockReadJob>(connection_.Device()));
}

void ToolsPresenter::ShowDeviceTime(const protocol::ReceivedFrame& frame) {
    connection_.PassData(frame);
    const data::ClockReply reply = jobs::ClockOfReply(frame).reply;
    if (reply.kind == data::ClockReplyKind::MonthZero) {
        form_.ShowMessage(data::kTimeErrorMessage);
        return;
    }
    const data::DeviceTime& t = reply.time;
    const QDateTime value(QDate(t.date.year, t.date.month, t.date.day),
                          QTime(t.time.hour, t.time.minute, t.time.second));
    // A moment that the local clock skips (the hour put forward in spring) is no time the
    // pickers can show either.
    if (reply.kind == data::ClockReplyKind::Invalid || !value.isValid()) {
        form_.ShowMessage(data::InvalidClockMessage(reply));
        return;
    }
    form_.dtp_DeviceCurrentTime->setDateTime(value);
    form_.DateTimePicker3->setDateTime(form_.dtp_DeviceCurrentTime->dateTime());
    form_.DateTimePicker4->setDateTime(form_.dtp_DeviceCurrentTime->dateTime());
}

void ToolsPresenter::SetClockFromPickers() {
    const QDate date = form_.DateTimePicker3->date();
    const QTime time = form_.DateTimePicker4->time();
    protocol::ClockSetting clock = form_.Params().clock;
    data::StoreClockFromPickers({date.year(), date.month(), date.day()},
                                {time.hour(), time.minute(), time.second()}, clock);
    SetClock(clock);
}

void ToolsPresenter::SetClockFromNow() {
    protocol::ClockSetting clock = form_.Params().clock;
    data::StoreClockFromNow(clock);
    SetClock(clock);
}

void ToolsPresenter::SetClock(const protocol::ClockSetting& clock) {
    const archive::LoggerKey logger = form_.LoggerOnLine();
    const auto set = [this, clock, logger](std::optional<data::DeviceTime> before) {
        auto job = std::make_shared<jobs::ClockSetJob>(connection_.Device(), clock);
        connection_.RunJob(job, [this, job, logger, before, clock] {
            form_.RecordChange(jobs::ClockSetEntry(logger, job->Result(), before, clock,
                                                   Tfrm_mset::LineEndText(job->Result().line)));
        });
    };
    if (!form_.Changes().Keeps())
        return set(std::nullopt);
    // The time the logger held is read first, for the record of the set.
    auto read = std::make_shared<jobs::ClockReadJob>(connection_.Device());
    connection_.RunJob(read, [read, set] {
        const jobs::ClockReadResult& result = read->Result();
        if (result.end == jobs::ClockReadResult::End::LineEnded)
            return;
        set(result.reply.kind == data::ClockReplyKind::Valid
                ? std::optional<data::DeviceTime>(result.reply.time)
                : std::nullopt);
    });
}

// ---- Relay test -------------------------------------------------------------------------

void ToolsPresenter::StartRelay() {
    const data::RelayFieldsRead read = data::ReadRelayTestFields(*relayWidgets_);
    if (!read.request) {
        form_.ShowMessage(read.refusal);
        return;
    }
    RunRelay(*read.request);
}

void ToolsPresenter::StopRelay() {
    RunRelay({protocol::RelayAction::Stop, form_.Params().relay});
}

void ToolsPresenter::RunRelay(const data::RelayTestRequest& request) {
    const archive::LoggerKey logger = form_.LoggerOnLine();
    auto job = std::make_shared<jobs::RelayJob>(connection_.Device(), request);
    connection_.RunJob(job, [this, job, logger, request] {
        form_.RecordChange(jobs::RelayTestedEntry(logger, job->Result(), request,
                                                  Tfrm_mset::LineEndText(job->Result().line)));
    });
}

void ToolsPresenter::RelayTypeChanged() {
    data::ComboBox1Change(*relayWidgets_);
}

void ToolsPresenter::RelayTimeChanged() {
    data::Edit12Change(*relayWidgets_);
}

// ---- Debug monitor ----------------------------------------------------------------------

void ToolsPresenter::DebugOn() {
    form_.SendRequest(protocol::kDebugOnRequest);
    form_.DebugModeFlag = 1;
    form_.RecordChange(jobs::DebugEchoEntry(form_.LoggerOnLine(), true));
}

void ToolsPresenter::DebugOff() {
    form_.SendRequest(protocol::kDebugOffRequest);
    form_.DebugModeFlag = 0;
    form_.RecordChange(jobs::DebugEchoEntry(form_.LoggerOnLine(), false));
}

void ToolsPresenter::ShowDebugData(const protocol::ReceivedFrame& frame) {
    const auto traffic = data::DecodeDebugTraffic(frame.payload, frame.payloadCount);
    if (!traffic)
        return;
    AppendHexToMemo(
        traffic->direction == data::DebugDirection::FromServer ? form_.Memo1 : form_.memo2,
        traffic->bytes);
}

void ToolsPresenter::AppendHexToMemo(QPlainTextEdit* memo, std::span<const std::uint8_t> bytes) {
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
