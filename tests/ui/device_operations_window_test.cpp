// What the window adds to the device operations: the bar clamped to its range, the buttons
// and the identity after a login, the factory question, the debug flag at start.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <vector>

#include "protocol/command_codes.h"
#include "support/received_frames.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using protocol::Command;
using support::Reply;

TEST(DeviceOperationsWindow, AnEraseAfterTheFourthShowsTheBarFull) {
    auto w = MakeWindow();
    w->btn_downClick();  // no port open: the requests go nowhere
    EXPECT_FALSE(w->pb_write->isHidden());
    for (int i = 0; i < 3; ++i) {
        w->DispatchResponse(Reply(Command::ErasePage, {1}));
        w->DispatchResponse(Reply(Command::WritePage, {1}));
    }
    w->DispatchResponse(Reply(Command::ErasePage, {1}));
    EXPECT_EQ(w->pb_write->value(), 70);
    w->DispatchResponse(Reply(Command::ErasePage, {1}));
    EXPECT_EQ(w->pb_write->value(), w->pb_write->maximum());
    EXPECT_TRUE(w->boxes.Boxes().empty());
    w->StopResend();
}

TEST(DeviceOperationsWindow, LoginEnablesTheDeviceButtonsAndShowsTheLoggerOnlyOnSuccess) {
    auto w = MakeWindow();
    const std::vector<QPushButton*> deviceButtons{w->btn_down, w->btn_load, w->btn_industrial,
                                                  w->btn_stop, w->Button1,  w->btn_inquire_curdat};
    w->DispatchResponse(Reply(Command::Login, {0, 'R', '4', '8', '2', 0, 'V', '1', 0}));
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].text,
              QStringLiteral("Login failure! Please enter the device password correctly."));
    for (QPushButton* button : deviceButtons) EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(w->Edit1->text().isEmpty());

    // By the time "Login success." is on view, the logger is shown and the buttons work.
    QString modelWhileOpen;
    bool enabledWhileOpen = false;
    w->boxes.SetWhileOpen([&](const ScriptedMessageBoxes::Box&) {
        modelWhileOpen = w->Edit1->text();
        enabledWhileOpen = w->btn_load->isEnabled();
    });
    w->DispatchResponse(Reply(Command::Login, {1, 'R', '4', '8', '2', '-', 'X', 0, 'V', '2', 0}));
    EXPECT_EQ(w->boxes.Boxes().back().text, QStringLiteral("Login success."));
    EXPECT_EQ(modelWhileOpen, QStringLiteral("R482-X"));
    EXPECT_TRUE(enabledWhileOpen);
    EXPECT_EQ(w->edt43->text(), QStringLiteral("V2"));
    for (QPushButton* button : deviceButtons) EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(w->Codes().sensorTypeCodes[0], 'B');
    EXPECT_EQ(w->cbb_sensor1->itemText(0), QStringLiteral("Ain"));
    // The reply is kept where the login reply lives in the image.
    EXPECT_EQ(w->Image()[5120], 1);
    EXPECT_EQ(w->Image()[5121], 'R');
}

TEST(DeviceOperationsWindow, FactoryModeAsksFirstAndSendsOnlyOnYes) {
    auto w = MakeWindow();
    w->boxes.QueueAnswer(false);
    w->btn_industrialClick();
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].kind, ScriptedMessageBoxes::Kind::Ask);
    EXPECT_EQ(w->boxes.Boxes()[0].text, QStringLiteral("Yes or No to factory mode"));
    EXPECT_EQ(w->boxes.Boxes()[0].caption, QStringLiteral("Information"));
    EXPECT_TRUE(w->ResendCopy().empty());

    w->boxes.QueueAnswer(true);
    w->btn_industrialClick();
    ASSERT_EQ(w->ResendCopy().size(), 11u);
    EXPECT_EQ(w->ResendCopy()[3], protocol::code(Command::FactoryReset));
    w->StopResend();
}

TEST(DeviceOperationsWindow, DebugRepliesAreWordedForDebugOffAtStart) {
    auto w = MakeWindow();
    EXPECT_EQ(w->DebugMode(), 0);
    w->DispatchResponse(Reply(Command::DebugMode, {1}));
    w->DebugModeFlag = 1;
    w->DispatchResponse(Reply(Command::DebugMode, {0}));
    ASSERT_EQ(w->boxes.Boxes().size(), 2u);
    EXPECT_EQ(w->boxes.Boxes()[0].text, QStringLiteral("disable Debug mode successfully"));
    EXPECT_EQ(w->boxes.Boxes()[1].text, QStringLiteral("enable Debug mode failure"));
}

}  // namespace
}  // namespace lgcset::ui::test
