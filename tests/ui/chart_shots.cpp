// Charts a simulated week of a cold room on the current display and saves a picture of
// each view, for looking at the chart, its PDF report and the chart opened from an
// archive: chart_shots <output prefix>.
// The room's air and the goods have the alarm limits of a chilled-food cold room; the week
// is exported beside the pictures first, so that the report names its CSV file.
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <filesystem>

#include "analysis/statistics_table.h"
#include "archive/sqlite_archive.h"
#include "cold_room_history.h"
#include "settings/settings_table.h"
#include "support/ui/scripted_message_boxes.h"
#include "ui/app_title.h"
#include "ui/archive_pick_dialog.h"
#include "ui/history_chart_window.h"
#include "ui/umset.h"

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lgcset::ui::kApplicationTitle));
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("chart");
    lgcset::ui::Tfrm_mset window;
    lgcset::ui::ScriptedMessageBoxes boxes;
    boxes.SetDefaultAnswer(false);  // the export's offers to open its files
    window.SetMessageBoxes(&boxes);
    window.ExportFolders = {QFileInfo(prefix).absolutePath().toStdString()};
    window.Settings().SetText("Edit1", "R481");
    window.Settings().SetText("edt43", "V2.07");
    window.Settings().SetText("edt_id", "8610045");
    window.show();
    // A week every ten minutes.
    constexpr std::size_t kRecords = 7 * 24 * 6;
    lgcset::ui::test::FillColdRoomHistory(window.History, kRecords, 600);
    window.HistoryCount = kRecords;
    window.HistoryTransferEnded();
    using lgcset::settings::Setting;
    const struct {
        int sensor;
        Setting limit;
        const char* value;
    } limits[] = {{1, Setting::SensorUltraLow, "0"}, {1, Setting::SensorLow, "2"},
                  {1, Setting::SensorHigh, "6"},     {1, Setting::SensorUltraHigh, "8"},
                  {3, Setting::SensorLow, "3"},      {3, Setting::SensorHigh, "5"}};
    for (const auto& l : limits) window.Settings().SetText({l.limit, l.sensor}, l.value);
    // The week kept in an archive too, as it came (the export clears its sent flags).
    const std::filesystem::path archiveFile =
        (prefix + QStringLiteral("-archive.sqlite")).toStdString();
    std::filesystem::remove(archiveFile);
    {
        auto opened = lgcset::archive::OpenSqliteArchive(archiveFile, false);
        lgcset::archive::DownloadInfo download;
        download.logger = {"000000008610045", "R481"};
        download.firmware = "V2.07";
        download.at = QDateTime::currentSecsSinceEpoch();
        if (opened.store)
            opened.store->Add(download, {window.History.data(), kRecords});
    }
    window.ExportHistory();
    window.btn_chart->click();
    lgcset::ui::HistoryChartWindow* chart = window.ChartWindow();
    chart->move(0, 0);
    chart->resize(1400, 720);
    Settle();
    chart->ShowWholeRange();
    const auto shoot = [&](const QString& name) {
        Settle();
        const QRect frame = chart->frameGeometry();
        chart->screen()
            ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .save(prefix + name);
    };
    shoot(QStringLiteral("-sensors.png"));
    chart->Views()->setCurrentIndex(1);
    shoot(QStringLiteral("-track.png"));
    chart->Views()->setCurrentIndex(0);
    // The longest excursion as a click on it in the list shows it.
    const auto longest = lgcset::analysis::ExcursionsLongestFirst(chart->Analysis());
    if (!longest.empty()) {
        chart->ZoomTo(longest.front());
        shoot(QStringLiteral("-excursion.png"));
        chart->ShowWholeRange();
    }
    chart->SaveReport(prefix + QStringLiteral("-report.pdf"));

    chart->SetArchive(archiveFile, false);
    // "Open from Archive...": the dialog as it comes up, then the chart it opens.
    chart->pickRunner = [&prefix](lgcset::ui::ArchivePickDialog& dialog) {
        dialog.show();
        Settle();
        dialog.grab().save(prefix + QStringLiteral("-archive-pick.png"));
        return true;
    };
    chart->ArchiveButton()->click();
    shoot(QStringLiteral("-archive.png"));
    window.SetMessageBoxes(nullptr);
    return 0;
}
