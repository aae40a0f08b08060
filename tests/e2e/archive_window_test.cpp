// History transfers in the window kept in the archive, against the simulated logger: two
// overlapping transfers leave their union once, under the device ID read after the export.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "app/launch_archive.h"
#include "app/launch_options.h"
#include "archive/sqlite_archive.h"
#include "archive/throwaway_archive.h"
#include "cold_room_history.h"
#include "e2e_support.h"
#include "export_test_support.h"
#include "support/exact_log.h"
#include "support/ui/test_home.h"
#include "ui/archive_pick_dialog.h"
#include "ui/history_chart_window.h"

namespace lgcset::ui::e2e {
namespace {

const QString kSharedId = QStringLiteral(
    "This logger has no device ID of its own (all '0'): loggers without their own device ID "
    "share one archive entry per model.");
constexpr std::uint8_t kReadPageReply = 0x11;

struct ArchiveSession : Session {
    explicit ArchiveSession(const std::filesystem::path& archive)
        : Session(support::HourlyLog(200)) {
        if (!Start() || !Login())
            return;
        files.emplace(*window);
        window->boxes.SetDefaultAnswer(false);  // the offers to open the files
        window->UseArchive(archive, false);
        ready = true;
    }
    ~ArchiveSession() {
        files.reset();
        if (window)
            window->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
    }

    // "Query" over March `from` .. `to` of 2024; the status text once the transfer has
    // been exported and archived (or after the box that says why not).
    QString Fetch(int from, int to) {
        window->DateTimePicker1->setDate(QDate(2024, 3, from));
        window->DateTimePicker2->setDate(QDate(2024, 3, to));
        const std::size_t boxes = window->boxes.Boxes().size();
        window->SetStatusText(QString());
        window->Button1->click();
        WaitFor(
            [&] {
                if (window->StatusText().contains(QStringLiteral("archived")))
                    return true;
                for (std::size_t i = boxes; i < window->boxes.Boxes().size(); ++i)
                    if (window->boxes.Boxes()[i].text.contains(QStringLiteral("not archived")))
                        return true;
                return false;
            },
            30000);
        return window->StatusText();
    }

    std::size_t PageReplies() const {
        std::size_t count = 0;
        for (const auto& frame : window->dispatched) count += frame.command() == kReadPageReply;
        return count;
    }

    bool ready = false;
    std::optional<test::ExportCapture> files;
};

TEST(WindowArchive, CommandLine) {
    using app::ParseLaunchOptions;
    const auto byDefault = ParseLaunchOptions({"--demo"});
    EXPECT_TRUE(byDefault.archive.empty());
    EXPECT_FALSE(byDefault.noArchive);
    EXPECT_EQ(ParseLaunchOptions({"--archive", "/x/a.sqlite"}).archive, "/x/a.sqlite");
    EXPECT_EQ(ParseLaunchOptions({"--archive=b.sqlite"}).archive, "b.sqlite");
    EXPECT_TRUE(ParseLaunchOptions({"--no-archive"}).noArchive);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--archive"}, {"--archive", "a", "--no-archive"}})
        EXPECT_FALSE(ParseLaunchOptions(wrong).error.empty()) << wrong.back();
}

TEST(WindowArchive, TwoOverlappingTransfersLeaveTheirUnionOnceAndTheChartOpensItFromTheArchive) {
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath(QStringLiteral("a.sqlite")).toStdString();
    ArchiveSession s(file);
    ASSERT_TRUE(s.ready);
    const std::string idBefore = s.window->Settings().Text("edt_id");

    // 2024-03-02 05:00 to 2024-03-06 23:00, then 03-05 00:00 on: 48 readings twice.
    EXPECT_EQ(s.Fetch(1, 6), QStringLiteral("115 new records archived (0 already there)"));
    EXPECT_EQ(s.PageReplies(), 1u);  // the settings were not read: the ID's page, once
    EXPECT_EQ(s.Fetch(5, 31), QStringLiteral("85 new records archived (48 already there)"));
    EXPECT_EQ(s.PageReplies(), 1u);  // the same logger since the login
    // The page went into a scratch model, not into the window's settings.
    EXPECT_EQ(s.window->Settings().Text("edt_id"), idBefore);
    EXPECT_EQ(CountBoxes(*s.window, kSharedId), 1);
    EXPECT_EQ(CountBoxes(*s.window, kExportSaved), 2);

    archive::OpenResult opened = archive::OpenSqliteArchive(file, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    const auto loggers = opened.store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].logger.deviceId, "000000000000000");
    EXPECT_EQ(loggers[0].logger.model, "R481");
    EXPECT_EQ(loggers[0].readings, 200u);
    EXPECT_EQ(loggers[0].downloads, 2u);
    const auto readings =
        opened.store->Readings(loggers[0].logger, loggers[0].firstReading, loggers[0].lastReading)
            .rows;
    ASSERT_EQ(readings.size(), 200u);
    for (std::size_t i = 1; i < readings.size(); ++i)
        EXPECT_EQ(archive::ReadingTime(readings[i]) - archive::ReadingTime(readings[i - 1]), 3600)
            << i;

    // "Chart" is on from the start when there is an archive to open.
    {
        auto fresh = test::MakeWindow();
        fresh->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
        EXPECT_FALSE(fresh->btn_chart->isEnabled());
        fresh->UseArchive(file, false);
        ASSERT_TRUE(fresh->btn_chart->isEnabled());
        fresh->btn_chart->click();
        ASSERT_NE(fresh->ChartWindow(), nullptr);
        EXPECT_TRUE(fresh->ChartWindow()->ArchiveButton()->isEnabled());
        EXPECT_EQ(fresh->ChartWindow()->Chart(), nullptr);
    }

    // "Open from Archive...": the union, and any range of it, charted and analysed whole.
    s.window->btn_chart->click();
    HistoryChartWindow* chart = s.window->ChartWindow();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(chart->ArchiveButton()->isEnabled());
    QDate from, to;
    chart->pickRunner = [&](ArchivePickDialog& dialog) {
        EXPECT_EQ(dialog.Table()->rowCount(), 1);
        EXPECT_EQ(dialog.From(), QDate(2024, 3, 2));  // the logger's readings, offered
        EXPECT_EQ(dialog.To(), QDate(2024, 3, 10));
        dialog.FromEdit()->setDate(from);
        dialog.ToEdit()->setDate(to);
        return true;
    };
    from = QDate(2024, 3, 1), to = QDate(2024, 3, 31);
    chart->ArchiveButton()->click();
    ASSERT_NE(chart->Chart(), nullptr);
    EXPECT_EQ(chart->Chart()->recordCount, 200u);
    EXPECT_EQ(chart->Analysis().records, 200u);
    EXPECT_FALSE(chart->Analysis().sensors.empty());
    from = QDate(2024, 3, 5), to = QDate(2024, 3, 5);
    chart->ArchiveButton()->click();
    EXPECT_EQ(chart->Chart()->recordCount, 24u);
    EXPECT_EQ(chart->Analysis().records, 24u);
    // A range with nothing archived leaves the chart on view and says so.
    from = QDate(2025, 1, 1), to = QDate(2025, 1, 2);
    chart->ArchiveButton()->click();
    EXPECT_EQ(chart->Chart()->recordCount, 24u);
    EXPECT_TRUE(s.window->boxes.Boxes().back().text.startsWith(
        QStringLiteral("The archive holds no readings of 000000000000000 (R481)")));
}

// Demo mode as the program chooses its archive, on a home folder of the test's own: never
// the user's archive nor the configured one, but one of its own that goes with the program.
TEST(WindowArchive, DemoModeKeepsItsTransfersInAnArchiveOfItsOwnThatGoesWithTheProgram) {
    support::TestHome home;
    const std::filesystem::path root = home.Root();
    std::filesystem::create_directories(root / "config" / "lgcset");
    std::ofstream(root / "config" / "lgcset" / "lgcset.ini")
        << "archive=" << (root / "team.sqlite").string() << "\n";

    using app::ChooseArchive;
    using app::ParseLaunchOptions;
    EXPECT_EQ(ChooseArchive(ParseLaunchOptions({}), std::nullopt).file, root / "team.sqlite");
    EXPECT_EQ(
        ChooseArchive(ParseLaunchOptions({"--demo", "--archive", "x.sqlite"}), std::nullopt).file,
        "x.sqlite");
    EXPECT_FALSE(ChooseArchive(ParseLaunchOptions({"--demo", "--no-archive"}), std::nullopt).file);
    std::optional<std::filesystem::path> demoFile;
    {
        archive::ThrowawayArchive demo;
        ASSERT_TRUE(demo.File());
        demoFile = demo.File();
        const app::WindowArchive chosen =
            ChooseArchive(ParseLaunchOptions({"--demo-model", "R483"}), demo.File());
        EXPECT_EQ(chosen.file, demo.File());
        EXPECT_TRUE(chosen.throwaway);
        EXPECT_FALSE(ChooseArchive(ParseLaunchOptions({"--demo"}), std::nullopt).file)
            << "no archive of its own: none at all";

        ArchiveSession s(*chosen.file);
        ASSERT_TRUE(s.ready);
        s.window->UseArchive(chosen.file, chosen.makeFolder, chosen.throwaway);
        EXPECT_EQ(s.Fetch(1, 6), QStringLiteral("115 new records archived (0 already there) in "
                                                 "demo mode's own archive, removed when the "
                                                 "program ends"));
        EXPECT_TRUE(std::filesystem::exists(*demoFile));
    }
    EXPECT_FALSE(std::filesystem::exists(demoFile->parent_path()));
    EXPECT_FALSE(std::filesystem::exists(root / "data"));
    EXPECT_FALSE(std::filesystem::exists(root / "team.sqlite"));
}

// "Open from Archive..." of an analog logger under the window's limits of a temperature one,
// then of that one again: each charted and reported with its own model's channels. The
// picking dialog takes the device ID as typed.
TEST(WindowArchive, TheArchivedModelDecidesTheChannelsAndThePickFilterTakesAShortId) {
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath(QStringLiteral("a.sqlite")).toStdString();
    auto w = test::MakeWindow();
    w->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
    test::FillColdRoomHistory(w->History, 96, 1800);
    const std::vector<data::HistoryRecord> records(w->History.data(), w->History.data() + 96);
    {
        archive::OpenResult opened = archive::OpenSqliteArchive(file, false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        for (const archive::LoggerKey& logger :
             {archive::LoggerKey{"000000000000101", "R483"}, {"000000000000102", "R481"}}) {
            archive::DownloadInfo download;
            download.logger = logger;
            ASSERT_TRUE(opened.store->Add(download, records).status.ok());
        }
    }
    w->UseArchive(file, false);
    w->btn_chart->click();
    HistoryChartWindow* chart = w->ChartWindow();
    ASSERT_NE(chart, nullptr);
    QString typed;
    chart->pickRunner = [&](ArchivePickDialog& dialog) {
        dialog.FilterEdit()->setText(QStringLiteral("10x"));
        EXPECT_FALSE(dialog.FilterRefusal()->isHidden());
        EXPECT_EQ(dialog.FilterRefusal()->text(),
                  QStringLiteral("\"10x\" is not a device ID: up to 15 digits and nothing else"));
        dialog.FilterEdit()->setText(typed);
        EXPECT_TRUE(dialog.FilterRefusal()->isHidden());
        return true;
    };
    const struct {
        QString typed, model;
        bool analog;
    } opens[] = {{QStringLiteral("101"), QStringLiteral("R483"), true},
                 {QStringLiteral(" 0102"), QStringLiteral("R481"), false}};
    for (const auto& open : opens) {
        typed = open.typed;
        chart->ArchiveButton()->click();
        EXPECT_EQ(chart->Facts().model, open.model);
        ASSERT_EQ(chart->Analysis().sensors.size(), 4u) << open.model.toStdString();
        for (const analysis::SensorStatistics& sensor : chart->Analysis().sensors) {
            EXPECT_EQ(sensor.kind == analysis::SensorKind::Analog, open.analog)
                << open.model.toStdString() << " sensor " << sensor.sensor;
            EXPECT_EQ(sensor.mkt.has_value(), !open.analog) << open.model.toStdString();
        }
    }
}

TEST(WindowArchive, AReadSettingsAskedWhileTheIdIsOutstandingWaitsForItsPage) {
    QTemporaryDir folder;
    const std::filesystem::path file = folder.filePath(QStringLiteral("a.sqlite")).toStdString();
    ArchiveSession s(file);
    ASSERT_TRUE(s.ready);
    // The line is dead after the login, so the ID's request, sent before the transfer, goes
    // unanswered; the user asks for the settings while it is sent again, which takes the
    // place of the query. A page reply does not say which page it is: the read's first page
    // must not be taken for the ID's, nor the ID's for the read's.
    // A request sent again has surely met the dead line once.
    auto sentAgain = [&] { return s.window->ResendCount() >= 1; };
    s.logger.AnswerOnly(0);
    s.window->DateTimePicker1->setDate(QDate(2024, 3, 10));
    s.window->DateTimePicker2->setDate(QDate(2024, 3, 10));
    s.window->Button1->click();
    ASSERT_TRUE(WaitFor(sentAgain)) << "the ID's request";
    const int readsBefore = CountBoxes(*s.window, kReadDone);
    s.window->btn_load->click();
    s.logger.AnswerAll();
    ASSERT_TRUE(WaitForBox(*s.window, kReadDone, readsBefore + 1));
    EXPECT_EQ(s.PageReplies(), 5u) << "the ID's page, then the four of the read";
    EXPECT_EQ(CountBoxes(*s.window, kExportSaved), 0);
    // The ID is known now: a transfer asks for no page.
    EXPECT_EQ(s.Fetch(10, 10), QStringLiteral("13 new records archived (0 already there)"));
    EXPECT_EQ(s.PageReplies(), 5u);

    archive::OpenResult opened = archive::OpenSqliteArchive(file, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    const auto loggers = opened.store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].logger.deviceId, s.window->Settings().Text("edt_id"));
    EXPECT_EQ(loggers[0].logger.deviceId, "000000000000000");

    // After a new login the ID is asked again. A second "Query" while its request is sent
    // again waits for the same page; the transfer runs once the page is in.
    ASSERT_TRUE(s.Login());
    s.logger.AnswerOnly(0);
    s.window->SetStatusText(QString());
    s.window->Button1->click();
    ASSERT_TRUE(WaitFor(sentAgain));
    s.window->Button1->click();
    s.logger.AnswerAll();
    ASSERT_TRUE(WaitFor([&] { return s.window->StatusText().contains(QStringLiteral("archived")); },
                        30000));
    EXPECT_EQ(s.window->StatusText(), QStringLiteral("0 new records archived (13 already there)"));
    EXPECT_EQ(s.PageReplies(), 6u);
    EXPECT_EQ(CountBoxes(*s.window, kExportSaved), 2);
    const auto after = opened.store->Loggers().rows;
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].downloads, 2u);
    EXPECT_EQ(after[0].readings, 13u);
}

TEST(WindowArchive, SettingsReadSinceTheLoginNameTheLoggerAndAFailedArchiveLeavesTheExport) {
    QTemporaryDir folder;
    ArchiveSession s(folder.filePath(QStringLiteral("missing/a.sqlite")).toStdString());
    ASSERT_TRUE(s.ready);
    ASSERT_TRUE(s.Read());
    const std::size_t pages = s.PageReplies();
    EXPECT_EQ(s.Fetch(10, 10), QString());
    EXPECT_EQ(s.PageReplies(), pages);  // no page read for the ID
    EXPECT_EQ(s.files->Files().size(), 2u);
    const auto& boxes = s.window->boxes.Boxes();
    int failures = 0;
    for (const auto& box : boxes)
        failures += box.text.startsWith(QStringLiteral("The transfer was not archived: ")) &&
                    box.text.endsWith(QStringLiteral("The export files are written."));
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(std::filesystem::exists(folder.filePath(QStringLiteral("missing")).toStdString()));
}

}  // namespace
}  // namespace lgcset::ui::e2e
