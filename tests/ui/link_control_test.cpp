// Opening and closing the device link, Stop, the port list, and failed opens.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

#include "ui/open_failure_reason.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Kind = ScriptedMessageBoxes::Kind;

const QString kPortError =
    QStringLiteral("COM Port Error!Please choosing a correct COM port number.");

std::vector<QPushButton*> DeviceButtons(TestWindow& w) {
    return {w.btn_down,          w.btn_load,          w.btn_industrial,
            w.btn_stop,          w.Button1,           w.Button4,
            w.btn_acquiretime,   w.Button5,           w.btn_padlockregulation,
            w.Button3,           w.Button2,           w.btn_inquire_curdat,
            w.btn_loadconfigure, w.btn_saveconfigure, w.btn_setcurtime};
}

void ExpectClosed(TestWindow& w) {
    EXPECT_FALSE(w.LinkOpen());
    EXPECT_FALSE(w.cm1.PortOpen());
    EXPECT_EQ(w.btn8->text(), QStringLiteral("Open"));
    EXPECT_FALSE(w.GreenLampInFront());
    EXPECT_FALSE(w.btn7->isEnabled());
}

TEST(LinkControl, PortListFromTheSystemOrEmpty) {
    auto w = MakeWindow();
    w->SetPortSource([] { return std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS4"}; });
    w->FillPortList();
    ASSERT_EQ(w->cbox_com->count(), 2);
    EXPECT_EQ(w->cbox_com->currentText(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(w->cbox_com->isEditable());

    w->SetPortSource([] { return std::vector<std::string>{}; });
    w->FillPortList();
    EXPECT_EQ(w->cbox_com->count(), 0);
    EXPECT_TRUE(w->cbox_com->currentText().isEmpty());

    // A system that fails to list its ports gives an empty list, not an ended program.
    w->SetPortSource([]() -> std::vector<std::string> {
        throw std::runtime_error("/sys/class/tty unreadable");
    });
    EXPECT_NO_THROW(w->FillPortList());
    EXPECT_EQ(w->cbox_com->count(), 0);

    // Open with no name at all: the port error, and the link stays closed.
    w->btn8Click();
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].text, kPortError);
    ExpectClosed(*w);
}

TEST(LinkControl, OpenCloseAndStopStates) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    auto w = MakeWindow();
    w->show();

    // A typed name with blanks around it opens the trimmed name.
    ASSERT_TRUE(OpenLink(*w, "  " + pty.SlavePath() + " "));
    EXPECT_TRUE(w->boxes.Boxes().empty());
    EXPECT_EQ(w->cm1.CommName(), pty.SlavePath());
    EXPECT_TRUE(w->cm1.PortOpen());
    EXPECT_EQ(w->LinkToggleCount, 1);
    EXPECT_EQ(w->btn8->text(), QStringLiteral("Close"));
    EXPECT_TRUE(w->GreenLampInFront());
    EXPECT_TRUE(w->btn7->isEnabled());
    for (QPushButton* b : DeviceButtons(*w))
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // As after a login, then Stop: every device button off, Login too, link still open.
    w->EnableDeviceButtons();
    for (QPushButton* b : DeviceButtons(*w))
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    w->SendRequest(23);
    ASSERT_TRUE(w->tmr_cf->isActive());
    w->btn_stop->click();
    EXPECT_TRUE(w->StopRequested);
    EXPECT_FALSE(w->tmr_cf->isActive());
    EXPECT_FALSE(w->btn7->isEnabled());
    for (QPushButton* b : DeviceButtons(*w))
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(w->LinkOpen());
    EXPECT_TRUE(w->cm1.PortOpen());
    EXPECT_EQ(w->btn8->text(), QStringLiteral("Close"));
    EXPECT_TRUE(w->GreenLampInFront());

    // Close after Stop closes normally.
    w->btn8->click();
    EXPECT_EQ(w->LinkToggleCount, 2);
    ExpectClosed(*w);
    EXPECT_TRUE(w->boxes.Boxes().empty());

    // And it opens again.
    w->btn8->click();
    EXPECT_TRUE(w->LinkOpen());
    EXPECT_EQ(w->LinkToggleCount, 3);
}

TEST(LinkControl, AnOpenThatOnlySetsAnErrorTextIsAFailure) {
    auto w = MakeWindow();
    w->show();
    EXPECT_FALSE(OpenLink(*w, "/dev/null"));  // a character device, but no serial line
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    const auto& box = w->boxes.Boxes()[0];
    EXPECT_EQ(box.kind, Kind::Error);
    EXPECT_EQ(box.text, kPortError);
    EXPECT_TRUE(box.detail.startsWith(QStringLiteral("File handle is not a comm handle ")))
        << box.detail.toStdString();
    EXPECT_TRUE(box.detail.contains(QStringLiteral("not a serial port")))
        << box.detail.toStdString();
    EXPECT_EQ(w->LinkToggleCount, 0);
    ExpectClosed(*w);
    EXPECT_FALSE(w->cm1.WriteData(reinterpret_cast<const std::uint8_t*>("x"), 1));
}

TEST(LinkControl, AnOpenThatRaisesShowsTheReasonAndStaysClosed) {
    auto w = MakeWindow();
    EXPECT_FALSE(OpenLink(*w, "ttyNoSuchPort7"));
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    const auto& box = w->boxes.Boxes()[0];
    EXPECT_EQ(box.text, kPortError);
    EXPECT_TRUE(box.detail.contains(QStringLiteral("Error opening serial port")));
    EXPECT_TRUE(box.detail.contains(QStringLiteral("No such device: /dev/ttyNoSuchPort7")))
        << box.detail.toStdString();
    ExpectClosed(*w);
}

TEST(LinkControl, AnOpenPortHeldByAnotherOpenerIsBusy) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    auto first = MakeWindow();
    ASSERT_TRUE(OpenLink(*first, pty.SlavePath()));
    auto second = MakeWindow();
    EXPECT_FALSE(OpenLink(*second, pty.SlavePath()));
    ASSERT_EQ(second->boxes.Boxes().size(), 1u);
    EXPECT_TRUE(second->boxes.Boxes()[0].detail.contains(QStringLiteral("busy")))
        << second->boxes.Boxes()[0].detail.toStdString();
    ExpectClosed(*second);
    EXPECT_TRUE(first->cm1.PortOpen());
}

TEST(LinkControl, ReasonTextsNameTheFixForPermissions) {
    const QString denied = OpenFailureReason(EACCES, QStringLiteral("/nonexistent/ttyUSB9"));
    EXPECT_TRUE(denied.contains(QStringLiteral("Permission denied")));
    EXPECT_TRUE(denied.contains(QStringLiteral("dialout")));
    EXPECT_TRUE(OpenFailureReason(0, QStringLiteral("ttyS0")).isEmpty());
}

TEST(LinkControl, HiddenButtonsOpenAndCloseTheAuxiliaryPort) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    auto w = MakeWindow();
    w->cbox_com->setEditText(QString::fromStdString(pty.SlavePath()));
    w->btn_openc->click();
    EXPECT_TRUE(w->mycom.PortOpen());
    EXPECT_EQ(w->mycom.BaudRate(), 38400u);
    EXPECT_TRUE(w->mycom.Outx_XonXoffFlow() && w->mycom.Inx_XonXoffFlow());
    EXPECT_FALSE(w->LinkOpen());
    w->btn10->click();
    EXPECT_FALSE(w->mycom.PortOpen());
    // Failures of the auxiliary port are silent.
    w->cbox_com->setEditText(QStringLiteral("ttyNoSuchPort7"));
    w->btn9->click();
    EXPECT_FALSE(w->mycom.PortOpen());
    EXPECT_TRUE(w->boxes.Boxes().empty());
}

}  // namespace
}  // namespace lgcset::ui::test
