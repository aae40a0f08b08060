// Link control: the port list, opening and closing the device link, Stop, the auxiliary
// port and the buttons that need a logged-in device.
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <cerrno>
#include <exception>

#include "link/port_list.h"
#include "ui/message_box.h"
#include "ui/open_failure_reason.h"
#include "ui/umset.h"

namespace lgcset::ui {

namespace {

const QString kPortErrorMessage =
    QStringLiteral("COM Port Error!Please choosing a correct COM port number.");

}  // namespace

void Tfrm_mset::FillPortList() {
    // The list is filled while the window is built: a system that cannot be asked for its
    // ports leaves the list empty for the user to type a name, it does not stop the program.
    std::vector<std::string> ports;
    try {
        ports = portSource_ ? portSource_() : link::ListSerialPorts();
    } catch (...) {
        ports.clear();
    }
    cbox_com->clear();
    for (const std::string& port : ports) cbox_com->addItem(QString::fromStdString(port));
    if (cbox_com->count() > 0)
        cbox_com->setCurrentIndex(0);
    else
        cbox_com->setEditText(QString());
}

void Tfrm_mset::SetPortSource(std::function<std::vector<std::string>()> source) {
    portSource_ = std::move(source);
}

void Tfrm_mset::btn8Click() {
    const QString name = cbox_com->currentText().trimmed();
    QString detail;
    try {
        cm1.setCommName(name.toStdString());
        if (LinkOpen()) {
            ++LinkToggleCount;
            btn8->setText(QStringLiteral("Open"));
            cm1.ClosePort();
            DisableDeviceButtons();
            BringLampToFront(false);
            EndHistoryTransfer();
            return;
        }
        errno = 0;
        cm1.OpenPort();
        const int error = errno;
        if (cm1.PortOpenError().empty()) {
            ++LinkToggleCount;
            btn7->setEnabled(true);
            btn8->setText(QStringLiteral("Close"));
            BringLampToFront(true);
            return;
        }
        // An open that returns with an error text has failed just as one that raised.
        detail = QString::fromStdString(cm1.PortOpenError());
        const QString reason = OpenFailureReason(error, name);
        if (!reason.isEmpty())
            detail += QStringLiteral("\n") + reason;
        cm1.ClosePort();
    } catch (const std::exception& e) {
        const int error = errno;
        detail = QString::fromLocal8Bit(e.what());
        const QString reason = OpenFailureReason(error, name);
        if (!reason.isEmpty())
            detail += QStringLiteral("\n") + reason;
    }
    boxes_->Error(kPortErrorMessage, detail);
    btn8->setText(QStringLiteral("Open"));
    BringLampToFront(false);
}

void Tfrm_mset::btn_stopClick() {
    try {
        DisableDeviceButtons();
        StopResend();
        btn_closec->click();
        StopRequested = true;
    } catch (...) {
    }
    EndHistoryTransfer();
}

void Tfrm_mset::btn_opencClick() {
    try {
        mycom.ClosePort();
        mycom.setCommName(cbox_com->currentText().trimmed().toStdString());
        mycom.OpenPort();
    } catch (...) {
    }
}

void Tfrm_mset::btn_closecClick() {
    try {
        mycom.ClosePort();
    } catch (...) {
    }
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
