// The tools of the "Others" tab against the simulated logger: current data for each model,
// the logger's clock read and set, the relay test in both control types, the debug monitor
// on and off, and each of them refused.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <bit>
#include <cstring>
#include <map>

#include "data/number_format.h"
#include "e2e_support.h"
#include "sim/data_items.h"

namespace lgcset::ui::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Pump;

const QString kOperateSuccess = QStringLiteral("operate successfully.");
const QString kOperateFailure = QStringLiteral("operate failure!");

// A logged-in window on a logger with the given options.
std::unique_ptr<Session> LoggedIn(sim::Options options) {
    auto session = std::make_unique<Session>(std::move(options));
    if (!session->Start() || !session->Login())
        ADD_FAILURE() << "no session";
    return session;
}

std::size_t CountReplies(const TestWindow& w, std::uint8_t command) {
    std::size_t n = 0;
    for (const auto& frame : w.dispatched) n += frame.command() == command ? 1 : 0;
    return n;
}

// Clicks and waits until one more reply of the command has been handled.
bool ClickAndWaitForReply(Session& s, QPushButton* button, std::uint8_t command) {
    const std::size_t before = CountReplies(*s.window, command);
    button->click();
    return WaitFor([&] { return CountReplies(*s.window, command) > before; });
}

const protocol::ReceivedFrame& LastReply(const TestWindow& w, std::uint8_t command) {
    for (auto it = w.dispatched.rbegin(); it != w.dispatched.rend(); ++it)
        if (it->command() == command)
            return *it;
    throw std::logic_error("no such reply");
}

QString Cell(TestWindow& w, int column) {
    return w.strngrd_curdata->item(1, column)->text();
}

// ---- Current data -------------------------------------------------------------------

class CurrentDataByModel : public ::testing::TestWithParam<const char*> {};

TEST_P(CurrentDataByModel, GridShowsTheValuesTheLoggerSent) {
    sim::Options options;
    options.model = GetParam();
    auto s = LoggedIn(options);
    TestWindow& w = *s->window;
    const std::string dot = QLocale().decimalPoint().toStdString();
    for (int query = 0; query < 2; ++query) {
        ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_inquire_curdat, 0x17));
        const auto payload = LastReply(w, 0x17).Payload();
        std::map<std::pair<int, int>, std::uint32_t> items;
        for (std::size_t i = 0; i + 6 <= payload.size(); i += 6) {
            std::uint32_t value = 0;
            std::memcpy(&value, &payload[i + 2], 4);  // little-endian host
            items[{payload[i], payload[i + 1]}] = value;
        }
        const auto single = [&](int tag, int sub) {
            return static_cast<double>(std::bit_cast<float>(items.at({tag, sub})));
        };
        const int channels = GetParam()[3] == '1' || GetParam()[3] == '3' ? 4 : 2;
        for (int n = 0; n < 4; ++n)
            EXPECT_EQ(Cell(w, 1 + n).toStdString(),
                      n < channels ? data::FormatUpToTwoDecimals(single(0x01, n), dot) : "")
                << "sensor " << n + 1;
        EXPECT_EQ(Cell(w, 5).toStdString(),
                  data::FormatOneToSixDecimals(items.at({0x50, 0x50}) / 1e6, dot));
        EXPECT_EQ(Cell(w, 6).toStdString(),
                  data::FormatOneToSixDecimals(items.at({0x50, 0x51}) / 1e6, dot));
        EXPECT_EQ(Cell(w, 7).toStdString(),
                  data::FormatGeneral(items.at({0x50, 0x52}) / 10.0, dot));
        EXPECT_EQ(Cell(w, 8).toStdString(),
                  data::FormatGeneral(items.at({0x50, 0x53}) / 10.0, dot));
        EXPECT_EQ(Cell(w, 9).toStdString(), data::FormatGeneral(single(0x10, 0x10), dot));
        EXPECT_EQ(Cell(w, 10), QStringLiteral("Invalid"));  // the relay is off
        EXPECT_EQ(Cell(w, 11), QStringLiteral("Valid"));    // on external power
    }
    EXPECT_EQ(CountBoxes(w, QStringLiteral("data recorded undefined")), 0);
}

INSTANTIATE_TEST_SUITE_P(Models, CurrentDataByModel,
                         ::testing::Values("R480", "R481", "R482", "R483"),
                         [](const auto& model) { return std::string(model.param); });

TEST(CurrentDataQuery, ChosenItemsAbsentValuesAndAnUnknownTag) {
    sim::Options options;
    Bytes reply;
    sim::AppendItem(reply, sim::kSensorTag, 0x00, 23.456f);
    sim::AppendItem(reply, sim::kSensorTag, 0x02, 20.0f);
    sim::AppendItem(reply, sim::kPositionTag, sim::kLongitude, std::uint32_t{113954321});
    sim::AppendItem(reply, sim::kPositionTag, sim::kLatitude, std::uint32_t{0xFFFFFFFF});
    sim::AppendItem(reply, sim::kPositionTag, sim::kVelocity, std::uint32_t{456});
    sim::AppendItem(reply, sim::kSignalTag, sim::kSignalTag, 23.7f);
    sim::AppendItem(reply, sim::kRelayTag, sim::kRelayTag, 0.999f);
    sim::AppendItem(reply, sim::kPowerTag, sim::kPowerTag, 1.0f);
    sim::AppendItem(reply, 0x77, 0x00, std::uint32_t{0});
    sim::AppendItem(reply, sim::kPositionTag, sim::kDirection, std::uint32_t{900});  // not read
    options.currentDataReply = reply;
    auto s = LoggedIn(options);
    TestWindow& w = *s->window;
    ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_inquire_curdat, 0x17));
    EXPECT_EQ(CountBoxes(w, QStringLiteral("data recorded undefined")), 1);
    QStringList row;
    for (int column = 1; column < 12; ++column) row << Cell(w, column);
    EXPECT_EQ(row, (QStringList{"23.46", "", "20", "", "113.954321", "", "45.6", "",
                                "23.7000007629395", "Invalid", "Valid"}));
}

// ---- Clock --------------------------------------------------------------------------

QDateTime Shown(const TestWindow& w) {
    return QDateTime(w.DateTimePicker3->date(), w.DateTimePicker4->time());
}

QDateTime FromCivil(const sim::CivilTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

TEST(DeviceClock, ReadShowsTheLoggersClockAndEditSetsItFromThePickers) {
    auto s = LoggedIn({});
    TestWindow& w = *s->window;
    // Far from the computer's clock, so that a picker left at start-up's "now" shows.
    const QDateTime set(QDate(2024, 3, 5), QTime(14, 7, 9));
    w.DateTimePicker3->setDate(set.date());
    w.DateTimePicker4->setTime(set.time());
    w.Button4->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("time setting successfully")));
    const QDateTime logger = FromCivil(*s->logger.DeviceClock());
    EXPECT_GE(logger, set);
    EXPECT_LE(logger, set.addSecs(2));

    w.DateTimePicker3->setDate(QDate(2030, 1, 1));
    w.DateTimePicker4->setTime(QTime(0, 0, 0));
    ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_acquiretime, 0x23));
    EXPECT_GE(Shown(w), set);
    EXPECT_LE(Shown(w), set.addSecs(3));
    EXPECT_EQ(w.dtp_DeviceCurrentTime->dateTime(), Shown(w));

    // The hidden "Load local time" sets the computer's clock.
    w.btn_setcurtime->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("time setting successfully"), 2));
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_LE(std::abs(FromCivil(*s->logger.DeviceClock()).secsTo(now)), 3);
}

TEST(DeviceClock, TimeErrorImpossibleTimeAndRefusedSettingLeaveThePickers) {
    for (const Bytes& bytes : {Bytes{24, 0, 5, 14, 7, 9}, Bytes{24, 13, 5, 14, 7, 9}}) {
        sim::Options options;
        options.clockReply =
            std::array<std::uint8_t, 6>{bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]};
        options.refuseSetTime = true;
        auto s = LoggedIn(options);
        TestWindow& w = *s->window;
        const QDateTime before = Shown(w);
        ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_acquiretime, 0x23));
        const QString shown = w.boxes.Boxes().back().text;
        if (bytes[1] == 0)
            EXPECT_EQ(shown, QStringLiteral("time error"));
        else
            EXPECT_TRUE(shown.contains(QStringLiteral("month 13"))) << shown.toStdString();
        EXPECT_EQ(Shown(w), before);

        const sim::CivilTime clock = *s->logger.DeviceClock();
        w.Button4->click();
        ASSERT_TRUE(WaitForBox(w, QStringLiteral("time setting failure!")));
        EXPECT_LE(std::abs(FromCivil(*s->logger.DeviceClock()).secsTo(FromCivil(clock))), 2);
    }
}

// ---- Relay test -----------------------------------------------------------------------

void ChooseControlType(TestWindow& w, int index) {
    w.ComboBox1->setCurrentIndex(index);
    emit w.ComboBox1->activated(index);
}

TEST(RelayTest, BothControlTypesStartAndStopWithTheExactRequests) {
    auto s = LoggedIn({});
    TestWindow& w = *s->window;
    w.Edit8->setText(QStringLiteral("30"));
    w.Button3->click();
    ASSERT_TRUE(WaitForBox(w, kOperateSuccess, 1));
    // The logger's relay is now on, and the current data say so.
    ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_inquire_curdat, 0x17));
    EXPECT_EQ(Cell(w, 10), QStringLiteral("Valid"));
    w.Button2->click();
    ASSERT_TRUE(WaitForBox(w, kOperateSuccess, 2));
    ASSERT_TRUE(ClickAndWaitForReply(*s, w.btn_inquire_curdat, 0x17));
    EXPECT_EQ(Cell(w, 10), QStringLiteral("Invalid"));

    ChooseControlType(w, 1);
    ASSERT_TRUE(w.Edit12->isEnabled());
    w.Edit10->setText(QStringLiteral("3"));
    w.Edit11->setText(QStringLiteral("1"));
    w.Edit12->setText(QStringLiteral("300"));
    w.Button3->click();
    ASSERT_TRUE(WaitForBox(w, kOperateSuccess, 3));
    w.Edit10->setText(QString());
    w.Button3->click();
    ASSERT_TRUE(WaitForBox(w, kOperateSuccess, 4));
    w.Button2->click();
    ASSERT_TRUE(WaitForBox(w, kOperateSuccess, 5));

    EXPECT_EQ(s->logger.RelayRequests(), (std::vector<Bytes>{{0x01, 'C', 30, 0},
                                                             {0x01, 'O'},
                                                             {0x01, 'P', 3, 0, 1, 0, 0x2C},
                                                             {0x01, 'P', 0xFF, 0, 1, 0, 0x2C},
                                                             {0x01, 'O'}}));
    EXPECT_EQ(CountBoxes(w, kOperateFailure), 0);
}

TEST(RelayTest, RefusedRequestsAndAFieldThatHoldsNoNumber) {
    sim::Options options;
    options.refuseRelay = true;
    auto s = LoggedIn(options);
    TestWindow& w = *s->window;
    w.Button3->click();
    ASSERT_TRUE(WaitForBox(w, kOperateFailure, 1));
    w.Button2->click();
    ASSERT_TRUE(WaitForBox(w, kOperateFailure, 2));

    // Text put in by the program rather than typed: named, and nothing goes out.
    w.Edit8->setText(QStringLiteral("1O"));
    const std::size_t boxes = w.boxes.Boxes().size();
    w.Button3->click();
    ASSERT_EQ(w.boxes.Boxes().size(), boxes + 1);
    EXPECT_TRUE(w.boxes.Boxes().back().text.contains(QStringLiteral("Relay working time")));
    Pump(200);
    EXPECT_EQ(s->logger.RelayRequests().size(), 2u);
}

// ---- Debug monitor ----------------------------------------------------------------------

QString HexLine(int from, int count) {
    QString line;
    for (int k = from; k < from + count; ++k)
        line += QStringLiteral(" %1").arg(k, 2, 16, QLatin1Char('0')).toUpper();
    return line;
}

TEST(DebugMonitor, OnShowsTheTrafficInBothMemosAndOffStopsIt) {
    sim::Options options;
    options.debugIntervalMs = 20;
    options.debugFrames = {{'R', 45}, {'T', 20}, {'R', 0}, {'A', 3}};
    auto s = LoggedIn(options);
    TestWindow& w = *s->window;
    w.Button5->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("enable Debug mode successfully")));
    EXPECT_TRUE(s->logger.DebugModeOn());
    ASSERT_TRUE(WaitFor([&] { return CountReplies(w, 0x21) >= 8; }));

    w.btn_padlockregulation->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("disable Debug mode successfully")));
    EXPECT_FALSE(s->logger.DebugModeOn());
    Pump(150);  // frames sent before the switch may still arrive
    const QString received = w.Memo1->toPlainText();
    const QString sent = w.memo2->toPlainText();
    Pump(150);
    EXPECT_EQ(w.Memo1->toPlainText(), received);
    EXPECT_EQ(w.memo2->toPlainText(), sent);

    // Every 'R' frame of 45 bytes: two lines of 20 and one of 5. Every 'T' frame of 20: one
    // line and an empty one. The empty 'R' frames and the 'A' frames add nothing.
    std::size_t rFrames = 0;
    std::size_t tFrames = 0;
    for (const auto& frame : w.dispatched) {
        if (frame.command() != 0x21)
            continue;
        rFrames += frame.payload[0] == 'R' && frame.Payload().size() == 46 ? 1 : 0;
        tFrames += frame.payload[0] == 'T' ? 1 : 0;
    }
    ASSERT_GE(rFrames, 2u);
    ASSERT_GE(tFrames, 2u);
    const QString rText = HexLine(0, 20) + "\n" + HexLine(20, 20) + "\n" + HexLine(40, 5) + "\n";
    const QString tText = HexLine(0, 20) + "\n\n";
    EXPECT_EQ(received, rText.repeated(static_cast<qsizetype>(rFrames)));
    EXPECT_EQ(sent, tText.repeated(static_cast<qsizetype>(tFrames)));
}

TEST(DebugMonitor, RefusalsAreWordedForTheButtonPressed) {
    sim::Options options;
    options.refuseDebugMode = true;
    auto s = LoggedIn(options);
    TestWindow& w = *s->window;
    w.Button5->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("enable Debug mode failure")));
    w.btn_padlockregulation->click();
    ASSERT_TRUE(WaitForBox(w, QStringLiteral("disable Debug mode failure")));
    EXPECT_TRUE(w.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(w.memo2->toPlainText().isEmpty());
}

}  // namespace
}  // namespace lgcset::ui::e2e
