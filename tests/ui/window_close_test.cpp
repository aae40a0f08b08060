// Closing the window with its links open: the close question, and the ports closed when
// the window goes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "test_pty.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Kind = ScriptedMessageBoxes::Kind;

TEST(WindowClose, AnsweringNoToExitKeepsWindowLinkAndValues) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    auto w = MakeWindow();
    w->show();
    ASSERT_TRUE(OpenLink(*w, pty.SlavePath()));
    w->edt_id->setText(QStringLiteral("12345"));

    w->boxes.QueueAnswer(false);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].kind, Kind::Ask);
    EXPECT_EQ(w->boxes.Boxes()[0].text, QStringLiteral("Exit?"));
    EXPECT_EQ(w->boxes.Boxes()[0].caption, QStringLiteral("Information"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->LinkOpen());
    EXPECT_TRUE(w->cm1.PortOpen());
    EXPECT_EQ(w->edt_id->text(), QStringLiteral("12345"));

    w->boxes.QueueAnswer(true);
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
}

TEST(WindowClose, DestroyingTheWindowClosesBothPorts) {
    Pty device;
    Pty auxiliary;
    ASSERT_TRUE(device.Ok() && auxiliary.Ok());
    auto w = MakeWindow();
    ASSERT_TRUE(OpenLink(*w, device.SlavePath()));
    w->cbox_com->setEditText(QString::fromStdString(auxiliary.SlavePath()));
    w->btn_opencClick();
    ASSERT_TRUE(w->mycom.PortOpen());
    w.reset();  // must neither hang nor leave threads behind (ASan/TSan would tell)
    SUCCEED();
}

}  // namespace
}  // namespace lgcset::ui::test
