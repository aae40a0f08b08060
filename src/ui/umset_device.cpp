// The window's side of the device operations: the buttons that start them, what the
// dispatcher sends and keeps (parameter image, page codec) and what it tells (boxes,
// progress bar).
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

#include "jobs/settings_jobs.h"
#include "link/port_list.h"
#include "settings/channel_layout.h"
#include "settings/parameter_image.h"
#include "ui/message_box.h"
#include "ui/settings_widgets.h"
#include "ui/status_panels.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void Tfrm_mset::btn7Click() {
    RunDeviceJob(std::make_shared<jobs::LoginJob>(*device_));
}

void Tfrm_mset::btn_loadClick() {
    if (DeferReadSettings())
        return;
    RunDeviceJob(std::make_shared<jobs::ReadSettingsJob>(*device_));
}

void Tfrm_mset::btn_downClick() {
    // The window shows the logger's answer; it does not read the pages back.
    RunDeviceJob(std::make_shared<jobs::WriteSettingsJob>(*device_));
}

void Tfrm_mset::btn_industrialClick() {
    RunDeviceJob(std::make_shared<jobs::FactoryResetJob>(*device_));
}

void Tfrm_mset::RunDeviceJob(std::shared_ptr<jobs::Job> job) {
    deviceJob_ = job;
    job->Start();
}

void Tfrm_mset::EndDeviceJob(jobs::LineEnd why) {
    if (const std::shared_ptr<jobs::Job> job = std::exchange(deviceJob_, nullptr))
        job->OnLineEnded(why);
}

void Tfrm_mset::ShowMessage(std::string_view text) {
    boxes_->Show(FromView(text));
}

void Tfrm_mset::Report(const protocol::OperationOutcome& outcome) {
    if (const std::shared_ptr<jobs::Job> job = deviceJob_)
        job->OnOutcome(outcome);
    if (outcome.operation == protocol::Operation::ReadSettings &&
        outcome.result == protocol::Result::Done)
        NoteSettingsRead();
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
    deviceIdSinceLogin_.reset();  // a login: the ID read before may be another logger's
    settingsReadSinceLogin_ = false;
    settings::ApplyDeviceIdentity(Settings(), Image(), Codes());
}

void Tfrm_mset::UseSimulatedLogger(const std::string& portPath, const std::string& model) {
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
    cbox_com->setCurrentIndex(0);
    const QString simulated =
        QStringLiteral("simulated ") + FromUtf8(model) + QStringLiteral(" logger");
    setWindowTitle(windowTitle() + QStringLiteral(" — ") + simulated);
    // The caption is not on view everywhere (full screen, no window manager): the status
    // bar says it as well, in a panel of its own after the four of the program, with where
    // its transfers go when that is not the user's own archive, short enough for the window's
    // width (each transfer's count line says it whole).
    QString panel = QStringLiteral("Demo: ") + simulated;
    if (ArchiveThrowaway)
        panel += QStringLiteral("; throw-away archive");
    stat1->AddPanel(std::max(200, stat1->fontMetrics().horizontalAdvance(panel) + 12),
                    Qt::AlignLeft, panel);
}

void Tfrm_mset::UseSimulatedLogger(std::unique_ptr<session::Link> line, const std::string& name,
                                   const std::string& model) {
    if (LinkOpen() && session_->CurrentLink() == simulatedLink_.get())
        CloseDeviceLink(LinkCloseReason::User);  // the line about to be replaced is in use
    simulatedLink_ = std::move(line);
    simulatedName_ = name;
    UseSimulatedLogger(name, model);
}

}  // namespace lgcset::ui
