// The real Yes/No box answered from the keyboard: Enter takes the default button the
// caller chose, Escape always answers No.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "test_input.h"
#include "ui/message_box.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

// Asks with a real modal box and presses `key` in it once it is up.
bool AskAndPress(DefaultButton defaultButton, Qt::Key key) {
    App();
    QWidget owner;
    owner.show();
    ModalMessageBoxes boxes(&owner);
    QTimer press;
    press.setInterval(10);
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            press.stop();
            KeyClick(box, key);
        }
    });
    press.start();
    return boxes.Ask(QStringLiteral("Yes or No to factory mode"), QStringLiteral("Information"),
                     defaultButton);
}

TEST(MessageBox, EnterTakesTheDefaultButtonAndEscapeAnswersNo) {
    EXPECT_FALSE(AskAndPress(DefaultButton::No, Qt::Key_Return));
    EXPECT_FALSE(AskAndPress(DefaultButton::No, Qt::Key_Enter));
    EXPECT_TRUE(AskAndPress(DefaultButton::Yes, Qt::Key_Return));
    EXPECT_FALSE(AskAndPress(DefaultButton::Yes, Qt::Key_Escape));
}

TEST(MessageBox, TheFactoryQuestionDefaultsToNoAndExitToYes) {
    auto w = MakeWindow();
    w->boxes.QueueKey(ScriptedMessageBoxes::Key::Enter);
    w->btn_industrialClick();
    w->boxes.QueueKey(ScriptedMessageBoxes::Key::Enter);
    EXPECT_TRUE(w->FormCloseQuery());
    ASSERT_EQ(w->boxes.Boxes().size(), 2u);
    EXPECT_EQ(w->boxes.Boxes()[0].defaultButton, DefaultButton::No);
    EXPECT_EQ(w->boxes.Boxes()[1].text, QStringLiteral("Exit?"));
    EXPECT_EQ(w->boxes.Boxes()[1].defaultButton, DefaultButton::Yes);
    EXPECT_TRUE(w->ResendCopy().empty());  // Enter sent no reset
}

}  // namespace
}  // namespace lgcset::ui::test
