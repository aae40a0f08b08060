// What a user meets in the field: the line going away under an open link (an adapter
// pulled out), whether idle, reading or saving, and a destructive question answered with
// the keyboard alone.
#include <QProgressBar>
#include <QTimer>

#include "e2e_support.h"

namespace lgcset::ui::e2e {
namespace {

// A logger that hangs up after sending `frames` replies.
sim::Options HangingUpAfter(std::uint32_t frames) {
    sim::Options options;
    options.faults.hangUpAfterFrames = frames;
    return options;
}

// The loss shown once, and the window in the closed state with nothing left running.
void ExpectClosedAfterLoss(TestWindow& w, const std::string& port) {
    ASSERT_TRUE(WaitForBox(w, Disconnected(port)));
    // Long enough for a request left armed to have timed out.
    test::Pump(6 * kResendMs);
    EXPECT_EQ(CountBoxes(w, Disconnected(port)), 1);
    // After the loss, only a save that stopped half way asks to be made again.
    const auto& last = w.boxes.Boxes().back();
    if (last.caption != QStringLiteral("Write again")) {
        EXPECT_EQ(last.kind, ScriptedMessageBoxes::Kind::Error);
    }
    EXPECT_EQ(CountBoxes(w, kTimeout), 0);
    EXPECT_FALSE(w.LinkOpen());
    EXPECT_FALSE(w.cm1.PortOpen());
    EXPECT_EQ(w.btn8->text(), QStringLiteral("Open"));
    EXPECT_FALSE(w.GreenLampInFront());
    for (QPushButton* button : {w.btn7, w.btn_down, w.btn_load, w.btn_industrial, w.btn_stop})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(w.tmr_cf->isActive());
    EXPECT_TRUE(w.pb_write->isHidden());
}

// The same window on a fresh logger: open, log in, read.
void ExpectAFreshLoggerWorks(TestWindow& w) {
    sim::Simulator next{sim::Options{}};
    std::string error;
    ASSERT_TRUE(next.StartOnPseudoTerminal(&error)) << error;
    ASSERT_TRUE(test::OpenLink(w, next.slavePath()));
    EXPECT_TRUE(w.GreenLampInFront());
    const int logins = CountBoxes(w, kLoginSuccess);
    w.btn7->click();
    ASSERT_TRUE(WaitForBox(w, kLoginSuccess, logins + 1));
    const int reads = CountBoxes(w, kReadDone);
    w.btn_load->click();
    EXPECT_TRUE(WaitForBox(w, kReadDone, reads + 1));
    w.btn8->click();
}

TEST(FieldUse, TheLineLostOnAnIdleLinkClosesItWithOneMessage) {
    Session s(HangingUpAfter(1));  // the login reply, then the line is gone
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    w.edt_id->setText(QStringLiteral("4711"));
    // The loss may follow the login's message at once, so only wait for that message.
    w.btn7->click();
    ASSERT_TRUE(WaitForBox(w, kLoginSuccess));
    ExpectClosedAfterLoss(w, s.logger.slavePath());
    EXPECT_EQ(w.edt_id->text(), QStringLiteral("4711"));
    // Close was pressed for nobody: the window's own Open opens again.
    ExpectAFreshLoggerWorks(w);
}

TEST(FieldUse, TheLineLostDuringReadSettingsEndsTheReadWhereItStood) {
    // Login and the pages 1024 and 2048; the request for 3072 finds the line gone.
    Session s(HangingUpAfter(3));
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    w.edt_tel1->setText(QStringLiteral("13911112222"));        // page 1024: read over
    w.edt_ip1->setText(QStringLiteral("kept.by.the.window"));  // page 3072: never read
    w.btn_load->click();
    ExpectClosedAfterLoss(w, s.logger.slavePath());
    EXPECT_EQ(CountBoxes(w, kReadDone), 0);
    EXPECT_EQ(w.Operations().ReadStage(), 2);
    EXPECT_FALSE(w.Operations().ReadRunning());
    EXPECT_NE(w.edt_tel1->text(), QStringLiteral("13911112222"));
    EXPECT_EQ(w.edt_ip1->text(), QStringLiteral("kept.by.the.window"));
    ExpectAFreshLoggerWorks(w);
}

TEST(FieldUse, TheLineLostDuringSaveSettingsEndsTheSaveAndASaveOnTheNextLoggerCompletes) {
    // Login, the four pages read, then erase 1024, write 1024 and erase 2048.
    Session s(HangingUpAfter(8));
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    w.edt_ip1->setText(QStringLiteral("saved.elsewhere"));
    w.btn_down->click();
    ExpectClosedAfterLoss(w, s.logger.slavePath());
    EXPECT_EQ(CountBoxes(w, kSaved), 0);
    EXPECT_EQ(w.Operations().WriteStage(), 2);
    EXPECT_EQ(w.edt_ip1->text(), QStringLiteral("saved.elsewhere"));
    s.logger.Stop();
    EXPECT_EQ(MemoryPage(s.logger.Memory(), 2048), BlankPage());  // erased, never written

    // The same settings saved in full on the next logger.
    sim::Simulator next{sim::Options{}};
    std::string error;
    ASSERT_TRUE(next.StartOnPseudoTerminal(&error)) << error;
    ASSERT_TRUE(test::OpenLink(w, next.slavePath()));
    const int logins = CountBoxes(w, kLoginSuccess);
    w.btn7->click();
    ASSERT_TRUE(WaitForBox(w, kLoginSuccess, logins + 1));
    w.btn_down->click();
    ASSERT_TRUE(WaitForBox(w, kSaved));
    ASSERT_TRUE(WaitFor([&] { return next.counters().framesReceived.load() >= 10u; }));
    const Page gprs = MemoryPage(next.Memory(), 3072);
    EXPECT_EQ(std::string(gprs.begin(), gprs.begin() + 15), "saved.elsewhere");
}

TEST(FieldUse, EnterOrEscapeOnTheFactoryQuestionResetsNothing) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    w.boxes.Clear();
    const std::uint32_t frames = s.logger.counters().framesReceived.load();
    for (auto key : {ScriptedMessageBoxes::Key::Enter, ScriptedMessageBoxes::Key::Escape}) {
        w.boxes.QueueKey(key);
        w.btn_industrial->click();
    }
    test::Pump(2 * kResendMs);
    ASSERT_EQ(w.boxes.Boxes().size(), 2u);
    for (const auto& box : w.boxes.Boxes()) {
        EXPECT_EQ(box.text, QStringLiteral("Yes or No to factory mode"));
        EXPECT_EQ(box.defaultButton, DefaultButton::No);
    }
    EXPECT_EQ(s.logger.counters().framesReceived.load(), frames);
    EXPECT_TRUE(w.ResendCopy().empty() || w.ResendCopy()[3] != 0x14);

    // Only a deliberate Yes resets the logger.
    w.boxes.QueueAnswer(true);
    w.btn_industrial->click();
    EXPECT_TRUE(WaitForBox(w, QStringLiteral("Reset to factory mode successfully.All parameters "
                                             "are back to default settings.")));
}

}  // namespace
}  // namespace lgcset::ui::e2e
