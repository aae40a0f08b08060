// The chart against the alarm limits: the window's limits are drawn and counted with the
// transfer's figures, a click on an excursion zooms to it, a profile's limits replace them,
// and the PDF report holds the statistics, the longest excursions and the CSV file's digest,
// replacing a file only with a complete one.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include "analysis/statistics_table.h"
#include "cold_room_history.h"
#include "data/sha256.h"
#include "export_test_support.h"
#include "pdf_text.h"
#include "profiles/profile.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"
#include "test_input.h"
#include "ui/chart_limits.h"
#include "ui/history_chart_window.h"
#include "ui/statistics_panel.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using analysis::LimitIndex;
using analysis::LimitKind;
using settings::Setting;

// The statistics panel's cell of a row (by its caption) and a sensor's column.
QString StatisticCell(HistoryChartWindow* chart, std::string_view caption, int sensor) {
    QTableWidget* table = chart->Statistics()->StatisticsTable();
    int row = -1;
    const auto rows = analysis::StatisticRows();
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r].caption == caption)
            row = static_cast<int>(r);
    for (int c = 0; c < table->columnCount(); ++c)
        if (table->horizontalHeaderItem(c)->text() == QStringLiteral("Sensor%1").arg(sensor))
            return table->item(row, c) != nullptr ? table->item(row, c)->text() : QString();
    return QStringLiteral("(no column)");
}

TEST(ExcursionSpans, UltraRunsInsideOthersAndRunsThatMeetAreOneSpan) {
    analysis::SensorStatistics s;
    const auto run = [](LimitKind kind, double from, double to) {
        return analysis::Excursion{kind, from, to, to - from, 0, false};
    };
    s.excursions = {run(LimitKind::High, 100, 400), run(LimitKind::UltraHigh, 200, 300),
                    run(LimitKind::High, 400, 500), run(LimitKind::Low, 900, 1000),
                    run(LimitKind::UltraLow, 950, 1100)};
    const std::vector<std::pair<double, double>> spans{{100, 500}, {900, 1100}};
    EXPECT_EQ(ExcursionSpans(s), spans);
    const std::vector<std::pair<double, double>> ultra{{200, 300}, {950, 1100}};
    EXPECT_EQ(ExcursionSpans(s, true), ultra);
}

class ChartStatisticsTest : public ::testing::Test {
  protected:
    // A week every 10 minutes of the cold room.
    void Transfer(std::size_t count = 1008) {
        FillColdRoomHistory(window->History, count, 600);
        window->HistoryCount = static_cast<std::uint16_t>(count);
        records.assign(window->History.data(), window->History.data() + count);
        window->HistoryTransferEnded();
    }

    HistoryChartWindow* OpenChart() {
        window->btn_chart->click();
        HistoryChartWindow* chart = window->ChartWindow();
        if (chart != nullptr) {
            WaitFor([chart] { return chart->isVisible(); });
            Pump(50);
        }
        return chart;
    }

    void SetLimit(int sensor, Setting limit, const char* value) {
        window->Settings().SetText({limit, sensor}, value);
    }

    std::size_t Excursions(const analysis::SensorSetups& setups) const {
        std::size_t count = 0;
        for (const auto& s : analysis::AnalyzeHistory(records, setups).sensors)
            count += s.excursions.size();
        return count;
    }

    std::unique_ptr<TestWindow> window = MakeWindow();
    std::vector<data::HistoryRecord> records;
    QTemporaryDir folder;
};

TEST_F(ChartStatisticsTest, TheAlarmSettingsLimitsAreDrawnCountedAndAnExcursionClickZooms) {
    SetLimit(1, Setting::SensorUltraLow, "0");
    SetLimit(1, Setting::SensorLow, "2");
    SetLimit(1, Setting::SensorHigh, "6");
    SetLimit(1, Setting::SensorUltraHigh, "8");
    SetLimit(4, Setting::SensorHigh, "30");      // above every reading: in view, never crossed
    SetLimit(2, Setting::SensorHigh, "123456");  // a slip of the keyboard: an arrow at the top edge
    Transfer();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);

    analysis::SensorSetups setups{};
    setups[0].limits = {0.0f, 2.0f, 6.0f, 8.0f};
    setups[3].limits[LimitIndex(LimitKind::High)] = 30.0f;
    setups[1].limits[LimitIndex(LimitKind::High)] = 123456.0f;
    const std::size_t expected = Excursions(setups);
    ASSERT_GT(expected, 0u);

    EXPECT_EQ(chart->Limits().LineCount(), 6u);
    EXPECT_GT(chart->Limits().ShadeCount(), 0u);
    EXPECT_LE(chart->Limits().ShadeCount(), expected);
    const QCPRange values = chart->SensorPlot()->yAxis->range();
    EXPECT_GE(values.upper, 30.0);
    EXPECT_LT(values.upper, 100.0);
    EXPECT_EQ(chart->Limits().BeyondView(values.lower, values.upper),
              std::vector<QString>{QStringLiteral("\u25B2 123456")});
    EXPECT_EQ(chart->Statistics()->LimitsLabel()->text(),
              QStringLiteral("Limits: the alarm settings"));
    EXPECT_EQ(StatisticCell(chart, "High limit", 1), QStringLiteral("6"));
    EXPECT_EQ(StatisticCell(chart, "Ultra-low limit", 1), QStringLiteral("0"));
    EXPECT_EQ(StatisticCell(chart, "Low limit", 2), QStringLiteral("-"));
    EXPECT_EQ(StatisticCell(chart, "Excursions", 4), QStringLiteral("0"));
    EXPECT_EQ(StatisticCell(chart, "Excursions", 1), QString::number(expected));
    EXPECT_EQ(StatisticCell(chart, "Readings", 1), QStringLiteral("1008"));

    // The list holds every excursion by start; a click on the longest fits both axes to it.
    QTableView* list = chart->Statistics()->ExcursionTable();
    ASSERT_EQ(list->model()->rowCount(), static_cast<int>(expected));
    const analysis::SensorExcursion longest =
        analysis::ExcursionsLongestFirst(chart->Analysis()).front();
    int row = 0;
    while (row < list->model()->rowCount() &&
           chart->Statistics()->ExcursionAt(row).excursion.from != longest.excursion.from)
        ++row;
    ASSERT_LT(row, list->model()->rowCount());
    const QCPRange whole = chart->SensorPlot()->xAxis->range();
    const QModelIndex cell = list->model()->index(row, 0);
    list->scrollTo(cell);
    MouseClick(list->viewport(), list->visualRect(cell).center());
    const QCPRange zoomed = chart->SensorPlot()->xAxis->range();
    EXPECT_LT(zoomed.lower, longest.excursion.from);
    EXPECT_GT(zoomed.upper, longest.excursion.to);
    EXPECT_LT(zoomed.size(), whole.size() / 10);
    const QCPRange fitted = chart->SensorPlot()->yAxis->range();
    const double limit = *setups[static_cast<std::size_t>(longest.sensor - 1)]
                              .limits[LimitIndex(longest.excursion.kind)];
    EXPECT_LT(fitted.lower, std::min<double>(limit, longest.excursion.peak));
    EXPECT_GT(fitted.upper, std::max<double>(limit, longest.excursion.peak));
    EXPECT_LT(fitted.size(), values.size());

    // Limits changed in the window count from the next "Chart" on.
    SetLimit(1, Setting::SensorHigh, "7");
    SetLimit(4, Setting::SensorHigh, "");
    SetLimit(2, Setting::SensorHigh, "");
    EXPECT_EQ(OpenChart(), chart);
    EXPECT_EQ(StatisticCell(chart, "High limit", 1), QStringLiteral("7"));
    EXPECT_EQ(chart->Limits().LineCount(), 4u);
}

TEST_F(ChartStatisticsTest, AProfilesLimitsReplaceTheWindowsAndAFileWithoutSettingsChangesNothing) {
    Transfer();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->Limits().LineCount(), 0u);
    EXPECT_EQ(StatisticCell(chart, "Excursions", 1), QStringLiteral("0"));

    settings::SettingsModel saved;
    saved.SetText({Setting::SensorHigh, 1}, "6");
    saved.SetText({Setting::SensorLow, 2}, "-7");
    const QString profile = folder.filePath(QStringLiteral("cold room.ini"));
    std::string error;
    ASSERT_TRUE(profiles::SaveProfileFile(saved, profile.toStdString(), error)) << error;
    EXPECT_TRUE(chart->LoadLimitsFromProfile(profile));
    EXPECT_EQ(chart->Statistics()->LimitsLabel()->text(),
              QStringLiteral("Limits: profile cold room.ini"));
    EXPECT_EQ(chart->Limits().LineCount(), 2u);
    EXPECT_EQ(StatisticCell(chart, "High limit", 1), QStringLiteral("6"));
    EXPECT_EQ(StatisticCell(chart, "Low limit", 2), QStringLiteral("-7"));
    analysis::SensorSetups setups{};
    setups[0].limits[LimitIndex(LimitKind::High)] = 6.0f;
    setups[1].limits[LimitIndex(LimitKind::Low)] = -7.0f;
    EXPECT_EQ(chart->Statistics()->ExcursionTable()->model()->rowCount(),
              static_cast<int>(Excursions(setups)));

    QFile other(folder.filePath(QStringLiteral("notes.ini")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("[notes]\r\nday=Monday\r\n");
    other.close();
    window->boxes.Clear();
    EXPECT_FALSE(chart->LoadLimitsFromProfile(other.fileName()));
    ASSERT_EQ(window->boxes.Boxes().size(), 1u);
    EXPECT_EQ(chart->Limits().LineCount(), 2u);
    EXPECT_EQ(StatisticCell(chart, "High limit", 1), QStringLiteral("6"));
}

TEST_F(ChartStatisticsTest, TheReportOfAnExportedTransferNamesItsCsvAndListsTheLongestExcursions) {
    if (!HavePdfText())
        GTEST_SKIP() << "pdftotext is not installed (scripts/setup installs it)";
    window->Settings().SetText("Edit1", "R481");
    window->Settings().SetText("edt43", "V2.07");
    window->Settings().SetText("edt_id", "8610045");
    // The room's air crosses 4 °C hundreds of times: more excursions than the report lists.
    SetLimit(1, Setting::SensorHigh, "4");
    SetLimit(1, Setting::SensorUltraHigh, "8");
    Transfer();
    ExportCapture capture(*window);
    window->ExportHistory();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    const QString csv = chart->Facts().csvPath;
    ASSERT_TRUE(csv.endsWith(QStringLiteral(".csv"))) << csv.toStdString();
    ASSERT_TRUE(QFile::exists(csv));

    // An existing file is replaced, by a complete report only.
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older report");
    old.close();
    ASSERT_TRUE(chart->SaveReport(pdf));
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5).startsWith("%PDF-"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("report.pdf")});

    const std::optional<QString> text = PdfText(pdf);
    ASSERT_TRUE(text);
    const auto has = [&](const QString& pattern) {
        return QRegularExpression(pattern, QRegularExpression::MultilineOption)
            .match(*text)
            .hasMatch();
    };
    EXPECT_TRUE(has(QStringLiteral("model R481, firmware V2.07, device ID 8610045")));
    const std::string digest = data::Sha256OfFile(csv.toStdString()).value_or("?");
    EXPECT_TRUE(text->contains(
        QStringLiteral("SHA-256 of the CSV file: %1").arg(QString::fromStdString(digest))));
    EXPECT_TRUE(has(QStringLiteral("^Readings\\s+1008\\s")));
    EXPECT_TRUE(has(QStringLiteral("^High limit\\s+4\\s+-\\s")));
    const auto& all = analysis::ExcursionsLongestFirst(chart->Analysis());
    ASSERT_GT(all.size(), kReportExcursionRows);
    EXPECT_TRUE(has(QStringLiteral("^Excursions\\s+%1\\s")
                        .arg(chart->Analysis().sensors[0].excursions.size())));

    // Longest first, the first 200 and the rest counted.
    const QRegularExpression row(
        QStringLiteral("^\\s*(\\d)\\s+(High|Low|Ultra-high|Ultra-low)\\s+(\\d\\d-\\d\\d-\\d\\d "
                       "\\d\\d:\\d\\d:\\d\\d)\\s+(\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)"),
        QRegularExpression::MultilineOption);
    std::vector<QString> starts;
    for (auto it = row.globalMatch(*text); it.hasNext();) starts.push_back(it.next().captured(3));
    ASSERT_EQ(starts.size(), kReportExcursionRows);
    // The rows go on over pages, each with the table's header again (a page of
    // pdftotext starts with a form feed).
    const QRegularExpression header(QStringLiteral("^\\f?Sensor\\s+Limit\\s+From\\s+To"),
                                    QRegularExpression::MultilineOption);
    int headers = 0;
    for (auto it = header.globalMatch(*text); it.hasNext(); it.next()) ++headers;
    EXPECT_GE(headers, 3);
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(starts[i].toStdString(), data::FormatChartTime(all[i].excursion.from)) << i;
    EXPECT_TRUE(text->contains(
        QStringLiteral("and %1 more excursions").arg(all.size() - kReportExcursionRows)));

    window->boxes.Clear();
    EXPECT_FALSE(chart->SaveReport(folder.filePath(QStringLiteral("no such folder/report.pdf"))));
    ASSERT_EQ(window->boxes.Boxes().size(), 1u);
    EXPECT_EQ(window->boxes.Boxes()[0].kind, ScriptedMessageBoxes::Kind::Error);
}

TEST_F(ChartStatisticsTest, AReportWithNothingToListEndsOnThePageOfItsStatistics) {
    if (!HavePdfText())
        GTEST_SKIP() << "pdftotext is not installed (scripts/setup installs it)";
    Transfer();  // no limits: no excursions; a record every ten minutes: no gaps
    ExportCapture capture(*window);
    window->ExportHistory();
    HistoryChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(chart->Analysis().log.gaps.empty());
    const QString pdf = folder.filePath(QStringLiteral("short.pdf"));
    ASSERT_TRUE(chart->SaveReport(pdf));
    const std::optional<QString> text = PdfText(pdf);
    ASSERT_TRUE(text);
    // pdftotext ends every page with a form feed.
    EXPECT_EQ(text->count(QLatin1Char('\f')), 1) << text->toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("Gaps in the log (0)")));
    EXPECT_TRUE(text->contains(QStringLiteral("Excursions, longest first (0)")));
}

}  // namespace
}  // namespace lgcset::ui::test
