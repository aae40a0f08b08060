// A save that stops half way in the window: the pages the logger lacks are named, and the
// pages held for it go again only when the user asked for it, only to the same logger on
// the same line, and never over a later save.
#include <QTemporaryDir>
#include <filesystem>

#include "e2e_support.h"

namespace lgcset::ui::e2e {
namespace {

const QString kWriteAgain = QStringLiteral("Write again");

int WriteAgainAsked(const TestWindow& w) {
    int asked = 0;
    for (const auto& box : w.boxes.Boxes()) asked += box.caption == kWriteAgain ? 1 : 0;
    return asked;
}

// The changes of every test, typed after the logger's settings were read.
void TypeChanges(TestWindow& w) {
    w.Settings().SetText("edt_port", "9001");
    w.Settings().SetText("edt_ip1", "half.example.com");
}

// What the logger holds after the same changes saved on a line that never fails.
SettingsPages PlannedPages() {
    Session clean{sim::Options{}};
    EXPECT_TRUE(clean.Start() && clean.Login() && clean.Read());
    TypeChanges(*clean.window);
    EXPECT_TRUE(clean.Save());
    return MemoryPages(clean.logger.Memory());
}

// A save whose line goes dead after the first page was written, and the question it ends
// with answered `writeAgain`.
void SaveCutOff(Session& s, bool writeAgain) {
    TestWindow& w = *s.window;
    ASSERT_TRUE(s.Read());
    TypeChanges(w);
    w.boxes.QueueAnswer(writeAgain);
    s.logger.AnswerOnly(3);  // erase and write of 1024, erase of 2048
    w.btn_down->click();
    ASSERT_TRUE(WaitFor([&] { return WriteAgainAsked(w) == 1; }, 15000));
    EXPECT_EQ(w.boxes.Boxes().back().text,
              QStringLiteral("The logger now lacks the alarm, GPRS and system pages: the logger "
                             "stopped answering after writing the numbers page.\n\nWrite the "
                             "same settings again once the line is back?"));
    s.logger.AnswerAll();
}

TEST(HalfWrite, AfterTheNextLoginTheHeldPagesAreWrittenOnlyWhenAskedFor) {
    const SettingsPages planned = PlannedPages();
    for (const bool writeAgain : {true, false}) {
        SCOPED_TRACE(writeAgain ? "Yes" : "No");
        Session s{sim::Options{}};
        ASSERT_TRUE(s.Start() && s.Login());
        ASSERT_NO_FATAL_FAILURE(SaveCutOff(s, writeAgain));
        const SettingsPages half = MemoryPages(s.logger.Memory());
        EXPECT_EQ(half[1], BlankPage());  // erased, never written

        // What is typed now is not what was held.
        s.window->Settings().SetText("edt_port", "7000");
        ASSERT_TRUE(s.Login());
        if (writeAgain) {
            ASSERT_TRUE(WaitForBox(*s.window, kSaved));
            ExpectPages(MemoryPages(s.logger.Memory()), planned);
        } else {
            test::Pump(500);
            EXPECT_EQ(CountBoxes(*s.window, kSaved), 0);
            ExpectPages(MemoryPages(s.logger.Memory()), half);
        }
    }
}

// A save made after the question supersedes the held pages: a later login must not put
// the older settings back.
TEST(HalfWrite, ASaveMadeSinceIsNotOverwrittenAtTheNextLogin) {
    Session s{sim::Options{}};
    ASSERT_TRUE(s.Start() && s.Login());
    ASSERT_NO_FATAL_FAILURE(SaveCutOff(s, true));
    s.window->Settings().SetText("edt_port", "7000");
    ASSERT_TRUE(s.Save());
    const SettingsPages saved = MemoryPages(s.logger.Memory());

    ASSERT_TRUE(s.Login());
    test::Pump(500);
    EXPECT_EQ(CountBoxes(*s.window, kSaved), 1);
    ExpectPages(MemoryPages(s.logger.Memory()), saved);
}

// Another logger never receives the pages: one on another port, or another model reached
// through the same port name.
TEST(HalfWrite, ALoginToAnotherLoggerDropsTheHeldPages) {
    struct Case {
        const char* name;
        bool samePortName;
        const char* model;
    };
    const Case cases[] = {{"another port", false, "R481"},
                          {"another model on the same port name", true, "R482"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const std::string port = folder.filePath(QStringLiteral("ttyLOGGER")).toStdString();
        Session s{sim::Options{}};
        ASSERT_TRUE(s.Start());
        TestWindow& w = *s.window;
        w.btn8Click();  // closed, and opened again through the port name
        std::filesystem::create_symlink(s.logger.slavePath(), port);
        ASSERT_TRUE(test::OpenLink(w, port));
        ASSERT_TRUE(s.Login());
        ASSERT_NO_FATAL_FAILURE(SaveCutOff(s, true));

        sim::Options options;
        options.model = c.model;
        sim::Simulator other(options);
        ASSERT_TRUE(other.StartOnPseudoTerminal());
        const SettingsPages before = MemoryPages(other.Memory());
        w.btn8Click();
        ASSERT_FALSE(w.LinkOpen());
        std::filesystem::remove(port);
        std::filesystem::create_symlink(other.slavePath(), port);
        ASSERT_TRUE(test::OpenLink(w, c.samePortName ? port : other.slavePath()));
        ASSERT_TRUE(s.Login());
        test::Pump(500);
        EXPECT_EQ(CountBoxes(w, kSaved), 0);
        ExpectPages(MemoryPages(other.Memory()), before);
    }
}

// A refused erase leaves the line up: answered Yes, the same pages go at once. The refused
// write stays in the record as failed, with the page it did write.
TEST(HalfWrite, ARefusalIsRecordedFailedAndAYesWritesAgainAtOnce) {
    const SettingsPages planned = PlannedPages();
    TestArchive archive;
    sim::Options options;
    options.refuseEraseOf = 2048;
    Session s(options);
    ASSERT_TRUE(s.Start() && s.Login());
    TestWindow& w = *s.window;
    w.UseArchive(archive.file, false);
    ASSERT_TRUE(s.Read());
    TypeChanges(w);
    w.btn_down->click();
    ASSERT_TRUE(WaitForBox(w, kSaved));
    EXPECT_EQ(WriteAgainAsked(w), 1);
    ExpectPages(MemoryPages(s.logger.Memory()), planned);

    const std::vector<archive::AuditRow> trail = archive.Trail(2);
    ASSERT_EQ(trail.size(), 2u);
    const std::string changes =
        "GPRS Connection setting / Target Server IP(DNS):  -> half.example.com\n"
        "GPRS Connection setting / Port: 8000 -> 9001";
    const archive::AuditEntry& refused = trail[0].entry;
    EXPECT_EQ(refused.action, archive::AuditAction::SettingsWritten);
    EXPECT_EQ(refused.result, archive::AuditResult::Failed);
    EXPECT_TRUE(refused.why.starts_with("the logger refused: ")) << refused.why;
    EXPECT_TRUE(refused.why.ends_with(
        "; written: the numbers page; the logger now lacks the alarm, GPRS and system pages"))
        << refused.why;
    EXPECT_EQ(refused.detail, changes);
    EXPECT_EQ(trail[1].entry.result, archive::AuditResult::Done) << trail[1].entry.why;
    EXPECT_EQ(trail[1].entry.detail, changes);
}

}  // namespace
}  // namespace lgcset::ui::e2e
