// Link control: the port list, opening and closing the device link (also when its line
// goes away), Stop, the auxiliary port and the buttons that need a logged-in device.
#include <QComboBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#include <exception>
#include <functional>
#include <optional>

#include "link/port_list.h"
#include "ui/message_box.h"
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

void Tfrm_mset::FillPortList() {
    const std::vector<std::string> ports = ReadPorts(portSource_);
    cbox_com->clear();
    for (const std::string& port : ports) cbox_com->addItem(QString::fromStdString(port));
    if (cbox_com->count() > 0)
        cbox_com->setCurrentIndex(0);
    else
        cbox_com->setEditText(QString());
}

void Tfrm_mset::RefreshPortList() {
    QStringList names;
    for (const std::string& port : ReadPorts(portSource_)) names << QString::fromStdString(port);
    QStringList shown;
    for (int i = 0; i < cbox_com->count(); ++i) shown << cbox_com->itemText(i);
    if (names == shown)
        return;  // nothing came or went: the text and its caret stay as they are
    const QString text = cbox_com->currentText();
    cbox_com->clear();
    cbox_com->addItems(names);
    const int index = cbox_com->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    cbox_com->setCurrentIndex(index);
    if (index < 0)
        cbox_com->setEditText(text);  // typed, or a port that has gone: the user's to change
}

void Tfrm_mset::SetPortSource(std::function<std::vector<std::string>()> source) {
    portSource_ = std::move(source);
}

void Tfrm_mset::btn8Click() {
    if (LinkOpen()) {
        CloseDeviceLink(LinkCloseReason::User);
        return;
    }
    const std::string name = cbox_com->currentText().trimmed().toStdString();
    if (const std::optional<session::OpenFailure> failure =
            session_->Open(LineFor(name), name)) {
        QString detail = QString::fromLocal8Bit(failure->detail);
        if (failure->HasSystemReason())
            detail += QStringLiteral("\n") + QString::fromLocal8Bit(failure->reason);
        boxes_->Error(kPortErrorMessage, detail);
        btn8->setText(QStringLiteral("Open"));
        BringLampToFront(false);
        return;
    }
    ++LinkToggleCount;
    btn7->setEnabled(true);
    btn8->setText(QStringLiteral("Close"));
    BringLampToFront(true);
}

void Tfrm_mset::CloseDeviceLink(LinkCloseReason reason) {
    if (!LinkOpen())
        return;  // closed already: a loss is reported once, a second close does nothing
    const QString port = QString::fromStdString(session_->CurrentLink()->Name());
    ++LinkToggleCount;
    btn8->setText(QStringLiteral("Open"));

    // Everything running on the link ends with it, before any box can run a nested loop:
    // the request being re-sent, a frame half received, a settings read or write.
    if (session_->Close())
        ClearStatusText();  // the resend count of a request that is gone
    Operations().Abort();
    EndDeviceJob(reason == LinkCloseReason::LineLost ? jobs::LineEnd::Lost : jobs::LineEnd::Closed);
    DisableDeviceButtons();
    BringLampToFront(false);
    stat1->Repaint();

    if (reason == LinkCloseReason::LineLost)
        boxes_->Error(PortDisconnectedMessage(port), QString());
    // A history transfer ends with the link; it may offer to keep what had arrived.
    if (reason == LinkCloseReason::LineLost)
        EndHistoryTransfer("the line was lost", jobs::LineEnd::Lost);
    else
        EndHistoryTransfer("the link was closed");
    DropPendingArchive(QStringLiteral("the link closed"));
}

void Tfrm_mset::btn_stopClick() {
    DisableDeviceButtons();
    StopResend();
    btn_closec->click();
    StopRequested = true;
    EndHistoryTransfer("Stop was pressed");
}

void Tfrm_mset::btn_opencClick() {
    // The auxiliary port is opened as asked or not at all; it has nothing to show.
    mycom.ClosePort();
    mycom.setCommName(cbox_com->currentText().trimmed().toStdString());
    try {
        mycom.OpenPort();
    } catch (const link::ECommsError& e) {
        qWarning("auxiliary port %s: %s", mycom.CommName().c_str(), e.what());
    }
}

void Tfrm_mset::btn_closecClick() {
    mycom.ClosePort();
}

void Tfrm_mset::DisableDeviceButtons() {
    for (QPushButton* button :
         {btn7, btn_down, btn_load, btn_industrial, btn_stop, Button1, Button4, btn_acquiretime,
          Button5, btn_padlockregulation, Button3, Button2, btn_inquire_curdat, btn_loadconfigure,
          btn_saveconfigure, btn_setcurtime})
        button->setEnabled(false);
}

void Tfrm_mset::EnableDeviceButtons() {
    for (QPushButton* button :
         {btn_down, btn_load, btn_industrial, btn_stop, Button1, Button4, btn_acquiretime, Button5,
          btn_padlockregulation, Button3, Button2, btn_inquire_curdat, btn_loadconfigure,
          btn_saveconfigure, btn_setcurtime})
        button->setEnabled(true);
}

}  // namespace lgcset::ui
