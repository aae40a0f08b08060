// The chart of a history transfer: "Chart" after a transfer shows exactly the store's
// readings and positions, the legend, zoom and whole range work with the mouse, an earlier
// export file can be charted and a file that is not one is refused, and a view saves as PNG.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QWheelEvent>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "cold_room_history.h"
#include "ui/history_chart_window.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Points = std::vector<std::pair<double, double>>;

double Seconds(const data::HistoryRecord& r) {
    return static_cast<double>(QDateTime(QDate(2000 + r.year, r.month, r.day),
                                         QTime(r.hour, r.minute, r.second), QTimeZone::utc())
                                   .toSecsSinceEpoch());
}

Points Values(QCPGraph* graph, std::size_t* gaps = nullptr) {
    Points out;
    if (gaps != nullptr)
        *gaps = 0;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
        if (std::isnan(it->value)) {
            if (gaps != nullptr)
                ++*gaps;
        } else {
            out.emplace_back(it->key, it->value);
        }
    }
    return out;
}

void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Wheel(QWidget* target, QPoint at, int delta) {
    QWheelEvent event(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

class HistoryChartTest : public ::testing::Test {
  protected:
    // A week every 10 minutes; sensor 3 was not fitted on this logger.
    void Transfer(std::size_t count = 1008) {
        FillColdRoomHistory(window->History, count, 600);
        for (std::size_t i = 0; i < count; ++i) window->History[i].sensorPresent[2] = 0;
        window->HistoryCount = static_cast<std::uint16_t>(count);
        records.assign(window->History.data(), window->History.data() + count);
        window->HistoryTransferEnded();
        // The export that follows clears the present flags.
        for (std::size_t i = 0; i < count; ++i) window->History[i].sensorPresent = {};
    }

    HistoryChartWindow* OpenChart() {
        window->btn_chart->click();
        HistoryChartWindow* chart = window->ChartWindow();
        if (chart != nullptr) {
            WaitFor([chart] { return chart->isVisible(); });
            Pump(50);
            chart->SensorPlot()->replot();
        }
        return chart;
    }

    // What the plot must hold for a sensor: the store's values at their times.
    Points Expected(std::size_t sensor) const {
        Points out;
        for (const data::HistoryRecord& r : records) {
            if (r.sensorPresent[sensor] == 1)
                out.emplace_back(Seconds(r), r.sensor[sensor]);
        }
        return out;
    }

    std::unique_ptr<TestWindow> window = MakeWindow();
    std::vector<data::HistoryRecord> records;
    QTemporaryDir folder;
};

TEST_F(HistoryChartTest, ChartOfATransferHoldsExactlyTheStoresReadingsAndPositions) {
    EXPECT_FALSE(window->btn_chart->isEnabled());
    EXPECT_EQ(window->btn_chart->text(), QStringLiteral("Chart"));
    EXPECT_EQ(window->btn_chart->parentWidget(), window->grp4);
    Transfer();
    EXPECT_TRUE(window->btn_chart->isEnabled());

    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_FALSE(chart->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isEnabled());

    for (std::size_t s = 0; s < data::kSensorCount; ++s) {
        SCOPED_TRACE(s);
        std::size_t gaps = 0;
        const Points shown = Values(chart->SensorGraph(static_cast<int>(s)), &gaps);
        EXPECT_EQ(shown, Expected(s));
        EXPECT_EQ(chart->SensorGraph(static_cast<int>(s))->visible(), s != 2);
        // Sensor 2 loses its values on Friday evening and sensor 4 on Wednesday afternoon;
        // each has a gap there, besides those of the records without readings.
        if (s == 1 || s == 3) {
            EXPECT_GE(gaps, 1u);
        }
    }
    // The legend lists only the sensors that have values.
    QCPLegend* legend = chart->SensorPlot()->legend;
    EXPECT_EQ(legend->itemCount(), 3);
    EXPECT_FALSE(legend->hasItemWithPlottable(chart->SensorGraph(2)));

    Points track;
    for (const data::HistoryRecord& r : records) {
        if (r.longitude != data::kAbsentPosition && r.latitude != data::kAbsentPosition)
            track.emplace_back(r.longitude / 1e6, r.latitude / 1e6);
    }
    Points curve;
    std::size_t trackGaps = 0;
    for (auto it = chart->TrackCurve()->data()->constBegin();
         it != chart->TrackCurve()->data()->constEnd(); ++it) {
        if (std::isnan(it->key))
            ++trackGaps;
        else
            curve.emplace_back(it->key, it->value);
    }
    EXPECT_EQ(curve, track);
    EXPECT_EQ(trackGaps, 0u);  // a record without a fix does not break the track
    EXPECT_TRUE(chart->Views()->isTabEnabled(1));

    // The time axis reads as the export writes times, to the minute.
    auto ticker = chart->SensorPlot()->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>();
    ASSERT_TRUE(ticker);
    EXPECT_EQ(ticker->dateTimeFormat(), QStringLiteral("yy-MM-dd hh:mm"));
    const QVector<double> ticks = chart->SensorPlot()->xAxis->tickVector();
    const QVector<QString> labels = chart->SensorPlot()->xAxis->tickVectorLabels();
    ASSERT_GE(ticks.size(), 2);
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(labels[i].toStdString(), data::FormatChartTime(ticks[i]).substr(0, 14));
    }

    // A second "Chart" reuses the one window.
    window->btn_chart->click();
    EXPECT_EQ(window->ChartWindow(), chart);
}

TEST_F(HistoryChartTest, AFixEveryFourthRecordShowsEveryFixOnTheTrackAndInItsImage) {
    // 51 fixes among 204 records, along a diagonal.
    constexpr std::size_t kCount = 204;
    FillColdRoomHistory(window->History, kCount, 600);
    for (std::size_t i = 0; i < kCount; ++i) {
        data::HistoryRecord& r = window->History[i];
        const bool fix = i % 4 == 0;
        r.longitude =
            fix ? 113900000u + static_cast<std::uint32_t>(i) * 500u : data::kAbsentPosition;
        r.latitude = fix ? 22540000u + static_cast<std::uint32_t>(i) * 300u : data::kAbsentPosition;
    }
    window->HistoryCount = kCount;
    window->HistoryTransferEnded();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(chart->Views()->isTabEnabled(1));
    chart->Views()->setCurrentIndex(1);
    Pump(50);
    QCustomPlot* map = chart->TrackPlot();
    map->replot();
    ASSERT_EQ(chart->TrackCurve()->data()->size(), 51);

    const QString path = folder.filePath(QStringLiteral("track.png"));
    ASSERT_TRUE(chart->SaveImage(path));
    const QImage image(path);
    ASSERT_EQ(image.size(), map->size());
    // Each fix is drawn where the axes put it.
    int shown = 0;
    for (std::size_t i = 0; i < kCount; i += 4) {
        const data::HistoryRecord& r = window->History[i];
        const QPoint at(static_cast<int>(std::lround(map->xAxis->coordToPixel(r.longitude / 1e6))),
                        static_cast<int>(std::lround(map->yAxis->coordToPixel(r.latitude / 1e6))));
        if (image.pixelColor(at) == QColor(0x1f, 0x77, 0xb4))
            ++shown;
        else
            ADD_FAILURE() << "fix " << i << " at " << at.x() << "," << at.y();
    }
    EXPECT_EQ(shown, 51);
}

TEST_F(HistoryChartTest, LegendSwitchesCurvesAndTheMouseZoomsReadsAndReturnsToTheWholeRange) {
    Transfer();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    QCustomPlot* plot = chart->SensorPlot();

    QCPGraph* first = chart->SensorGraph(0);
    QCPAbstractLegendItem* item = plot->legend->itemWithPlottable(first);
    ASSERT_NE(item, nullptr);
    const QPoint onItem = item->rect().center();
    for (const bool expected : {false, true}) {
        Send(plot, QEvent::MouseButtonPress, onItem, Qt::LeftButton);
        Send(plot, QEvent::MouseButtonRelease, onItem, Qt::NoButton);
        EXPECT_EQ(first->visible(), expected);
    }

    const QCPRange wholeTime = plot->xAxis->range();
    const QCPRange wholeValue = plot->yAxis->range();
    const QRect area = plot->axisRect()->rect();
    // The pointer's time and value.
    const QPoint middle = area.center();
    Send(plot, QEvent::MouseMove, middle, Qt::NoButton);
    const QString pointer = chart->PointerLabel()->text();
    EXPECT_TRUE(pointer.startsWith(
        QString::fromStdString(data::FormatChartTime(plot->xAxis->pixelToCoord(middle.x())))))
        << pointer.toStdString();
    EXPECT_TRUE(pointer.startsWith(QStringLiteral("24-03-")));

    // A rectangle from a quarter to the middle zooms both axes into it.
    const QPoint from(area.left() + area.width() / 4, area.top() + area.height() / 4);
    const double fromTime = plot->xAxis->pixelToCoord(from.x());
    const double toTime = plot->xAxis->pixelToCoord(middle.x());
    Send(plot, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Send(plot, QEvent::MouseMove, (from + middle) / 2, Qt::LeftButton);
    Send(plot, QEvent::MouseMove, middle, Qt::LeftButton);
    Send(plot, QEvent::MouseButtonRelease, middle, Qt::NoButton);
    EXPECT_NEAR(plot->xAxis->range().lower, fromTime, wholeTime.size() / 200);
    EXPECT_NEAR(plot->xAxis->range().upper, toTime, wholeTime.size() / 200);
    EXPECT_LT(plot->yAxis->range().size(), wholeValue.size() * 0.6);

    // The wheel zooms time only.
    const QCPRange beforeWheel = plot->xAxis->range();
    const QCPRange valueBeforeWheel = plot->yAxis->range();
    Wheel(plot, middle, 120);
    EXPECT_LT(plot->xAxis->range().size(), beforeWheel.size());
    EXPECT_EQ(plot->yAxis->range(), valueBeforeWheel);

    chart->WholeRangeButton()->click();
    EXPECT_EQ(plot->xAxis->range(), wholeTime);
    EXPECT_EQ(plot->yAxis->range(), wholeValue);

    // The track keeps one scale across and up: a degree of longitude is cos(latitude) of
    // a degree of latitude on the screen.
    chart->Views()->setCurrentIndex(1);
    Pump(50);
    QCustomPlot* map = chart->TrackPlot();
    map->replot();
    const QRect mapArea = map->axisRect()->rect();
    const double lonPerPixel = map->xAxis->range().size() / mapArea.width();
    const double latPerPixel = map->yAxis->range().size() / mapArea.height();
    EXPECT_NEAR(latPerPixel / lonPerPixel, std::cos(22.56 * std::numbers::pi / 180), 0.01);
    Send(map, QEvent::MouseMove, mapArea.center(), Qt::NoButton);
    EXPECT_TRUE(chart->PointerLabel()->text().startsWith(QStringLiteral("Longitude 113.9")))
        << chart->PointerLabel()->text().toStdString();
}

TEST_F(HistoryChartTest, OpensAnEarlierExportAndRefusesAFileThatIsNotOne) {
    Transfer();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);

    const auto write = [this](const char* name, const QByteArray& bytes) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    const QByteArray header =
        "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n";
    // A file written where "," is the decimal separator, without positions.
    const QString ours =
        write("SAVE_CSV_2024-02-01_09-00-00.csv", header +
                                                      "24-01-31 08:00:00,\"3,5\",,,,,,,\r\n"
                                                      "24-01-31 08:10:00,4,,,\"18,25\",,,,\r\n"
                                                      "24-00-31 08:20:00,9,,,,,,,\r\n"
                                                      "24-01-31 08:30:00,\"4,75\",,,,,,,\r\n");
    ASSERT_TRUE(chart->OpenCsv(ours));
    const double t0 = Seconds({24, 1, 31, 8, 0, 0});
    EXPECT_EQ(Values(chart->SensorGraph(0)), (Points{{t0, 3.5}, {t0 + 600, 4}, {t0 + 1800, 4.75}}));
    EXPECT_EQ(Values(chart->SensorGraph(3)), (Points{{t0 + 600, 18.25}}));
    EXPECT_FALSE(chart->SensorGraph(1)->visible());
    EXPECT_TRUE(chart->windowTitle().contains(QStringLiteral("SAVE_CSV_2024-02-01_09-00-00.csv")));
    EXPECT_TRUE(chart->SummaryLabel()->text().contains(QStringLiteral("1 without a valid time")));
    EXPECT_FALSE(chart->Views()->isTabEnabled(1));
    EXPECT_TRUE(window->boxes.Boxes().empty());

    // Not ours: refused with the reason, and the chart on view stays as it was.
    const Points before = Values(chart->SensorGraph(0));
    const QString other = write("other.csv", "date;temp\r\n2024-01-31;3.5\r\n");
    const QString cut = write("cut.csv", header +
                                             "24-01-31 08:00:00,\"3,5\",,,,,,,\r\n"
                                             "24-01-31 08:10:00,\"3,");
    for (const QString& path : {other, cut, folder.filePath(QStringLiteral("missing.csv"))}) {
        window->boxes.Clear();
        EXPECT_FALSE(chart->OpenCsv(path));
        ASSERT_EQ(window->boxes.Boxes().size(), 1u);
        const auto& box = window->boxes.Boxes().front();
        EXPECT_EQ(box.kind, ScriptedMessageBoxes::Kind::Error);
        EXPECT_TRUE(
            box.text.contains(QStringLiteral("is not a CSV file exported by this program")));
        EXPECT_FALSE(box.detail.isEmpty());
        EXPECT_EQ(Values(chart->SensorGraph(0)), before);
    }
    // Ours but empty: said so, nothing changes.
    window->boxes.Clear();
    EXPECT_FALSE(chart->OpenCsv(write("empty.csv", header)));
    ASSERT_EQ(window->boxes.Boxes().size(), 1u);
    EXPECT_EQ(window->boxes.Boxes().front().text,
              QStringLiteral("\"empty.csv\" holds no readings to chart."));
    EXPECT_EQ(Values(chart->SensorGraph(0)), before);
}

// Without a reading in time there are no dates to show (the axis would read 70-01-01).
TEST_F(HistoryChartTest, AChartWithoutATimedReadingSaysSoInPlaceOfDates) {
    HistoryChartWindow empty([this]() -> MessageBoxes& { return window->boxes; });
    EXPECT_TRUE(empty.SaysNoReadings());
    Transfer(10);
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_FALSE(chart->SaysNoReadings());
    auto untimed = std::make_shared<std::vector<data::HistoryRecord>>(records);
    for (data::HistoryRecord& r : *untimed) r.month = 13;
    chart->ShowRecords(untimed, QStringLiteral("untimed"), QString());
    EXPECT_TRUE(chart->SaysNoReadings());
}

TEST_F(HistoryChartTest, SavesTheViewOnShowAsPng) {
    Transfer();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    const QString path = folder.filePath(QStringLiteral("week.png"));
    ASSERT_TRUE(chart->SaveImage(path));
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), chart->SensorPlot()->size());
    EXPECT_TRUE(window->boxes.Boxes().empty());

    EXPECT_FALSE(chart->SaveImage(folder.filePath(QStringLiteral("no/such/folder/week.png"))));
    ASSERT_EQ(window->boxes.Boxes().size(), 1u);
    EXPECT_EQ(window->boxes.Boxes().front().text, QStringLiteral("The image cannot be saved."));
}

}  // namespace
}  // namespace lgcset::ui::test
