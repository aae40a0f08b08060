// The window on a logger's serial port as a technician uses it, the same on Linux and, with
// the Qt for MinGW, on Windows under Wine: open the link and log in, read and save the
// settings, a history transfer with its export and its chart, a profile saved to a file and
// loaded back. One logger serves the whole run (under Wine it is one loggersim), so each test
// makes its own values and reads them back itself.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QDate>
#include <QDateTimeEdit>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>
#include <QTime>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "export_test_support.h"
#include "logger_port.h"
#include "ui/history_chart_window.h"
#include "window_steps.h"

namespace lgcset::ui::e2e {
namespace {


class ComPort : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { logger_ = StartLoggerPort(why_); }
    static void TearDownTestSuite() { logger_.reset(); }

    void SetUp() override { ASSERT_NE(logger_, nullptr) << "no logger: " << why_; }

    // A window with its link open on the logger's port and logged in.
    static std::unique_ptr<TestWindow> LoggedIn() {
        auto w = test::MakeWindow();
        w->SetResendInterval(kResendMs);
        if (!test::OpenLink(*w, logger_->Port())) {
            ADD_FAILURE() << "the link did not open on " << logger_->Port();
            return nullptr;
        }
        if (!LogIn(*w)) {
            ADD_FAILURE() << "no login on " << logger_->Port();
            return nullptr;
        }
        return w;
    }

    static std::unique_ptr<LoggerPort> logger_;
    static std::string why_;
};

std::unique_ptr<LoggerPort> ComPort::logger_;
std::string ComPort::why_;

// A value of this run, so that a value read back cannot be one an earlier run left.
QString RunPort() {
    return QString::number(2000 + QTime::currentTime().msecsSinceStartOfDay() % 60000);
}

TEST_F(ComPort, SettingsSavedAreWhatAFreshWindowReadsBack) {
    const QString port = RunPort();
    {
        auto w = LoggedIn();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Edit1->text(), QStringLiteral("R481"));
        EXPECT_EQ(w->edt43->text(), QStringLiteral("V3.05-R48x"));
        ASSERT_TRUE(ReadSettings(*w));
        EXPECT_EQ(w->edt_pwd->text(), QStringLiteral("8604"));
        w->edt_port->setText(port);
        ASSERT_TRUE(SaveSettings(*w));
    }
    auto again = LoggedIn();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->edt_port->text(), port);  // nothing is shown before the read
    ASSERT_TRUE(ReadSettings(*again));
    EXPECT_EQ(again->edt_port->text(), port);
}

// The CSV file's lines, each ended by CR LF; nothing when the file does not end so.
std::vector<std::string> CsvLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    if (from != text.size())
        return {};
    return lines;
}

TEST_F(ComPort, AHistoryTransferIsExportedAndCharted) {
    auto w = LoggedIn();
    ASSERT_NE(w, nullptr);
    test::ExportCapture files(*w);
    w->boxes.SetDefaultAnswer(false);  // the files are not opened
    w->DateTimePicker1->setDate(QDate(2026, 11, 1));
    w->DateTimePicker2->setDate(QDate(2026, 11, 30));
    w->Button1->click();
    ASSERT_TRUE(WaitFor(
        [&] {
            return !w->HistoryReadingClock() &&
                   w->HistoryQueryState().state() == data::HistoryQuery::State::Idle;
        },
        60000));
    w->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
    ASSERT_EQ(w->lbl4->text().toInt(), kComLoggerRecords);
    EXPECT_EQ(CountBoxes(*w, kExportSaved), 1);

    const std::vector<std::string> names = files.Files();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0].ends_with(".xls")) << names[0];
    ASSERT_TRUE(names[1].ends_with(".csv")) << names[1];
    EXPECT_GT(std::filesystem::file_size(files.folder / names[0]), 0u);
    const std::vector<std::string> lines = CsvLines(files.folder / names[1]);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kComLoggerRecords) + 1);
    EXPECT_EQ(lines[0],
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,"
              "Direction");

    // The chart holds a point for every value of the CSV file (an empty field: none sent).
    ASSERT_TRUE(w->btn_chart->isEnabled());
    w->btn_chart->click();
    HistoryChartWindow* chart = w->ChartWindow();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(WaitFor([chart] { return chart->isVisible(); }));
    for (int sensor = 0; sensor < data::kSensorCount; ++sensor) {
        int sent = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const QStringList fields = QString::fromStdString(lines[i]).split(QLatin1Char(','));
            ASSERT_EQ(fields.size(), 9) << lines[i];
            sent += fields[1 + sensor].isEmpty() ? 0 : 1;
        }
        int plotted = 0;
        const QCPGraph* graph = chart->SensorGraph(sensor);
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
            plotted += std::isnan(it->value) ? 0 : 1;
        EXPECT_GT(sent, 0) << "sensor " << sensor + 1;
        EXPECT_EQ(plotted, sent) << "sensor " << sensor + 1;
    }
}

TEST_F(ComPort, AProfileSavedToAFileIsLoadedBackIntoTheWindow) {
    auto w = LoggedIn();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(ReadSettings(*w));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("site.ini"));
    w->SetFileDialogRunner([&](QFileDialog&) { return path; });
    const QString port = RunPort();
    w->edt_port->setText(port);
    const int boxes = static_cast<int>(w->boxes.Boxes().size());

    w->btn_saveconfigure->click();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("[COM]\r\n"));
    w->edt_port->setText(QStringLiteral("1"));
    w->btn_loadconfigure->click();
    EXPECT_EQ(w->edt_port->text(), port);
    EXPECT_EQ(static_cast<int>(w->boxes.Boxes().size()), boxes);  // nothing went wrong
}

}  // namespace
}  // namespace lgcset::ui::e2e
