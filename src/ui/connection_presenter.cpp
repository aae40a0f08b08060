#include "ui/connection_presenter.h"

#include <QComboBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "link/port_list.h"
#include "ui/message_box.h"
#include "ui/settings_widgets.h"
#include "ui/status_panels.h"
#include "ui/traffic_log.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

const QString kPortErrorMessage =
    QStringLiteral("COM Port Error!Please choosing a correct COM port number.");

QString PortDisconnectedMessage(const QString& port) {
    return QStringLiteral(
               "The serial port %1 has been disconnected. The link is closed; open it again "
               "once the port is back.")
        .arg(port);
}

// A system that cannot be asked for its ports gives an empty list for the user to type a
// name; it does not stop the program.
std::vector<std::string> ReadPorts(const std::function<std::vector<std::string>()>& source) {
    try {
        return source ? source() : link::ListSerialPorts();
    } catch (const std::exception& e) {
        qWarning("cannot list the serial ports: %s", e.what());
        return {};
    }
}

}  // namespace

ConnectionPresenter::ConnectionPresenter(Tfrm_mset& form, session::SerialLink& serial)
    : form_(form), serial_(serial) {
    resendTimer_ = std::make_unique<QtResendTimer>(*form_.tmr_cf);
    session::SessionObserver& observer = *this;
    session_ = std::make_unique<session::LoggerSession>(*resendTimer_, observer);
    session_->SetResendInterval(std::chrono::milliseconds(form_.tmr_cf->interval()));
    device_ = std::make_unique<session::DeviceSession>(*session_, form_.Settings(), form_);

    sentLog_ = new TrafficLog(form_.mmo1, TrafficLog::Layout::Runs);
    receivedLog_ = new TrafficLog(form_.mmo2, TrafficLog::Layout::Lines);
    QObject::connect(form_.btn_clrmmo1, &QPushButton::clicked, &form_,
                     [this] { sentLog_->Clear(); });
    QObject::connect(form_.btn_clrmmo2, &QPushButton::clicked, &form_,
                     [this] { receivedLog_->Clear(); });
}

// ---- The port list ----------------------------------------------------------------------

void ConnectionPresenter::FillPortList() {
    QComboBox* list = form_.cbox_com;
    const std::vector<std::string> ports = ReadPorts(portSource_);
    list->clear();
    for (const std::string& port : ports) list->addItem(QString::fromStdString(port));
    if (list->count() > 0)
        list->setCurrentIndex(0);
    else
        list->setEditText(QString());
}

void ConnectionPresenter::RefreshPortList() {
    QComboBox* list = form_.cbox_com;
    QStringList names;
    for (const std::string& port : ReadPorts(portSource_)) names << QString::fromStdString(port);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
    if (names == shown)
        return;  // nothing came or went: the text and its caret stay as they are
    const QString text = list->currentText();
    list->clear();
    list->addItems(names);
    const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(index);
    if (index < 0)
        list->setEditText(text);  // typed, or a port that has gone: the user's to change
}

void ConnectionPresenter::SetPortSource(std::function<std::vector<std::string>()> source) {
    portSource_ = std::move(source);
}

void ConnectionPresenter::UseSimulatedLogger(const std::string& portPath,
                                             const std::string& model) {
    auto systemPorts = portSource_;
    SetPortSource([portPath, systemPorts] {
        std::vector<std::string> ports{portPath};
        const std::vector<std::string> others =
            systemPorts ? systemPorts() : link::ListSerialPorts();
        for (const std::string& port : others)
            if (port != portPath)
                ports.push_back(port);
        return ports;
    });
    FillPortList();
    form_.cbox_com->setCurrentIndex(0);
    const QString simulated =
        QStringLiteral("simulated ") + FromUtf8(model) + QStringLiteral(" logger");
    form_.setWindowTitle(form_.windowTitle() + QStringLiteral(" — ") + simulated);
    // The caption is not on view everywhere (full screen, no window manager): the status
    // bar says it as well, in a panel of its own after the four of the program, with where
    // its transfers go when that is not the user's own archive, short enough for the window's
    // width (each transfer's count line says it whole).
    QString panel = QStringLiteral("Demo: ") + simulated;
    if (form_.ArchiveThrowaway)
        panel += QStringLiteral("; throw-away archive");
    StatusPanels* status = form_.stat1;
    status->AddPanel(std::max(200, status->fontMetrics().horizontalAdvance(panel) + 12),
                     Qt::AlignLeft, panel);
}

void ConnectionPresenter::UseSimulatedLogger(std::unique_ptr<session::Link> line,
                                             const std::string& name, const std::string& model) {
    if (form_.LinkOpen() && session_->CurrentLink() == simulatedLink_.get())
        form_.CloseDeviceLink(Tfrm_mset::LinkCloseReason::User);  // the line about to go is in use
    simulatedLink_ = std::move(line);
    simulatedName_ = name;
    UseSimulatedLogger(name, model);
}

session::Link& ConnectionPresenter::LineFor(const std::string& name) {
    if (simulatedLink_ && name == simulatedName_)
        return *simulatedLink_;
    return serial_;
}

// ---- The device link --------------------------------------------------------------------

void ConnectionPresenter::OpenOrClose() {
    if (form_.LinkOpen()) {
        form_.CloseDeviceLink(Tfrm_mset::LinkCloseReason::User);
        return;
    }
    const std::string name = form_.cbox_com->currentText().trimmed().toStdString();
    if (const std::optional<session::OpenFailure> failure = session_->Open(LineFor(name), name)) {
        QString detail = QString::fromLocal8Bit(failure->detail);
        if (failure->HasSystemReason())
            detail += QStringLiteral("\n") + QString::fromLocal8Bit(failure->reason);
        form_.Boxes().Error(kPortErrorMessage, detail);
        form_.btn8->setText(QStringLiteral("Open"));
        form_.BringLampToFront(false);
        return;
    }
    ++form_.LinkToggleCount;
    form_.btn7->setEnabled(true);
    form_.btn8->setText(QStringLiteral("Close"));
    form_.BringLampToFront(true);
}

bool ConnectionPresenter::Close(bool lineLost) {
    if (!form_.LinkOpen())
        return false;  // closed already: a loss is reported once, a second close does nothing
    const QString port = QString::fromStdString(session_->CurrentLink()->Name());
    ++form_.LinkToggleCount;
    form_.btn8->setText(QStringLiteral("Open"));

    // Everything running on the link ends with it, before any box can run a nested loop:
    // the request being re-sent, a frame half received, a settings read or write.
    if (session_->Close())
        form_.ClearStatusText();  // the resend count of a request that is gone
    device_->Operations().Abort();
    EndJob(lineLost ? jobs::LineEnd::Lost : jobs::LineEnd::Closed);
    DisableDeviceButtons();
    form_.BringLampToFront(false);
    form_.stat1->Repaint();

    if (lineLost)
        form_.Boxes().Error(PortDisconnectedMessage(port), QString());
    return true;
}

void ConnectionPresenter::Stop() {
    DisableDeviceButtons();
    session_->StopResend();
    form_.btn_closec->click();
    form_.StopRequested = true;
}

void ConnectionPresenter::OpenAuxiliaryPort() {
    // The auxiliary port is opened as asked or not at all; it has nothing to show.
    link::TComm& port = form_.mycom;
    port.ClosePort();
    port.setCommName(form_.cbox_com->currentText().trimmed().toStdString());
    try {
        port.OpenPort();
    } catch (const link::ECommsError& e) {
        qWarning("auxiliary port %s: %s", port.CommName().c_str(), e.what());
    }
}

void ConnectionPresenter::CloseAuxiliaryPort() {
    form_.mycom.ClosePort();
}

void ConnectionPresenter::DisableDeviceButtons() {
    Tfrm_mset& f = form_;
    for (QPushButton* button :
         {f.btn7, f.btn_down, f.btn_load, f.btn_industrial, f.btn_stop, f.Button1, f.Button4,
          f.btn_acquiretime, f.Button5, f.btn_padlockregulation, f.Button3, f.Button2,
          f.btn_inquire_curdat, f.btn_loadconfigure, f.btn_apply_template, f.btn_saveconfigure,
          f.btn_setcurtime})
        button->setEnabled(false);
}

void ConnectionPresenter::EnableDeviceButtons() {
    Tfrm_mset& f = form_;
    for (QPushButton* button : {f.btn_down, f.btn_load, f.btn_industrial, f.btn_stop, f.Button1,
                                f.Button4, f.btn_acquiretime, f.Button5, f.btn_padlockregulation,
                                f.Button3, f.Button2, f.btn_inquire_curdat, f.btn_loadconfigure,
                                f.btn_apply_template, f.btn_saveconfigure, f.btn_setcurtime})
        button->setEnabled(true);
}

// ---- Send path and traffic log ----------------------------------------------------------

void ConnectionPresenter::SetResendInterval(int milliseconds) {
    session_->SetResendInterval(std::chrono::milliseconds(milliseconds));
    if (!form_.tmr_cf->isActive())
        form_.tmr_cf->setInterval(milliseconds);
}

void ConnectionPresenter::EchoSent(std::span<const std::uint8_t> bytes) {
    sentLog_->Append(bytes);
}

void ConnectionPresenter::EchoReceived(std::span<const std::uint8_t> bytes) {
    receivedLog_->Append(bytes);
}

void ConnectionPresenter::FlushTrafficLog() {
    sentLog_->Flush();
    receivedLog_->Flush();
}

void ConnectionPresenter::ClearSentLog() {
    sentLog_->Clear();
}

// ---- The running job --------------------------------------------------------------------

void ConnectionPresenter::RunJob(std::shared_ptr<jobs::Job> job, std::function<void()> ended) {
    job_ = job;
    ended_ = std::move(ended);
    job->Start();
    CallIfEnded(job);
}

void ConnectionPresenter::EndJob(jobs::LineEnd why) {
    if (const std::shared_ptr<jobs::Job> job = std::exchange(job_, nullptr)) {
        std::function<void()> ended = std::exchange(ended_, {});
        job->OnLineEnded(why);
        if (ended)
            ended();
    }
}

void ConnectionPresenter::PassOutcome(const protocol::OperationOutcome& outcome) {
    if (const std::shared_ptr<jobs::Job> job = job_) {
        job->OnOutcome(outcome);
        CallIfEnded(job);
    }
}

void ConnectionPresenter::PassData(const protocol::ReceivedFrame& frame) {
    if (const std::shared_ptr<jobs::Job> job = job_) {
        job->OnData(frame);
        CallIfEnded(job);
    }
}

void ConnectionPresenter::CallIfEnded(const std::shared_ptr<jobs::Job>& job) {
    // The callback may start the next job, which brings its own.
    if (job == job_ && job->Ended() && ended_)
        std::exchange(ended_, {})();
}

// ---- session::SessionObserver -----------------------------------------------------------

void ConnectionPresenter::OnSent(std::span<const std::uint8_t> stuffed) {
    form_.EchoSent(stuffed);
}

void ConnectionPresenter::OnRawFrame(std::span<const std::uint8_t> raw) {
    form_.EchoReceived(raw);
}

void ConnectionPresenter::OnFrame(const protocol::ReceivedFrame& frame) {
    form_.DispatchResponse(frame);  // virtual: tests see every reply
}

void ConnectionPresenter::OnResendStatus(const std::string& panelText) {
    form_.SetStatusText(Tfrm_mset::StatusShows::ResendCount, QString::fromStdString(panelText));
    form_.stat1->Repaint();
}

void ConnectionPresenter::OnTimeout() {
    EndJob(jobs::LineEnd::Timeout);
    form_.btn_closec->click();
    form_.Boxes().Information(QStringLiteral("Send command timeout"),
                              QStringLiteral("Information"));
    form_.ClearStatusText();
    form_.stat1->Repaint();
    form_.EndHistoryTransfer("the logger stopped answering (Send command timeout)",
                             jobs::LineEnd::Timeout);
}

void ConnectionPresenter::OnLinkLost() {
    form_.CloseDeviceLink(Tfrm_mset::LinkCloseReason::LineLost);
}

}  // namespace lgcset::ui
