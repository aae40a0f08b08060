// Time to the first paint of the chart of a full transfer (65,535 records, four sensors and
// positions, all four alarm limits of each set) after "Chart", the repaint after a zoom, and
// the PDF report of it. A plain program run by hand: history_chart_bench [zooms].
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <qcustomplot.h>

#include "cold_room_history.h"
#include "settings/settings_table.h"
#include "ui/history_chart_window.h"
#include "short_run.h"
#include "ui/umset.h"

namespace {

// Counts the paints of the watched widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void WaitForPaint(PaintCounter& counter, int before) {
    while (counter.paints == before) QApplication::processEvents(QEventLoop::AllEvents, 1);
    QApplication::processEvents();  // the paint event has returned
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int zooms = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const std::size_t kRecords = lgcset::bench::Records<std::size_t>(65535);

    lgcset::ui::Tfrm_mset window;
    lgcset::ui::test::FillColdRoomHistory(window.History, kRecords, 60);
    window.HistoryCount = kRecords;
    // Limits each sensor crosses now and then: lines, and shading of its excursions.
    using lgcset::settings::Setting;
    constexpr Setting kFields[] = {Setting::SensorUltraLow, Setting::SensorLow, Setting::SensorHigh,
                                   Setting::SensorUltraHigh};
    constexpr const char* kLimits[4][4] = {{"0", "2", "6", "8"},
                                           {"-10", "-8", "0", "5"},
                                           {"1", "2", "5", "6"},
                                           {"0", "5", "25", "30"}};
    for (int s = 0; s < 4; ++s)
        for (int f = 0; f < 4; ++f) window.Settings().SetText({kFields[f], s + 1}, kLimits[s][f]);

    QElapsedTimer clock;
    clock.start();
    window.HistoryTransferEnded();
    const double takeMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    window.btn_chart->click();
    lgcset::ui::HistoryChartWindow* chart = window.ChartWindow();
    PaintCounter counter;
    chart->SensorPlot()->installEventFilter(&counter);
    WaitForPaint(counter, 0);
    const double firstPaintMs = clock.nsecsElapsed() / 1e6;

    // Wheel zooms in and out around the middle, each until its repaint.
    QCustomPlot* plot = chart->SensorPlot();
    const QPoint middle = plot->axisRect()->rect().center();
    std::vector<double> zoomMs;
    std::vector<double> replotMs;
    for (int i = 0; i < zooms; ++i) {
        const int before = counter.paints;
        clock.restart();
        QWheelEvent wheel(QPointF(middle), QPointF(plot->mapToGlobal(middle)), QPoint(),
                          QPoint(0, (i / 5) % 2 == 0 ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot, &wheel);
        WaitForPaint(counter, before);
        zoomMs.push_back(clock.nsecsElapsed() / 1e6);
        replotMs.push_back(plot->replotTime());
    }
    chart->ShowWholeRange();
    const QString pdf = QDir::temp().filePath(QStringLiteral("history_chart_bench.pdf"));
    clock.restart();
    const bool saved = chart->SaveReport(pdf);
    const double reportMs = clock.nsecsElapsed() / 1e6;
    const qint64 reportBytes = QFileInfo(pdf).size();
    QFile::remove(pdf);
    std::size_t excursions = 0;
    for (const auto& sensor : chart->Analysis().sensors) excursions += sensor.excursions.size();

    std::sort(zoomMs.begin(), zoomMs.end());
    std::sort(replotMs.begin(), replotMs.end());
    const auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };

    std::printf("records                     %zu (4 sensors, positions)\n", kRecords);
    std::printf("limit lines, shaded spans   %zu, %zu (%zu excursions)\n",
                chart->Limits().LineCount(), chart->Limits().ShadeCount(), excursions);
    std::printf("records at transfer end     %.1f ms\n", takeMs);
    std::printf("\"Chart\" to first paint      %.1f ms\n", firstPaintMs);
    std::printf("zoom to repaint (%d)        median %.1f ms, max %.1f ms\n", zooms, median(zoomMs),
                zoomMs.back());
    std::printf("replot alone                median %.1f ms, max %.1f ms\n", median(replotMs),
                replotMs.back());
    std::printf("PDF report                  %.1f ms, %lld bytes%s\n", reportMs,
                static_cast<long long>(reportBytes), saved ? "" : " (NOT SAVED)");
    return saved ? 0 : 1;
}
