// Opening and closing the device link, Stop, the port list, and failed opens.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "link/port_list.h"
#include "test_pty.h"
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

// A made-up sysfs tty class and /dev, to which ports can be added while the window runs.
class FakePortTree {
  public:
    FakePortTree()
        : root_(std::filesystem::temp_directory_path() /
                ("lgcset-window-ports-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "sys/class/tty");
        std::filesystem::create_directories(root_ / "dev");
    }
    ~FakePortTree() { std::filesystem::remove_all(root_); }

    void Plug(const std::string& name) {
        const auto entry = root_ / "sys/class/tty" / name;
        std::filesystem::create_directories(entry / "device");
        std::ofstream(root_ / "dev" / name).put('\0');
    }
    void Unplug(const std::string& name) {
        std::filesystem::remove_all(root_ / "sys/class/tty" / name);
        std::filesystem::remove(root_ / "dev" / name);
    }
    std::vector<std::string> List() const {
        return link::ListSerialPorts(root_ / "sys/class/tty", root_ / "dev");
    }
    QString Dev(const std::string& name) const {
        return QString::fromStdString((root_ / "dev" / name).string());
    }

  private:
    std::filesystem::path root_;
};

QStringList Items(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
    return items;
}

TEST(LinkControl, ThePortListIsReadAgainEachTimeItDropsDownKeepingTheText) {
    FakePortTree tree;
    tree.Plug("ttyS0");
    auto w = MakeWindow();
    w->SetPortSource([&] { return tree.List(); });
    w->FillPortList();
    w->show();
    ASSERT_EQ(Items(*w->cbox_com), QStringList{tree.Dev("ttyS0")});

    // An adapter plugged in after start is there the next time the list opens; the port
    // chosen stays chosen.
    tree.Plug("ttyUSB0");
    w->cbox_com->showPopup();
    EXPECT_EQ(Items(*w->cbox_com), (QStringList{tree.Dev("ttyS0"), tree.Dev("ttyUSB0")}));
    EXPECT_EQ(w->cbox_com->currentText(), tree.Dev("ttyS0"));
    w->cbox_com->hidePopup();

    // A typed name survives a list that changed around it, and so does the name of a port
    // that went away.
    w->cbox_com->setEditText(QStringLiteral("/dev/ttyACM7"));
    tree.Plug("ttyACM0");
    w->cbox_com->showPopup();
    w->cbox_com->hidePopup();
    EXPECT_EQ(Items(*w->cbox_com).size(), 3);
    EXPECT_EQ(w->cbox_com->currentText(), QStringLiteral("/dev/ttyACM7"));
    w->cbox_com->setCurrentIndex(2);
    ASSERT_EQ(w->cbox_com->currentText(), tree.Dev("ttyUSB0"));
    tree.Unplug("ttyUSB0");
    w->cbox_com->showPopup();
    w->cbox_com->hidePopup();
    EXPECT_EQ(Items(*w->cbox_com), (QStringList{tree.Dev("ttyACM0"), tree.Dev("ttyS0")}));
    EXPECT_EQ(w->cbox_com->currentText(), tree.Dev("ttyUSB0"));
}

const QString kDisconnectedPrefix = QStringLiteral("The serial port ");

int Disconnections(const TestWindow& w) {
    int count = 0;
    for (const auto& box : w.boxes.Boxes())
        count += box.text.startsWith(kDisconnectedPrefix) ? 1 : 0;
    return count;
}

TEST(LinkControl, ALostLineClosesTheLinkAndTheSameNameOpensAgainOnceTheLineIsBack) {
    // The port is opened by a name of its own, which a new line takes over later, as an
    // adapter plugged in again comes back under its old name.
    const std::string name =
        (std::filesystem::temp_directory_path() / ("lgcset-port-" + std::to_string(::getpid())))
            .string();
    auto first = std::make_unique<Pty>();
    ASSERT_TRUE(first->Ok());
    std::filesystem::remove(name);
    std::filesystem::create_symlink(first->SlavePath(), name);
    auto w = MakeWindow();
    w->show();
    w->SetResendInterval(100);
    ASSERT_TRUE(OpenLink(*w, name));
    w->EnableDeviceButtons();
    w->SendRequest(23);                                          // outstanding when the line goes
    w->Assembler().Feed(std::vector<std::uint8_t>{0xA5, 0x07});  // half a reply

    first->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return Disconnections(*w) > 0; }));
    Pump(600);  // more than the outstanding request's four sends
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    const auto& box = w->boxes.Boxes()[0];
    EXPECT_EQ(box.kind, Kind::Error);
    EXPECT_EQ(box.text, QStringLiteral("The serial port %1 has been disconnected. The link is "
                                       "closed; open it again once the port is back.")
                            .arg(QString::fromStdString(name)));
    ExpectClosed(*w);
    EXPECT_EQ(w->LinkToggleCount, 2);
    for (QPushButton* b : DeviceButtons(*w))
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(w->tmr_cf->isActive());
    EXPECT_FALSE(w->Assembler().InFrame());

    Pty second;
    ASSERT_TRUE(second.Ok());
    std::filesystem::remove(name);
    std::filesystem::create_symlink(second.SlavePath(), name);
    w->btn8->click();  // the name is still in the list's text
    EXPECT_TRUE(w->LinkOpen());
    EXPECT_TRUE(w->GreenLampInFront());
    w->SendRequest(23);
    EXPECT_TRUE(WaitFor([&] { return second.Drain().size() >= 11; }));
    w->StopResend();

    // Closed by the user first, the loss of the line that follows says nothing.
    w->btn8->click();
    second.CloseMaster();
    Pump(300);
    EXPECT_EQ(Disconnections(*w), 1);
    std::filesystem::remove(name);
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
