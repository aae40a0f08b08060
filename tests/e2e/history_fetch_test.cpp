// "Query" of the history against the simulated logger, to the files the export writes at
// its end: a long fetch whose store and CSV file match the log record by record, through
// lost and damaged replies and an unknown item; a transfer cut short by Stop, by closing
// the link and by a logger that hangs up; the workbook as a real reader sees it, and the
// chart of what arrived.
#include <fcntl.h>
#include <qcustomplot.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTimeEdit>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "e2e_support.h"
#include "jobs/change_log.h"
#include "export_test_support.h"
#include "sim/history_log.h"
#include "sim/synthetic_readings.h"
#include "support/exact_log.h"
#include "ui/history_chart_window.h"
#include "ui/status_panels.h"

extern char** environ;

namespace lgcset::ui::e2e {
namespace {

using test::ExportCapture;
using test::Pump;
using Kind = ScriptedMessageBoxes::Kind;

constexpr sim::CivilTime kLogEnd{2026, 3, 10, 12, 0, 0};
const QString kEarlyEnd = QStringLiteral("The history transfer ended early: ");
const std::string kCsvHeader =
    "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction";

// A log of exactly `records` records a minute apart up to kLogEnd, all within March 2026.
sim::Options LogOf(std::uint32_t records) {
    sim::Options options = support::ExactLog(records, 1, kLogEnd);
    options.model = "R481";
    return options;
}

// The records as the simulated logger holds them, for a log made by LogOf().
sim::HistoryLog SameLog(const sim::Options& options) {
    return sim::HistoryLog(sim::LayoutForModel(options.model), sim::ToSeconds(kLogEnd),
                           options.logIntervalMinutes, options.days, options.historyRecords,
                           {options.unknownTagRecord, options.unknownSubCodeRecord});
}

// Log indexes first .. first + count - 1.
std::vector<std::uint32_t> Indexes(std::uint32_t first, std::uint32_t count) {
    std::vector<std::uint32_t> indexes(count);
    for (std::uint32_t i = 0; i < count; ++i) indexes[i] = first + i;
    return indexes;
}

// One record of the log, decoded here from the bytes the logger sends; items that no
// history record holds are left out.
struct Logged {
    std::array<std::uint8_t, 6> time{};  // yy mm dd hh mm ss
    std::array<std::optional<float>, 4> sensor{};
    // Longitude, latitude (millionths of a degree), velocity, direction (tenths).
    std::array<std::uint32_t, 4> position{data::kAbsentPosition, data::kAbsentPosition,
                                          data::kAbsentPosition, data::kAbsentPosition};
};

Logged Decode(const sim::HistoryLog& log, std::uint32_t index) {
    std::vector<std::uint8_t> b;
    log.AppendRecord(index, b);
    Logged record;
    std::copy(b.begin() + 2, b.begin() + 8, record.time.begin());
    for (std::size_t i = 8; i + 6 <= b.size(); i += 6) {
        const std::uint32_t value =
            b[i + 2] | b[i + 3] << 8 | b[i + 4] << 16 | static_cast<std::uint32_t>(b[i + 5]) << 24;
        const std::uint8_t sub = b[i + 1];
        if (b[i] == 0x01 && sub < 4)
            record.sensor[sub] = std::bit_cast<float>(value);
        else if (b[i] == 0x50 && sub >= 0x50 && sub <= 0x53)
            record.position[sub - 0x50] = value;
    }
    return record;
}

// A store slot against record `index` of the log: the first difference, or nothing. The
// present flags are not compared: the export that follows a transfer clears them.
std::string Mismatch(const data::HistoryRecord& r, const sim::HistoryLog& log,
                     std::uint32_t index) {
    const Logged l = Decode(log, index);
    const auto where = "record " + std::to_string(index) + ": ";
    if (r.year != l.time[0] || r.month != l.time[1] || r.day != l.time[2] || r.hour != l.time[3] ||
        r.minute != l.time[4] || r.second != l.time[5])
        return where + "time";
    for (std::size_t s = 0; s < 4; ++s) {
        if (l.sensor[s] && r.sensor[s] != static_cast<double>(*l.sensor[s]))
            return where + "sensor " + std::to_string(s + 1);
    }
    if (r.longitude != l.position[0] || r.latitude != l.position[1] ||
        r.velocity != l.position[2] || r.direction != l.position[3])
        return where + "position";
    return {};
}

// A number of the CSV file (C locale's "."), shown with at most `decimals` decimals.
std::optional<double> CsvNumber(const std::string& field, std::size_t decimals) {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    const std::size_t point = field.find('.');
    if (point != std::string::npos && field.size() - point - 1 > decimals)
        return std::nullopt;
    return value;
}

// A line of the CSV file against record `index` of the log: the first difference, or
// nothing. Sensors show two decimals at most, positions six, velocity and direction one.
std::string CsvMismatch(const std::string& line, const sim::HistoryLog& log, std::uint32_t index) {
    const Logged l = Decode(log, index);
    const auto where = "record " + std::to_string(index) + " (" + line + "): ";
    std::vector<std::string> fields;
    for (std::size_t from = 0;;) {
        const std::size_t comma = line.find(',', from);
        fields.push_back(line.substr(from, comma - from));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    if (fields.size() != 9)
        return where + std::to_string(fields.size()) + " fields";
    char time[32];
    std::snprintf(time, sizeof time, "%02u-%02u-%02u %02u:%02u:%02u", l.time[0], l.time[1],
                  l.time[2], l.time[3], l.time[4], l.time[5]);
    if (fields[0] != time)
        return where + "time";
    for (std::size_t s = 0; s < 4; ++s) {
        const std::string& field = fields[1 + s];
        const std::string name = "sensor " + std::to_string(s + 1);
        if (!l.sensor[s]) {
            if (!field.empty())
                return where + name + " not logged";
            continue;
        }
        const auto shown = CsvNumber(field, 2);
        if (!shown || std::abs(*shown - static_cast<double>(*l.sensor[s])) > 0.005 + 1e-9)
            return where + name;
    }
    // Positions in millionths of a degree, velocity and direction in tenths.
    constexpr std::array<double, 4> kUnit{1e6, 1e6, 10, 10};
    constexpr std::array<std::size_t, 4> kDecimals{6, 6, 1, 1};
    constexpr std::array<const char*, 4> kName{"longitude", "latitude", "velocity", "direction"};
    for (std::size_t p = 0; p < 4; ++p) {
        const std::string& field = fields[5 + p];
        if (l.position[p] == data::kAbsentPosition) {
            if (!field.empty())
                return where + kName[p] + " not logged";
            continue;
        }
        const auto shown = CsvNumber(field, kDecimals[p]);
        if (!shown || std::abs(*shown * kUnit[p] - l.position[p]) > 1e-3)
            return where + kName[p];
    }
    return {};
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The CSV file against the records of the log it should hold, in order: the header, one
// line per record, CR LF after each. The first difference, or nothing.
std::string CsvAgainstLog(const std::filesystem::path& path, const sim::HistoryLog& log,
                          const std::vector<std::uint32_t>& indexes) {
    const std::string text = ReadFile(path);
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    if (from != text.size())
        return "the file does not end with CR LF";
    if (lines.size() != indexes.size() + 1)
        return std::to_string(lines.size()) + " lines for " + std::to_string(indexes.size()) +
               " records";
    if (lines[0] != kCsvHeader)
        return "header " + lines[0];
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const std::string mismatch = CsvMismatch(lines[i + 1], log, indexes[i]);
        if (!mismatch.empty())
            return "line " + std::to_string(i + 2) + ": " + mismatch;
    }
    return {};
}

// Numbers compared as text take the C locale's decimal point while it lives.
class CLocale {
  public:
    CLocale() { QLocale::setDefault(QLocale::c()); }
    ~CLocale() { QLocale::setDefault(before_); }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

  private:
    QLocale before_;
};

// Replies are told apart only by their command: a reply that comes after its request was
// re-sent is answered twice and the second answer is taken for the next record's, shifting
// the store by one. A transfer on a faultless line waits this long before it re-sends, so
// that a machine under load (the sanitizer builds, tests run side by side) never makes it.
// The login comes first: one answered twice is shown twice, and its second reply counts
// among the frames after which a logger hangs up.
constexpr int kPatientResendMs = 3000;
// Where replies are lost the re-send is what the test is about: soon enough to keep the
// test short, late enough that a slow but whole reply is rarely overtaken by it.
constexpr int kFaultResendMs = 1000;

struct HistorySession : Session {
    explicit HistorySession(sim::Options options, int resendMs = kPatientResendMs)
        : Session(std::move(options)), resendMs_(resendMs) {}
    ~HistorySession() {
        files.reset();
        if (window)
            window->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
    }

    // Logged in, the files of an export going to a folder of the test's and the offers to
    // open them declined, the query's range set to March 2026.
    bool Begin() {
        if (!Start())
            return false;
        window->SetResendInterval(resendMs_);  // the login's reply is as slow as any
        if (!Login())
            return false;
        files.emplace(*window);
        window->boxes.SetDefaultAnswer(false);
        window->DateTimePicker1->setDate(QDate(2026, 3, 1));
        window->DateTimePicker2->setDate(QDate(2026, 3, 31));
        return true;
    }
    bool Idle() const {
        return !window->HistoryReadingClock() &&
               window->HistoryQueryState().state() == data::HistoryQuery::State::Idle;
    }
    // Clicks "Query" and waits until the transfer has ended.
    bool Fetch(int milliseconds = 30000) {
        window->Button1->click();
        return WaitFor([&] { return Idle(); }, milliseconds);
    }
    int Received() const { return window->lbl4->text().toInt(); }
    // Sent requests so far, as the logger counted them.
    std::uint32_t RequestsSeen() const { return logger.counters().framesReceived.load(); }

    // The workbook and the CSV file of the export, when those two are all the folder holds.
    bool ExportedFiles(std::filesystem::path& workbook, std::filesystem::path& csv) const {
        const std::vector<std::string> names = files->Files();
        if (names.size() != 2)
            return false;
        workbook = files->folder / names[0];
        csv = files->folder / names[1];
        return workbook.extension() == ".xls" && csv.extension() == ".csv";
    }

    // The boxes from the first one after the login on.
    std::vector<ScriptedMessageBoxes::Box> BoxesAfterLogin() const {
        const auto& boxes = window->boxes.Boxes();
        return {boxes.begin() + 1, boxes.end()};
    }

    CLocale locale;
    std::optional<ExportCapture> files;

  private:
    int resendMs_;
};

// The boxes of an export that was saved and whose files were not opened.
void ExpectSavedAndNotOpened(const std::vector<ScriptedMessageBoxes::Box>& boxes,
                             const HistorySession& s) {
    std::string texts;
    for (const auto& box : boxes) texts += "\n  " + box.text.toStdString();
    ASSERT_EQ(boxes.size(), 3u) << texts;
    EXPECT_EQ(boxes[0].kind, Kind::Show);
    EXPECT_EQ(boxes[0].text, kExportSaved);
    EXPECT_EQ(boxes[1].text, QStringLiteral("Open to view the excel file?"));
    EXPECT_EQ(boxes[2].text, QStringLiteral("Open to view the CSV file?"));
    EXPECT_TRUE(s.files->opened.empty());
}

TEST(HistoryFetch, AFetchOfThousandsOfRecordsHoldsTheLogRecordByRecord) {
    const sim::Options options = LogOf(2000);
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    TestWindow& w = *s.window;
    const int panel = w.stat1->PanelCount() - 1;
    QString seenProgress;
    QString seenStatus;
    w.Button1->click();
    ASSERT_TRUE(WaitFor(
        [&] {
            if (seenProgress.isEmpty())
                seenProgress = w.stat1->PanelText(panel);
            if (!seenProgress.isEmpty() && !s.Idle()) {
                seenStatus = w.StatusText();
                EXPECT_FALSE(w.pb_write->isHidden());
                EXPECT_EQ(w.pb_write->value(), 0);
            }
            return s.Idle();
        },
        50000));
    EXPECT_TRUE(seenProgress.startsWith(QStringLiteral("record "))) << seenProgress.toStdString();
    EXPECT_TRUE(seenProgress.contains(QStringLiteral(" of 2000"))) << seenProgress.toStdString();
    EXPECT_EQ(seenStatus, QString());  // nothing said saved beside the progress

    EXPECT_EQ(s.Received(), 2000);
    EXPECT_EQ(w.lbl16->text(), QStringLiteral("2"));
    // The export's text emptied at its end; this window keeps no archive to record it in.
    EXPECT_EQ(w.StatusText().toStdString(), jobs::kNoRecordKept);
    EXPECT_EQ(w.stat1->PanelText(panel), QString());  // emptied at the end
    EXPECT_TRUE(w.pb_write->isHidden());
    EXPECT_EQ(w.HistoryCount, 0);  // handed to the export and released
    ExpectSavedAndNotOpened(s.BoxesAfterLogin(), s);
    // The clock, count, 2000 records, the closing request, the login: each sent once.
    EXPECT_EQ(s.RequestsSeen(), 1u + 1u + 1u + 2000u + 1u);

    const sim::HistoryLog log = SameLog(options);
    for (std::uint32_t i = 0; i < 2000; ++i) {
        ASSERT_EQ(Mismatch(w.History[i], log, i), "") << "slot " << i;
        ASSERT_EQ(w.History[i].sensorPresent, (std::array<std::uint8_t, 4>{})) << "exported";
    }
    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_EQ(CsvAgainstLog(csv, log, Indexes(0, 2000)), "");
}

TEST(HistoryFetch, RepliesLostOrDamagedAreRecoveredByTheResendWithNothingDoubled) {
    sim::Options options = LogOf(80);
    options.faults.seed = 7;
    options.faults.dropProbability = 0.05;
    options.faults.corruptProbability = 0.05;
    HistorySession s(options, kFaultResendMs);
    ASSERT_TRUE(s.Begin());
    ASSERT_TRUE(s.Fetch());
    EXPECT_GT(s.logger.counters().repliesDropped + s.logger.counters().repliesCorrupted, 0u);
    EXPECT_EQ(s.Received(), 80);
    EXPECT_EQ(CountBoxes(*s.window, kTimeout), 0);
    ExpectSavedAndNotOpened(s.BoxesAfterLogin(), s);
    const sim::HistoryLog log = SameLog(options);
    for (std::uint32_t i = 0; i < 80; ++i) ASSERT_EQ(Mismatch(s.window->History[i], log, i), "");
    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_EQ(CsvAgainstLog(csv, log, Indexes(0, 80)), "");
}

TEST(HistoryFetch, AnUnknownItemIsReportedAndTheTransferGoesOnWithoutItsRecord) {
    sim::Options options = LogOf(10);
    options.unknownTagRecord = 4;
    options.unknownSubCodeRecord = 6;
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    ASSERT_TRUE(s.Fetch());
    EXPECT_EQ(CountBoxes(*s.window, QStringLiteral("data drecor undefined")), 1);
    EXPECT_EQ(s.Received(), 9);
    const sim::HistoryLog log = SameLog(options);
    EXPECT_EQ(Mismatch(s.window->History[2], log, 2), "");
    EXPECT_EQ(s.window->History[3].minute, log.TimeOf(4) / 60 % 60);  // record 4 left out
    // Record 6's odd sub-codes are stepped over; its own items are all there.
    EXPECT_EQ(Mismatch(s.window->History[4], log, 5), "");
    EXPECT_EQ(
        s.window->History[4].sensor[0],
        static_cast<double>(sim::SensorValue(sim::ChannelKind::Temperature, 0, log.TimeOf(5))));
    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_EQ(CsvAgainstLog(csv, log, {0, 1, 2, 4, 5, 6, 7, 8, 9}), "");
}

TEST(HistoryFetch, StopEndsTheTransferNothingIsSentAfterItAndTheRecordsCanBeExported) {
    sim::Options options = LogOf(400);
    options.faults.delayMs = 15;  // a reply is still on its way when Stop comes
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    TestWindow& w = *s.window;
    w.boxes.QueueAnswer(false);
    w.Button1->click();
    ASSERT_TRUE(WaitFor([&] { return s.Received() >= 20; }));
    const std::size_t repliesBefore = w.dispatched.size();
    w.btn_stop->click();
    EXPECT_TRUE(s.Idle());
    const int kept = w.HistoryCount;
    Pump(150);  // the reply to the last request arrives, and is not acted on
    const std::uint32_t requests = s.RequestsSeen();
    Pump(600);
    EXPECT_EQ(s.RequestsSeen(), requests);
    EXPECT_GT(w.dispatched.size(), repliesBefore);
    EXPECT_EQ(w.HistoryCount, kept);
    EXPECT_TRUE(w.pb_write->isHidden());
    const auto& box = w.boxes.Boxes().back();
    EXPECT_EQ(box.kind, ScriptedMessageBoxes::Kind::Ask);
    EXPECT_EQ(box.text.toStdString(),
              "The history transfer ended early: " + std::to_string(kept) +
                  " of 400 records arrived. Export the records that arrived?");
    EXPECT_TRUE(w.StopRequested);  // declined: Stop's flag stays for the export loop
    EXPECT_TRUE(s.files->Files().empty());
}

TEST(HistoryFetch, ClosingTheLinkEndsTheTransferAndOffersTheRecords) {
    sim::Options options = LogOf(400);
    options.faults.delayMs = 5;
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    TestWindow& w = *s.window;
    w.boxes.QueueAnswer(true);  // export what arrived
    w.Button1->click();
    ASSERT_TRUE(WaitFor([&] { return s.Received() >= 10; }));
    // The store's count, not the counter on screen: that one is redrawn only now and then.
    const int arrived = w.HistoryCount;
    w.btn8->click();  // "Close": the question and the export it leads to run from here
    EXPECT_FALSE(w.LinkOpen());
    EXPECT_TRUE(s.Idle());
    EXPECT_FALSE(w.StopRequested);       // cleared for the export that was accepted
    EXPECT_EQ(w.HistoryCount, arrived);  // kept until the next query
    std::vector<ScriptedMessageBoxes::Box> boxes = s.BoxesAfterLogin();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].kind, Kind::Ask);
    EXPECT_EQ(boxes[0].text.toStdString(),
              "The history transfer ended early: " + std::to_string(arrived) +
                  " of 400 records arrived. Export the records that arrived?");
    boxes.erase(boxes.begin());
    ExpectSavedAndNotOpened(boxes, s);
    const sim::HistoryLog log = SameLog(options);
    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_EQ(CsvAgainstLog(csv, log, Indexes(0, static_cast<std::uint32_t>(arrived))), "");
}

TEST(HistoryFetch, ALoggerThatHangsUpMidwayLosesTheLineAndOffersWhatArrived) {
    sim::Options options = LogOf(300);
    options.faults.hangUpAfterFrames = 1 + 1 + 1 + 50;  // login, clock, count, 50 records
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    TestWindow& w = *s.window;
    w.boxes.QueueAnswer(true);  // export what arrived
    w.Button1->click();
    // The loss, the question and the export run from the one event that finds the line gone.
    ASSERT_TRUE(WaitForBox(w, Disconnected(s.logger.slavePath()), 1, 20000));
    EXPECT_TRUE(s.Idle());
    EXPECT_FALSE(w.LinkOpen());
    EXPECT_FALSE(w.tmr_cf->isActive());  // the request that found the line gone is not re-sent
    Pump(200);
    EXPECT_EQ(CountBoxes(w, kTimeout), 0);
    EXPECT_EQ(s.Received(), 50);
    EXPECT_EQ(w.HistoryCount, 50);
    EXPECT_TRUE(w.pb_write->isHidden());

    std::vector<ScriptedMessageBoxes::Box> boxes = s.BoxesAfterLogin();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].kind, Kind::Error);
    EXPECT_EQ(boxes[1].kind, Kind::Ask);
    EXPECT_EQ(boxes[1].text.toStdString(),
              "The history transfer ended early: 50 of 300 records arrived. Export the records "
              "that arrived?");
    boxes.erase(boxes.begin(), boxes.begin() + 2);
    ExpectSavedAndNotOpened(boxes, s);

    const sim::HistoryLog log = SameLog(options);
    for (std::uint32_t i = 0; i < 50; ++i) ASSERT_EQ(Mismatch(w.History[i], log, i), "");
    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_EQ(CsvAgainstLog(csv, log, Indexes(0, 50)), "");
}

// ---- The workbook through a real reader

// Runs a program to its end, its output and errors into `output`; its exit status, or -1.
int RunProgram(const std::vector<std::string>& arguments, std::string& output) {
    QTemporaryDir folder;
    const std::string log = folder.filePath(QStringLiteral("output.txt")).toStdString();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    output = ReadFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr const char* kPython = "/usr/bin/python3";

TEST(HistoryFetch, ATransferEndsInTheTwoFilesAndTheWorkbookReadsAsTheCsvFile) {
    std::string output;
    if (::access(kPython, X_OK) != 0)
        GTEST_SKIP() << kPython << " is not installed";
    if (RunProgram({kPython, "-c", "import xlrd"}, output) != 0)
        GTEST_SKIP() << "xlrd is not installed (scripts/setup installs python3-xlrd): " << output;

    const sim::Options options = LogOf(300);
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    ASSERT_TRUE(s.Fetch());
    EXPECT_EQ(s.Received(), 300);
    ExpectSavedAndNotOpened(s.BoxesAfterLogin(), s);

    std::filesystem::path workbook, csv;
    ASSERT_TRUE(s.ExportedFiles(workbook, csv));
    EXPECT_TRUE(QRegularExpression(R"(^SAVE\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.xls$)")
                    .match(QString::fromStdString(workbook.filename().string()))
                    .hasMatch())
        << workbook;
    EXPECT_TRUE(QRegularExpression(R"(^SAVE_CSV_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.csv$)")
                    .match(QString::fromStdString(csv.filename().string()))
                    .hasMatch())
        << csv;
    const QString detail = s.BoxesAfterLogin()[0].detail;
    EXPECT_TRUE(detail.contains(QString::fromStdString(workbook.string()))) << detail.toStdString();
    EXPECT_TRUE(detail.contains(QString::fromStdString(csv.string()))) << detail.toStdString();
    EXPECT_EQ(CsvAgainstLog(csv, SameLog(options), Indexes(0, 300)), "");

    // xlrd's cells (types, values, number formats, widths, the header) against the CSV's.
    const char* check =
        "import sys\n"
        "sys.path.insert(0, sys.argv[1])\n"
        "import check_with_readers as readers\n"
        "readers.check_xlrd(sys.argv[2], readers.read_lines(sys.argv[3], '\\r\\n'))\n"
        "sys.exit(1 if readers.failures else 0)\n";
    EXPECT_EQ(RunProgram(
                  {kPython, "-B", "-c", check, LGCSET_READERS_DIR, workbook.string(), csv.string()},
                  output),
              0)
        << output;
}

// ---- The chart of a transfer

using Points = std::vector<std::pair<double, double>>;

// A plotted line: its points, and after which of them the line stops (a gap follows).
struct Line {
    Points points;
    std::vector<bool> gapAfter;
};

void AddPoint(Line& line, double x, double y) {
    if (std::isnan(x) || std::isnan(y)) {
        if (!line.gapAfter.empty())
            line.gapAfter.back() = true;
        return;
    }
    line.points.emplace_back(x, y);
    line.gapAfter.push_back(false);
}

// What the log says the line must be: a point per record that has the value, and a gap
// wherever records without it lie between two points (for a sensor: the track has none).
template <typename Value>
Line Expected(const sim::HistoryLog& log, std::uint32_t count, const Value& value) {
    Line line;
    bool missing = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const Logged l = Decode(log, i);
        const auto point = value(l, log.TimeOf(i));
        if (!point) {
            missing = true;
            continue;
        }
        if (missing && !line.gapAfter.empty())
            line.gapAfter.back() = true;
        missing = false;
        line.points.push_back(*point);
        line.gapAfter.push_back(false);
    }
    return line;
}

TEST(HistoryFetch, ChartAfterATransferPlotsExactlyTheStoresReadingsAndTrack) {
    const sim::Options options = LogOf(300);
    HistorySession s(options);
    ASSERT_TRUE(s.Begin());
    TestWindow& w = *s.window;
    EXPECT_FALSE(w.btn_chart->isEnabled());
    ASSERT_TRUE(s.Fetch());
    ASSERT_EQ(s.Received(), 300);
    const sim::HistoryLog log = SameLog(options);
    for (std::uint32_t i = 0; i < 300; ++i) ASSERT_EQ(Mismatch(w.History[i], log, i), "");
    ASSERT_TRUE(w.btn_chart->isEnabled());

    w.btn_chart->click();
    HistoryChartWindow* chart = w.ChartWindow();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(WaitFor([chart] { return chart->isVisible(); }));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    for (int sensor = 0; sensor < 4; ++sensor) {
        SCOPED_TRACE(sensor);
        Line shown;
        const QCPGraph* graph = chart->SensorGraph(sensor);
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
            AddPoint(shown, it->key, it->value);
        const Line expected = Expected(
            log, 300,
            [sensor](const Logged& l, std::int64_t t) -> std::optional<Points::value_type> {
                const auto& value = l.sensor[static_cast<std::size_t>(sensor)];
                if (!value)
                    return std::nullopt;
                return Points::value_type{static_cast<double>(t), static_cast<double>(*value)};
            });
        EXPECT_EQ(shown.points, expected.points);
        EXPECT_EQ(shown.gapAfter, expected.gapAfter);
        // Sensor 2 of every eleventh record is missing, and a few records hold nothing.
        EXPECT_GE(std::count(expected.gapAfter.begin(), expected.gapAfter.end(), true),
                  sensor == 1 ? 20 : 2);
        EXPECT_TRUE(graph->visible());
    }

    Line track;
    for (auto it = chart->TrackCurve()->data()->constBegin();
         it != chart->TrackCurve()->data()->constEnd(); ++it)
        AddPoint(track, it->key, it->value);
    const Line expected =
        Expected(log, 300, [](const Logged& l, std::int64_t) -> std::optional<Points::value_type> {
            if (l.position[0] == data::kAbsentPosition || l.position[1] == data::kAbsentPosition)
                return std::nullopt;
            return Points::value_type{l.position[0] / 1e6, l.position[1] / 1e6};
        });
    EXPECT_EQ(track.points.size(), 74u);  // every fourth record has a fix, but one is empty
    EXPECT_EQ(track.points, expected.points);
    // The fixes are joined across the records without one.
    EXPECT_EQ(std::count(track.gapAfter.begin(), track.gapAfter.end(), true), 0);
}

}  // namespace
}  // namespace lgcset::ui::e2e
