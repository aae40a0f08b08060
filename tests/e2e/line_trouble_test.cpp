// Operations on a line that misbehaves or a user who types something the logger cannot
// take: a save cut off by a dead line and repeated, replies lost or damaged and recovered
// by the re-send, a wrong password, a field that does not convert; and what the window
// shows and sends around the end of a save; a line pulled during a transfer.
#include <QDateTimeEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include "archive/sqlite_archive.h"
#include "e2e_support.h"
#include "export_test_support.h"
#include "support/exact_log.h"
#include "ui/status_panels.h"

namespace lgcset::ui::e2e {
namespace {

constexpr std::uint8_t kWritePageCode = 0x10;
constexpr std::uint8_t kFinishWriteCode = 0x13;

// The GPRS page after the factory state with only the server changed.
Page GprsPageWithServer(std::string_view server) {
    Page page = BlankPage();
    PutText(page, 0, server);
    PutU16(page, 64, 8000);
    page[66] = 0;
    return page;
}

Page FactoryAlarmPage() {
    Page page = BlankPage();
    for (std::size_t block = 0; block < 4; ++block)
        PutAlarmBlock(page, 36 * block, FactoryAlarmBlock('C'));
    return page;
}

TEST(LineTrouble, ASaveCutOffByADeadLineTimesOutAndARepeatedSaveCompletes) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    w.edt_tel1->setText(QStringLiteral("13800138000"));
    w.edt_ip1->setText(QStringLiteral("after.timeout"));

    // Erase 1024, write 1024 and erase 2048 are answered; then the line is dead.
    s.logger.AnswerOnly(3);
    w.btn_down->click();
    ASSERT_TRUE(WaitForBox(w, kTimeout));
    EXPECT_EQ(CountBoxes(w, kSaved), 0);
    EXPECT_EQ(w.Operations().WriteStage(), 2);
    EXPECT_FALSE(w.pb_write->isHidden());  // a stopped save leaves the bar where it stood
    EXPECT_EQ(w.pb_write->value(), 30);
    sim::ParameterMemory memory = s.logger.Memory();
    EXPECT_EQ(memory[1024 + 2], '1');                  // page 1024 went out
    EXPECT_EQ(MemoryPage(memory, 2048), BlankPage());  // page 2048 erased, never written
    EXPECT_EQ(memory[3072], 0xFF);                     // page 3072 untouched ...
    EXPECT_EQ(memory[3072 + 64], 8000 & 0xFF);         // ... the factory port still there

    // The line is back: the same save again, from page 1024 on.
    s.logger.AnswerAll();
    ASSERT_TRUE(s.Save());
    EXPECT_TRUE(w.pb_write->isHidden());
    memory = s.logger.Memory();
    EXPECT_EQ(MemoryPage(memory, 2048), FactoryAlarmPage());
    const Page gprs = MemoryPage(memory, 3072);
    EXPECT_EQ(gprs, GprsPageWithServer("after.timeout"))
        << Differences(gprs, GprsPageWithServer("after.timeout"));
    EXPECT_EQ(CountBoxes(w, kTimeout), 1);
}

TEST(LineTrouble, RepliesLostOrDamagedOnTheLineAreRecoveredByTheResend) {
    sim::Options options;
    options.faults.seed = 2;  // loses some replies and damages others
    options.faults.dropProbability = 0.1;
    options.faults.corruptProbability = 0.1;
    options.faults.noiseProbability = 0.1;
    Session s(options);
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    EXPECT_EQ(w.edt_port->text(), QStringLiteral("8000"));
    w.edt_ip1->setText(QStringLiteral("through.the.noise"));
    ASSERT_TRUE(s.Save());

    const Page gprs = MemoryPage(s.logger.Memory(), 3072);
    EXPECT_EQ(gprs, GprsPageWithServer("through.the.noise"));
    EXPECT_GT(s.logger.counters().repliesDropped.load(), 0u);
    EXPECT_GT(s.logger.counters().repliesCorrupted.load(), 0u);
    EXPECT_EQ(CountBoxes(w, kTimeout), 0);
    // Each operation ended exactly once: no reply was taken twice.
    EXPECT_EQ(CountBoxes(w, kLoginSuccess), 1);
    EXPECT_EQ(CountBoxes(w, kReadDone), 1);
    EXPECT_EQ(CountBoxes(w, kSaved), 1);
}

TEST(LineTrouble, AWrongPasswordIsRefusedAndTheDeviceButtonsStayDisabled) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    EXPECT_FALSE(s.Login("1111"));
    EXPECT_EQ(w.boxes.Boxes().back().text, kLoginFailure);
    for (QPushButton* button : {w.btn_down, w.btn_load, w.btn_industrial, w.btn_stop,
                                w.btn_inquire_curdat, w.btn_loadconfigure})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(w.btn7->isEnabled());  // the user can try again
    EXPECT_TRUE(w.Edit1->text().isEmpty());

    EXPECT_TRUE(s.Login("8604"));
    EXPECT_TRUE(w.btn_load->isEnabled());
}

TEST(LineTrouble, AFieldThatDoesNotConvertOrFitIsNamedAndNothingIsSent) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    const sim::ParameterMemory before = s.logger.Memory();

    const struct {
        FilteredLineEdit* edit;
        QString text;
        QString message;
    } cases[] = {
        {w.edt_relay_time, QStringLiteral("-"),
         QStringLiteral("The value of \"Relay working time when dial-in\" is not a valid number. "
                        "Nothing was written to the device.")},
        {w.edt_Sensor2_High, QStringLiteral("1.2.3"),
         QStringLiteral("The value of \"High (Alarm parameters setting2)\" is not a valid number. "
                        "Nothing was written to the device.")},
        // Numbers the field's bytes cannot hold would be stored as their low bits.
        {w.edt_rec_time, QStringLiteral("300"),
         QStringLiteral("Log interval timer: 300 does not fit; the logger holds 0 to 255.")},
        {w.edt_port, QStringLiteral("70000"),
         QStringLiteral("Port: 70000 does not fit; the logger holds 0 to 65535.")},
        {w.edt_gprsname, QStringLiteral("x€"),
         QStringLiteral("The value of \"User Name\" holds \"€\", which the logger cannot store.")},
    };
    for (const auto& c : cases) {
        const QString good = c.edit->text();
        c.edit->setText(c.text);
        const std::uint32_t frames = s.logger.counters().framesReceived.load();
        w.boxes.Clear();
        w.btn_down->click();
        test::Pump(3 * kResendMs);
        ASSERT_EQ(w.boxes.Boxes().size(), 1u);
        EXPECT_EQ(w.boxes.Boxes()[0].text, c.message);
        EXPECT_EQ(s.logger.counters().framesReceived.load(), frames);
        EXPECT_FALSE(w.tmr_cf->isActive());
        EXPECT_TRUE(w.pb_write->isHidden());
        c.edit->setText(good);
    }
    EXPECT_EQ(s.logger.Memory(), before);
}

TEST(LineTrouble, TheBarFollowsReadAndSaveAndTheClosingRequestWaitsForTheMessage) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    std::vector<int> values;
    QObject::connect(w.pb_write, &QProgressBar::valueChanged, &w,
                     [&](int value) { values.push_back(value); });

    w.SetStatusText(QStringLiteral("resend:2"));  // left by an earlier request
    bool visibleWhileOpen = false;
    w.boxes.SetWhileOpen(
        [&](const ScriptedMessageBoxes::Box&) { visibleWhileOpen = !w.pb_write->isHidden(); });
    ASSERT_TRUE(s.Read());
    EXPECT_EQ(values, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_TRUE(visibleWhileOpen);
    EXPECT_TRUE(w.pb_write->isHidden());
    EXPECT_TRUE(w.StatusText().isEmpty());

    values.clear();
    std::uint32_t framesWhileOpen = 0;
    std::uint8_t lastSentWhileOpen = 0;
    w.boxes.SetWhileOpen([&](const ScriptedMessageBoxes::Box& box) {
        if (box.text != kSaved)
            return;
        test::Pump(100);  // as a modal box would, let the line and the timers run
        framesWhileOpen = s.logger.counters().framesReceived.load();
        lastSentWhileOpen = w.ResendCopy()[3];
    });
    const std::uint32_t framesBefore = s.logger.counters().framesReceived.load();
    w.SetStatusText(QStringLiteral("resend:1"));
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(values, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_EQ(framesWhileOpen - framesBefore, 8u);  // four erases, four writes
    EXPECT_EQ(lastSentWhileOpen, kWritePageCode);
    EXPECT_EQ(w.ResendCopy()[3], kFinishWriteCode);
    EXPECT_EQ(s.logger.counters().framesReceived.load() - framesBefore, 9u);
    EXPECT_TRUE(w.pb_write->isHidden());
    // The resend count is gone; a window without an archive says the write is not recorded.
    EXPECT_EQ(w.StatusText().toStdString(), jobs::kNoRecordKept);
    // The closing request's reply shows nothing.
    EXPECT_EQ(w.boxes.Boxes().back().text, kSaved);
}

// The device ID is read before the transfer, so what arrived before the line was lost is
// archived, and the status bar says the transfer ended early.
TEST(LineTrouble, ALinePulledDuringATransferArchivesWhatArrived) {
    sim::Options options = support::HourlyLog(200, "55");
    options.faults.hangUpAfterFrames = 1 + 1 + 1 + 1 + 50;  // login, ID, clock, count, records
    Session s(options);
    ASSERT_TRUE(s.Start());
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Login());
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath(QStringLiteral("a.sqlite")).toStdString();
    test::ExportCapture files(w);
    w.UseArchive(file, false);
    w.DateTimePicker1->setDate(QDate(2024, 3, 1));
    w.DateTimePicker2->setDate(QDate(2024, 3, 31));
    w.Button1->click();  // every box answered Yes: export what arrived
    ASSERT_TRUE(WaitFor(
        [&] { return w.StatusText().contains(QStringLiteral("archived")) || !w.LinkOpen(); },
        20000));
    test::Pump(200);
    EXPECT_EQ(w.StatusText(),
              QStringLiteral("50 new records archived (0 already there); the "
                             "transfer ended early: 50 of 200 records had arrived"));
    for (const auto& box : w.boxes.Boxes())
        EXPECT_FALSE(box.text.contains(QStringLiteral("not archived"))) << box.text.toStdString();

    archive::OpenResult opened = archive::OpenSqliteArchive(file, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    const auto loggers = opened.store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].logger.deviceId, "000000000000055");
    EXPECT_EQ(loggers[0].readings, 50u);
}

}  // namespace
}  // namespace lgcset::ui::e2e
