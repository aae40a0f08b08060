// The history query on the "Others" tab: "Query" and the replies it brings, driven by
// data::HistoryQuery with the window as its host.
#include <QDate>
#include <QDateTimeEdit>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "protocol/commands.h"
#include "ui/message_box.h"
#include "ui/status_panels.h"
#include "ui/umset.h"
#include "ui/window_history_host.h"

namespace lgcset::ui {

namespace {

// The status text of a running transfer changes at most this often; a record takes a few
// milliseconds on the line, and a text per record would cost more than it tells.
constexpr qint64 kProgressEveryMs = 250;
constexpr int kProgressPanelWidth = 220;

}  // namespace

// ---- Window -----------------------------------------------------------------------------

void Tfrm_mset::BuildHistoryQuery() {
    historyHost_ = std::make_unique<WindowHistoryHost>(*this);
    historyQuery_ =
        std::make_unique<data::HistoryQuery>(*historyHost_, *historyHost_, History, HistoryCount);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void Tfrm_mset::Button1Click() {
    const QDate from = DateTimePicker1->date();
    const QDate to = DateTimePicker2->date();
    const data::QueryRange range = data::MakeQueryRange(from.year(), from.month(), from.day(),
                                                        to.year(), to.month(), to.day());
    // The previous transfer's words ("... archived") are not this one's.
    ClearStatusText();
    if (DeferQueryForDeviceId(range))
        return;
    historyQuery_->Start(range);
}

void Tfrm_mset::EndHistoryTransfer(const std::string& why) {
    queryAfterId_.reset();     // a query still waiting for the device ID never starts
    historyEndReason_ = why;  // the export of what arrived, if any, runs inside EndEarly
    historyQuery_->EndEarly();
    historyEndReason_.reset();
}

void Tfrm_mset::OnHistoryCount(const protocol::ReceivedFrame& frame) {
    historyQuery_->OnCountFrame(frame);
}

void Tfrm_mset::OnHistoryRecord(const protocol::ReceivedFrame& frame) {
    historyQuery_->OnRecordFrame(frame);
}

// ---- Host -------------------------------------------------------------------------------

WindowHistoryHost::WindowHistoryHost(Tfrm_mset& window) : window_(window) {
    window_.stat1->AddPanel(kProgressPanelWidth, Qt::AlignLeft | Qt::AlignVCenter);
    progressPanel_ = window_.stat1->PanelCount() - 1;
    refresh_.setInterval(static_cast<int>(kProgressEveryMs));
    QObject::connect(&refresh_, &QTimer::timeout, &window_, [this] {
        if (shownReceived_ >= 0)
            ShowReceivedNow();
    });
}

void WindowHistoryHost::Report(const data::HistoryOutcome& outcome) {
    window_.Boxes().Show(QString::fromStdString(data::OutcomeMessage(outcome)));
}

bool WindowHistoryHost::AskYesNo(const data::HistoryOutcome& question) {
    return window_.Boxes().Ask(QString::fromStdString(data::OutcomeMessage(question)),
                               QStringLiteral("Information"), DefaultButton::Yes);
}

void WindowHistoryHost::SendHistoryCount(const data::QueryRange& range) {
    data::StoreQueryRange(range, window_.Params());
    window_.SendRequest(protocol::kHistoryCountRequest);
}

void WindowHistoryHost::SendHistoryRecord(std::uint16_t number) {
    window_.Params().historyRecordIndex = number;
    window_.SendRequest(protocol::kHistoryRecordRequest);
}

int WindowHistoryHost::ResendsOfLastRequest() const {
    return window_.ResendCount();
}

void WindowHistoryHost::ResumeResend() {
    window_.Session().ResumeResend();
}

void WindowHistoryHost::ClearStopRequested() {
    window_.StopRequested = false;
}

void WindowHistoryHost::SetProgressVisible(bool visible) {
    if (visible)
        window_.pb_write->setValue(0);
    window_.pb_write->setVisible(visible);
}

void WindowHistoryHost::ShowNextIndex(std::uint16_t index) {
    window_.lbl16->setNum(index);
}

void WindowHistoryHost::ShowReceived(std::uint16_t count) {
    // A new text per record would cost more than the record: the first count of a
    // transfer at once, then at most every kProgressEveryMs, the last when it ends.
    received_ = count;
    if (shownReceived_ < 0 || !transferClock_.isValid() ||
        transferClock_.elapsed() - lastReceivedMs_ >= kProgressEveryMs)
        ShowReceivedNow();
}

void WindowHistoryHost::ShowReceivedNow() {
    if (shownReceived_ != received_) {
        window_.lbl4->setNum(received_);
        shownReceived_ = received_;
    }
    if (transferClock_.isValid())
        lastReceivedMs_ = transferClock_.elapsed();
}

void WindowHistoryHost::ShowSaving() {
    // A record taken: a "resend:" text of its request is over. The progress panel tells
    // where the transfer stands; "Saved" beside it would be said before anything is.
    if (window_.StatusPanelShows() == Tfrm_mset::StatusShows::Nothing)
        return;
    window_.ClearStatusText();
    window_.RepaintStatus();
}

void WindowHistoryHost::ShowTransferProgress(std::uint16_t answered, std::uint16_t total) {
    if (answered == 0) {
        transferClock_.start();
        lastProgressMs_ = 0;
        shownReceived_ = -1;  // the first count of this transfer goes up at once
        refresh_.start();
    } else if (answered < total && transferClock_.elapsed() - lastProgressMs_ < kProgressEveryMs) {
        return;
    }
    const qint64 now = transferClock_.elapsed();
    lastProgressMs_ = now;
    const std::string text =
        data::TransferProgressText(answered, total, static_cast<double>(now) / 1000.0);
    window_.stat1->SetPanelText(progressPanel_, QString::fromStdString(text));
}

void WindowHistoryHost::ClearTransferProgress() {
    refresh_.stop();
    if (shownReceived_ >= 0)
        ShowReceivedNow();  // the transfer's last count
    window_.stat1->SetPanelText(progressPanel_, QString());
}

void WindowHistoryHost::TransferEnded() {
    window_.HistoryTransferEnded();
}

void WindowHistoryHost::ExportHistory() {
    window_.ExportHistory();
}

}  // namespace lgcset::ui
