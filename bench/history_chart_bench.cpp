// Time to the first paint of the chart of a full transfer (65,535 records, four sensors and
// positions) after "Chart", and the repaint after a zoom. A plain program run by hand:
// history_chart_bench [zooms].
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <qcustomplot.h>

#include "cold_room_history.h"
#include "ui/history_chart_window.h"
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
    constexpr std::size_t kRecords = 65535;

    lgcset::ui::Tfrm_mset window;
    lgcset::ui::test::FillColdRoomHistory(window.History, kRecords, 60);
    window.HistoryCount = kRecords;

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
    std::sort(zoomMs.begin(), zoomMs.end());
    std::sort(replotMs.begin(), replotMs.end());
    const auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };

    std::printf("records                     %zu (4 sensors, positions)\n", kRecords);
    std::printf("chart data at transfer end  %.1f ms\n", takeMs);
    std::printf("\"Chart\" to first paint      %.1f ms\n", firstPaintMs);
    std::printf("zoom to repaint (%d)        median %.1f ms, max %.1f ms\n", zooms, median(zoomMs),
                zoomMs.back());
    std::printf("replot alone                median %.1f ms, max %.1f ms\n", median(replotMs),
                replotMs.back());
    return 0;
}
