// "Save Profile to..." and "Load Profile" in the window: the dialogs as they open, the file
// between the widgets, the failures shown, and the same widget state as the in-memory model
// gets from the same file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <string>

#include "profile_support.h"
#include "profiles/ini_file.h"
#include "settings/settings_model.h"
#include "support/ui/test_home.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Kind = ScriptedMessageBoxes::Kind;

std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The two profile buttons are device buttons: enabled as after a login.
void EnableProfileButtons(TestWindow& w) {
    w.btn_saveconfigure->setEnabled(true);
    w.btn_loadconfigure->setEnabled(true);
}

// Answers every file dialog with `file` (empty: Cancel) and keeps what the dialog showed.
struct DialogAnswer {
    QString file;
    int runs = 0;
    QString directory;
    QStringList proposed;
    QStringList filters;
    QString suffix;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;

    void Attach(TestWindow& w) {
        w.SetFileDialogRunner([this](QFileDialog& dialog) {
            ++runs;
            directory = dialog.directory().absolutePath();
            proposed = dialog.selectedFiles();
            filters = dialog.nameFilters();
            suffix = dialog.defaultSuffix();
            mode = dialog.acceptMode();
            fileMode = dialog.fileMode();
            return file;
        });
    }
};

TEST(ProfileWindow, TheDialogsOpenWithTheirFiltersAndProposedName) {
    auto w = MakeWindow();
    EnableProfileButtons(*w);
    DialogAnswer answer;  // Cancel
    answer.Attach(*w);

    w->btn_saveconfigure->click();
    EXPECT_EQ(answer.runs, 1);
    EXPECT_EQ(answer.mode, QFileDialog::AcceptSave);
    EXPECT_EQ(answer.suffix, QStringLiteral("ini"));
    ASSERT_EQ(answer.proposed.size(), 1);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("/setini\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(\\.ini)?$"))
                    .match(answer.proposed.front())
                    .hasMatch())
        << answer.proposed.front().toStdString();
    EXPECT_EQ(answer.filters,
              (QStringList{QStringLiteral("ini file (*.ini)"), QStringLiteral("(*.*) (*)")}));

    w->btn_loadconfigure->click();
    EXPECT_EQ(answer.runs, 2);
    EXPECT_EQ(answer.mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(answer.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(answer.filters,
              (QStringList{QStringLiteral("INI file (*.ini)"), QStringLiteral("(*.*) (*)")}));
    // Cancelled both: nothing shown, nothing changed.
    EXPECT_TRUE(w->boxes.Boxes().empty());
    EXPECT_EQ(w->edt_setpwd->text(), QStringLiteral("8604"));
}

// Every dialog of the window starts where the last one was left, in this window or in the
// next one: never in the program's folder, and in the documents folder before any was used
// or once the last folder is gone.
TEST(ProfileWindow, TheDialogsStartInTheLastFolderUsedElseTheDocumentsFolder) {
    support::TestHome home;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    // Qt's form of the path, '/' between names on every system, as the dialogs are given it.
    const QString profiles =
        QDir(QString::fromStdString(home.Root().string())).absoluteFilePath("profiles");
    ASSERT_TRUE(QDir().mkpath(profiles));
    const auto file = home.Root() / "config" / "lgcset" / "window.ini";

    auto w = MakeWindow();
    w->RememberFoldersIn(file);
    EnableProfileButtons(*w);
    DialogAnswer answer;
    answer.Attach(*w);
    answer.file = profiles + QStringLiteral("/site.ini");
    w->btn_saveconfigure->click();
    EXPECT_EQ(answer.directory, documents);
    EXPECT_NE(answer.directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    answer.file.clear();
    w->btn_loadconfigure->click();
    EXPECT_EQ(answer.directory, profiles);
    w->btn_exportfolder->click();  // the folder dialog too
    EXPECT_EQ(answer.directory, profiles);

    auto next = MakeWindow();
    next->RememberFoldersIn(file);
    EnableProfileButtons(*next);
    answer.Attach(*next);
    next->btn_loadconfigure->click();
    EXPECT_EQ(answer.directory, profiles);
    // A folder chosen and then removed. It is one no dialog has shown: on Windows a folder a
    // dialog watched stays until the watch ends.
    const QString gone = QDir(profiles).absoluteFilePath("../gone");
    ASSERT_TRUE(QDir().mkpath(gone));
    answer.file = gone;
    next->btn_exportfolder->click();
    answer.file.clear();
    ASSERT_TRUE(QDir(gone).removeRecursively());
    next->btn_loadconfigure->click();
    EXPECT_EQ(answer.directory.toStdString(), documents.toStdString());
}

TEST(ProfileWindow, TheRealDialogsGiveTheFileTheUserChose) {
    QTemporaryDir temp;
    auto w = MakeWindow();
    w->edt_tel1->setText(QStringLiteral("555"));
    // The user types a name without extension into the save dialog and accepts it.
    QTimer::singleShot(0, w.get(), [&] {
        w->dlgSave_configuredocument->selectFile(temp.filePath(QStringLiteral("fresh")));
        static_cast<QDialog*>(w->dlgSave_configuredocument)->accept();
    });
    w->btn_saveconfigureClick();
    const QString saved = temp.filePath(QStringLiteral("fresh.ini"));
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_NE(ReadFile(saved).find("\r\ntel1=555\r\n"), std::string::npos);

    w->edt_tel1->setText(QStringLiteral("777"));
    QTimer::singleShot(0, w.get(), [&] {
        w->dlgOpen_configuredocument->selectFile(saved);
        static_cast<QDialog*>(w->dlgOpen_configuredocument)->accept();
    });
    w->btn_loadconfigureClick();
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("555"));

    // Cancel changes nothing.
    w->edt_tel1->setText(QStringLiteral("777"));
    QTimer::singleShot(0, w.get(), [&] { w->dlgOpen_configuredocument->reject(); });
    w->btn_loadconfigureClick();
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("777"));
    EXPECT_TRUE(w->boxes.Boxes().empty());
}

TEST(ProfileWindow, SavedFromOneWindowAndLoadedIntoAnotherAsIntoTheModel) {
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("site.ini"));
    DialogAnswer answer;
    answer.file = path;

    auto saver = MakeWindow();
    EnableProfileButtons(*saver);
    answer.Attach(*saver);
    profiles::test::SetEveryWidget(saver->Settings());
    saver->btn_saveconfigure->click();
    EXPECT_TRUE(saver->boxes.Boxes().empty());
    const std::string bytes = ReadFile(path);
    EXPECT_NE(bytes.find("[COM]\r\nsetPwd=setPwd1\r\n[TEL]\r\n"), std::string::npos);

    auto loader = MakeWindow();
    EnableProfileButtons(*loader);
    answer.Attach(*loader);
    loader->btn_loadconfigure->click();
    EXPECT_TRUE(loader->boxes.Boxes().empty());
    EXPECT_EQ(loader->edt_Sensor4_end->text(), QStringLiteral("evalue98"));
    EXPECT_EQ(loader->DateTimePicker8->time(), QTime(50 % 24, 350 % 60));
    EXPECT_TRUE(loader->CheckBox5->isChecked());
    EXPECT_TRUE(loader->CheckBox5->isEnabled());
    EXPECT_EQ(loader->cbb_sensor3->currentIndex(), 2);

    settings::SettingsModel model;
    profiles::LoadProfile(profiles::IniFile::FromBytes(bytes), model);
    EXPECT_EQ(profiles::test::FirstDifference(model, loader->Settings()), "");
    for (const settings::WidgetRow* widget : profiles::ProfileWidgets()) {
        const std::string& n = widget->name;
        if (widget->kind == settings::WidgetKind::Edit) {
            EXPECT_EQ(loader->Settings().Text(n), saver->Settings().Text(n)) << n;
        } else if (widget->kind == settings::WidgetKind::List) {
            EXPECT_EQ(loader->Settings().ItemIndex(n), saver->Settings().ItemIndex(n)) << n;
        }
    }
}

TEST(ProfileWindow, TheWindowAndTheModelEndInTheSameStateForTheSameFile) {
    const std::string files[] = {
        // Missing keys throughout but one (a file with none is refused).
        "[COM]\r\nSetPwd=1111\r\n",
        // The chain only while each box is set; Schedule mode.
        "[OTHER]\r\nupmode=1\r\ngprsupmode=1\r\n"
        "[fixedpointtime]\r\ntime1open=0\r\ntime2open=1\r\ntime4open=1\r\n",
        // Timer mode with schedules checked; no item selected; a 12-hour time; an upload
        // timer above a day, cut back by its range check.
        "[other]\r\nUPMODE=0\r\ngprsupmode=-1\r\ngprstimeup=5000\r\ngprspointup=9:15:00 PM\r\n"
        "[FIXEDPOINTTIME]\r\ntime1open=1\r\ntime2open=2\r\ntime3open=0x1\r\n"
        "time1time=7:05 AM\r\n[TEL]\r\ntel1_fun1=0x1\r\ntel2_fun2=-1\r\n",
    };
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("p.ini"));
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        WriteFile(path, file);
        auto w = MakeWindow();
        std::vector<std::string> modelMessages;
        settings::SettingsModel model(
            [&](const std::string& text) { modelMessages.push_back(text); });
        // Both start alike, then both load.
        EXPECT_EQ(profiles::test::FirstDifference(model, w->Settings()), "");
        DialogAnswer answer;
        answer.file = path;
        answer.Attach(*w);
        w->btn_loadconfigureClick();
        profiles::LoadProfile(profiles::IniFile::FromBytes(file), model);
        EXPECT_EQ(profiles::test::FirstDifference(model, w->Settings()), "");
        ASSERT_EQ(w->boxes.Boxes().size(), modelMessages.size());
        for (std::size_t i = 0; i < modelMessages.size(); ++i)
            EXPECT_EQ(w->boxes.Boxes()[i].text.toStdString(), modelMessages[i]);
    }
}

TEST(ProfileWindow, ASaveThatCannotBeWrittenSaysSoAndLeavesTheFolderAlone) {
    QTemporaryDir temp;
    // A regular file where the folder should be: no user, root included, can write there.
    const QString plain = temp.filePath(QStringLiteral("plain"));
    WriteFile(plain, "old");
    const QString target = plain + QStringLiteral("/site.ini");
    auto w = MakeWindow();
    DialogAnswer answer;
    answer.file = target;
    answer.Attach(*w);
    w->btn_saveconfigureClick();
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].kind, Kind::Error);
    EXPECT_EQ(w->boxes.Boxes()[0].text,
              QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(target));
    EXPECT_FALSE(w->boxes.Boxes()[0].detail.isEmpty());
    EXPECT_EQ(ReadFile(plain), "old");
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("plain")});
}

TEST(ProfileWindow, AFileThatCannotBeReadSaysSoAndChangesNoWidget) {
    QTemporaryDir temp;
    const QString folderAsFile = temp.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folderAsFile));
    auto w = MakeWindow();
    w->edt_tel1->setText(QStringLiteral("123"));
    DialogAnswer answer;
    answer.file = folderAsFile;
    answer.Attach(*w);
    w->btn_loadconfigureClick();
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].text,
              QStringLiteral("Unable to read ") + QDir::toNativeSeparators(folderAsFile));
    EXPECT_EQ(w->edt_tel1->text(), QStringLiteral("123"));
    EXPECT_EQ(w->edt_setpwd->text(), QStringLiteral("8604"));
}

TEST(ProfileWindow, AFileThatHoldsNoSettingsOrAValueThatDoesNotFitIsRefusedAndChangesNoWidget) {
    QTemporaryDir temp;
    const QString stray = temp.filePath(QStringLiteral("stray.ini"));
    const QString unfit = temp.filePath(QStringLiteral("unfit.ini"));
    WriteFile(stray, std::string(1, '\0') + "\xFF garbage that is not a profile\r\n");
    WriteFile(unfit, "[GPRS]\r\nport=1234\r\n[SENSOR1]\r\nflag=7\r\n");
    const struct {
        QString file;
        QString text;
        QString detail;
    } cases[] = {
        {stray, QDir::toNativeSeparators(stray) + QStringLiteral(" holds no settings of this program."),
         QString()},
        {unfit, QStringLiteral("Unable to load ") + QDir::toNativeSeparators(unfit),
         QStringLiteral("Sensor1 (Alarm parameters setting1): [SENSOR1] flag=7 does not fit; the "
                        "setting holds 0 \"Centigrade\", 1 \"Fahrenheit\" or 2 \"AIN\".")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        auto w = MakeWindow();
        auto untouched = MakeWindow();
        for (auto* window : {w.get(), untouched.get()}) {
            window->edt_port->setText(QStringLiteral("9000"));
            window->Settings().SetItemIndex("cbb_sensor1", 1);
        }
        DialogAnswer answer;
        answer.file = c.file;
        answer.Attach(*w);
        w->btn_loadconfigureClick();
        ASSERT_EQ(w->boxes.Boxes().size(), 1u);
        EXPECT_EQ(w->boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(w->boxes.Boxes()[0].detail, c.detail);
        EXPECT_EQ(profiles::test::FirstDifference(untouched->Settings(), w->Settings()), "");
    }
}

// A profile saved from another model is asked about while every widget still shows what it
// did; No leaves them so, Yes loads it.
TEST(ProfileWindow, AProfileOfAnotherModelIsAskedAboutBeforeAnyWidgetChanges) {
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("r483.ini"));
    DialogAnswer answer;
    answer.file = path;
    auto saver = MakeWindow();
    answer.Attach(*saver);
    saver->Edit1->setText(QStringLiteral("R483"));
    saver->edt_tel1->setText(QStringLiteral("555"));
    saver->btn_saveconfigureClick();

    for (const bool yes : {false, true}) {
        auto w = MakeWindow();
        auto untouched = MakeWindow();
        for (auto* window : {w.get(), untouched.get()})
            window->Edit1->setText(QStringLiteral("R481"));
        answer.Attach(*w);
        std::string changed = "not asked";
        w->boxes.SetWhileOpen([&](const ScriptedMessageBoxes::Box&) {
            changed = profiles::test::FirstDifference(untouched->Settings(), w->Settings());
        });
        w->boxes.QueueAnswer(yes);
        w->btn_loadconfigureClick();
        EXPECT_EQ(changed, "");
        ASSERT_EQ(w->boxes.Boxes().size(), 1u);
        EXPECT_EQ(w->boxes.Boxes()[0].kind, Kind::Ask);
        EXPECT_EQ(w->boxes.Boxes()[0].defaultButton, DefaultButton::No);
        EXPECT_EQ(w->boxes.Boxes()[0].text,
                  QStringLiteral("This profile was saved from R483; the logger is R481. Load it "
                                 "anyway?"));
        EXPECT_EQ(w->edt_tel1->text(), yes ? QStringLiteral("555") : QString());
    }
}

}  // namespace
}  // namespace lgcset::ui::test
