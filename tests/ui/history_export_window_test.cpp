// The window's export of a history store: status panel, progress bar, Stop, the messages
// and questions, and the opening of the files, with the files in a folder of the test's.
#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "export_test_support.h"
#include "jobs/change_log.h"
#include "support/ui/test_home.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Kind = ScriptedMessageBoxes::Kind;

void Fill(Tfrm_mset& w, int count) {
    for (int i = 0; i < count; ++i) {
        data::HistoryRecord& r = w.History[static_cast<std::size_t>(i)];
        r = {};
        r.year = 24;
        r.month = 3;
        r.day = 5;
        r.hour = 14;
        r.minute = 7;
        r.second = static_cast<std::uint8_t>(i % 60);
        r.sensor[0] = 23.456;
        r.sensorPresent[0] = 1;
        r.sensorPresent[3] = 1;
        r.longitude = r.latitude = r.velocity = data::kAbsentPosition;
        r.direction = 900;
    }
    w.HistoryCount = static_cast<std::uint16_t>(count);
}

std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(HistoryExportWindow, SavesBothFilesThenOffersToOpenEach) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 25);
    std::vector<int> bar;
    QObject::connect(w->pb_write, &QProgressBar::valueChanged, [&](int v) { bar.push_back(v); });
    w->boxes.QueueAnswer(true);
    w->boxes.QueueAnswer(true);
    w->ExportHistory();

    const auto names = files.Files();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(QRegularExpression(R"(^SAVE\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.xls$)")
                    .match(QString::fromStdString(names[0]))
                    .hasMatch())
        << names[0];
    EXPECT_TRUE(QRegularExpression(R"(^SAVE_CSV_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.csv$)")
                    .match(QString::fromStdString(names[1]))
                    .hasMatch())
        << names[1];
    const QString xls = QString::fromStdString((files.folder / names[0]).string());
    const QString csv = QString::fromStdString((files.folder / names[1]).string());
    // The manifest beside them: the window's logger and range, the settings not read.
    ASSERT_EQ(files.Files(true).size(), 1u);
    const exports::ManifestRead manifest =
        exports::ReadManifestFile(files.folder / files.Files(true)[0]);
    ASSERT_EQ(manifest.outcome, exports::ManifestRead::Outcome::Read) << manifest.error;
    EXPECT_EQ(manifest.manifest.program, "lgcset");
    EXPECT_EQ(manifest.manifest.rangeFrom,
              w->DateTimePicker1->date().toString(Qt::ISODate).toStdString());
    EXPECT_EQ(manifest.manifest.records, 25u);
    EXPECT_TRUE(manifest.manifest.complete);
    EXPECT_FALSE(manifest.manifest.limits);
    EXPECT_EQ(manifest.manifest.csv, names[1]);

    const auto& boxes = w->boxes.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].kind, Kind::Show);
    EXPECT_EQ(boxes[0].text, "Historical Data Saved as Excel file and CSV file success.");
    EXPECT_TRUE(boxes[0].detail.contains(xls)) << boxes[0].detail.toStdString();
    EXPECT_TRUE(boxes[0].detail.contains(csv));
    EXPECT_FALSE(boxes[0].detail.contains("valid date"));
    EXPECT_EQ(boxes[1].kind, Kind::OkCancel);
    EXPECT_EQ(boxes[1].caption, "Information");
    EXPECT_EQ(boxes[1].text, "Open to view the excel file?");
    EXPECT_EQ(boxes[2].kind, Kind::OkCancel);
    EXPECT_EQ(boxes[2].caption, "Information");
    EXPECT_EQ(boxes[2].text, "Open to view the CSV file?");
    EXPECT_EQ(files.opened, (std::vector<QString>{xls, csv}));

    EXPECT_EQ(bar, (std::vector<int>{8, 16, 24, 32, 40, 48, 56, 64, 72, 80}));
    // No archive to record the export in: said in the status.
    EXPECT_EQ(w->StatusText().toStdString(), jobs::kNoRecordKept);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(w->History[static_cast<std::size_t>(i)].sensorPresent,
                  (std::array<std::uint8_t, 4>{}));
    }
    const std::string text = Read(files.folder / names[1]);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2, 31), "24-03-05 14:07:00,23.46,,,0,,,,");
}

TEST(HistoryExportWindow, CancelOpensNothingAndAFailedOpenShowsItsCode) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 1);
    files.openResult = 2;
    w->boxes.QueueAnswer(false);
    w->boxes.QueueAnswer(true);
    w->ExportHistory();
    ASSERT_EQ(files.opened.size(), 1u);
    EXPECT_TRUE(files.opened[0].endsWith(".csv"));
    const auto& boxes = w->boxes.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].kind, Kind::Show);
    EXPECT_EQ(boxes[3].text, "Open file error code:2");
    EXPECT_EQ(files.Files().size(), 2u) << "the files stay";
}

TEST(HistoryExportWindow, ASecondExportInTheSameSecondKeepsTheFirstAndNamesItsOwnFiles) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    w->ExportClock = [] { return exports::LocalTime{2026, 12, 9, 5, 40, 6}; };
    w->boxes.SetDefaultAnswer(true);
    Fill(*w, 5);
    w->ExportHistory();
    Fill(*w, 2);
    w->ExportHistory();
    w->ExportClock = nullptr;
    EXPECT_EQ(files.Files(),
              (std::vector<std::string>{
                  "SAVE2026-12-09_05-40-06.xls", "SAVE2026-12-09_05-40-06_2.xls",
                  "SAVE_CSV_2026-12-09_05-40-06.csv", "SAVE_CSV_2026-12-09_05-40-06_2.csv"}));
    const QString xls =
        QString::fromStdString((files.folder / "SAVE2026-12-09_05-40-06_2.xls").string());
    const QString csv =
        QString::fromStdString((files.folder / "SAVE_CSV_2026-12-09_05-40-06_2.csv").string());
    const auto& boxes = w->boxes.Boxes();
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_TRUE(boxes[3].detail.contains(xls)) << boxes[3].detail.toStdString();
    EXPECT_TRUE(boxes[3].detail.contains(csv));
    ASSERT_EQ(files.opened.size(), 4u);
    EXPECT_EQ(files.opened[2], xls);
    EXPECT_EQ(files.opened[3], csv);
    const std::string first = Read(files.folder / "SAVE_CSV_2026-12-09_05-40-06.csv");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 6) << "the first export's records";
}

TEST(HistoryExportWindow, TheDesktopsOpenerIsNotWaitedForAndOneThatCannotStartSaysSo) {
    auto w = MakeWindow();
    if (w->DesktopOpener.isEmpty())
        GTEST_SKIP() << "no opener program here: Windows opens a file through the shell's "
                        "associations, for which a shell script cannot stand in";
    ExportCapture files(*w);
    w->OpenExportedFile = nullptr;
    // An opener that notes the file it was given and then takes its time, as a desktop's
    // may while it starts an application. It lives beside the export's folder.
    const std::filesystem::path tools = files.folder.string() + "-opener";
    std::filesystem::create_directories(tools);
    const std::filesystem::path opener = tools / "opener";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" << (tools / "opened").string()
                          << "\"\nexec sleep 3 </dev/null >/dev/null 2>&1\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    w->DesktopOpener = QString::fromStdString(opener.string());
    w->boxes.SetDefaultAnswer(true);
    Fill(*w, 1);
    QElapsedTimer took;
    took.start();
    w->ExportHistory();
    EXPECT_LT(took.elapsed(), 1500) << "the window waited for the opener";
    EXPECT_EQ(w->boxes.Boxes().size(), 3u) << "no failure to report";
    const auto names = files.Files();
    ASSERT_EQ(names.size(), 2u);
    const std::string both =
        (files.folder / names[0]).string() + "\n" + (files.folder / names[1]).string() + "\n";
    EXPECT_TRUE(WaitFor([&] { return Read(tools / "opened") == both; }, 3000))
        << Read(tools / "opened");

    // No opener to start: the code, at once, for each file.
    w->DesktopOpener = QString::fromStdString((tools / "no-such-opener").string());
    Fill(*w, 1);
    took.start();
    w->ExportHistory();
    EXPECT_LT(took.elapsed(), 1500);
    const auto& boxes = w->boxes.Boxes();
    ASSERT_EQ(boxes.size(), 8u);
    EXPECT_EQ(boxes[5].text, "Open file error code:3");
    EXPECT_EQ(boxes[7].text, "Open file error code:3");
    std::filesystem::remove_all(tools);
}

TEST(HistoryExportWindow, StopDuringTheExportEndsItWithNoFileAndNoMessage) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 2000);
    QString panelDuringExport;
    // Runs from the export's own event processing, as a click on "Stop" would.
    QTimer::singleShot(0, w.get(), [&] {
        panelDuringExport = w->StatusText();
        w->StopRequested = true;
    });
    w->ExportHistory();
    EXPECT_EQ(panelDuringExport, "Historical Data");
    EXPECT_TRUE(files.Files().empty());
    EXPECT_TRUE(w->boxes.Boxes().empty());
    EXPECT_EQ(w->History[0].sensorPresent[0], 1) << "nothing was exported";
}

TEST(HistoryExportWindow, AFailureToWriteSaysSoAndLeavesNothing) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 3);
    w->ExportFolders = {(files.folder / "missing").string()};
    w->ExportHistory();
    const auto& boxes = w->boxes.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Kind::Error);
    EXPECT_EQ(boxes[0].text, "no operate Excel file!");
    EXPECT_EQ(w->StatusText(), QString());
    EXPECT_TRUE(files.Files().empty());
    EXPECT_TRUE(files.opened.empty());
}

// "Export folder..." sends the next export there, and a new window on the same settings
// still does; once the folder cannot be written, the files go where they went before a
// folder was chosen, and the message says so.
TEST(HistoryExportWindow, TheChosenExportFolderTakesTheExportsAndIsRemembered) {
    support::TestHome home;
    const std::filesystem::path chosen = home.Root() / "exports";
    std::filesystem::create_directories(chosen);
    const QString chosenText = QString::fromStdString(chosen.string());
    const auto settings = home.Root() / "config" / "lgcset" / "window.ini";
    const auto exportedTo = [](const std::filesystem::path& folder) {
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
            ++files;
        return files;
    };

    auto w = MakeWindow();
    w->RememberFoldersIn(settings);
    ExportCapture fallback(*w);
    w->boxes.SetDefaultAnswer(false);  // open nothing
    EXPECT_EQ(w->btn_exportfolder->toolTip(), QString());
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    w->SetFileDialogRunner([&](QFileDialog& dialog) {
        mode = dialog.fileMode();
        return chosenText;
    });
    w->btn_exportfolder->click();
    EXPECT_EQ(mode, QFileDialog::Directory);
    EXPECT_EQ(w->btn_exportfolder->toolTip(), QDir::toNativeSeparators(chosenText));
    Fill(*w, 3);
    w->ExportHistory();
    EXPECT_EQ(exportedTo(chosen), 3u) << "workbook, CSV file and manifest";
    EXPECT_TRUE(fallback.Files().empty());
    EXPECT_FALSE(w->boxes.Boxes().front().detail.contains("cannot be written"));

    auto next = MakeWindow();
    next->RememberFoldersIn(settings);
    EXPECT_EQ(next->btn_exportfolder->toolTip(), QDir::toNativeSeparators(chosenText));
    ExportCapture nextFallback(*next);
    next->boxes.SetDefaultAnswer(false);
    Fill(*next, 2);
    next->ExportHistory();
    EXPECT_EQ(exportedTo(chosen), 6u);

    std::filesystem::remove_all(chosen);
    next->boxes.Clear();
    Fill(*next, 2);
    next->ExportHistory();
    EXPECT_EQ(nextFallback.Files().size(), 2u);
    ASSERT_FALSE(next->boxes.Boxes().empty());
    EXPECT_TRUE(next->boxes.Boxes().front().detail.startsWith(
        QStringLiteral("The export folder %1 cannot be written; the files went to %2.\n")
            .arg(QDir::toNativeSeparators(chosenText),
                 QDir::toNativeSeparators(QString::fromStdString(nextFallback.folder.string())))))
        << next->boxes.Boxes().front().detail.toStdString();
    w->boxes.SetDefaultAnswer(true);
    next->boxes.SetDefaultAnswer(true);
}

TEST(HistoryExportWindow, InvalidTimesAreCountedInTheSuccessBox) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 2);
    w->History[1].month = 0;
    w->boxes.SetDefaultAnswer(false);
    w->ExportHistory();
    ASSERT_FALSE(w->boxes.Boxes().empty());
    EXPECT_TRUE(w->boxes.Boxes()[0].detail.contains("1 of 2 records had no valid date and time"))
        << w->boxes.Boxes()[0].detail.toStdString();
    EXPECT_EQ(files.Files().size(), 2u);
    w->boxes.SetDefaultAnswer(true);
}

TEST(HistoryExportWindow, TheCsvFileTakesTheLocalesDecimalSeparator) {
    auto w = MakeWindow();
    ExportCapture files(*w);
    Fill(*w, 1);
    w->History[0].velocity = 456;
    w->boxes.SetDefaultAnswer(false);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    w->ExportHistory();
    QLocale::setDefault(QLocale::system());
    w->boxes.SetDefaultAnswer(true);
    const auto names = files.Files();
    ASSERT_EQ(names.size(), 2u);
    const std::string text = Read(files.folder / names[1]);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2),
              "24-03-05 14:07:00,\"23,46\",,,0,,,\"45,6\",90\r\n");
}

}  // namespace
}  // namespace lgcset::ui::test
