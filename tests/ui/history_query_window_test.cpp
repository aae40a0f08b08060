// "Query" of the history in the window against a far end that the test holds: the bytes
// of the requests, how the count reply is read, the counters and status texts, and that
// nothing goes out once Stop has ended the transfer.
#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "export_test_support.h"
#include "protocol/frame_codec.h"
#include "ui/status_panels.h"
#include "test_pty.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes OnWire(std::uint8_t command, const Bytes& payload) {
    return protocol::EscapeFrame(protocol::BuildFrame(command, payload));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class HistoryWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.Ok());
        w_ = MakeWindow();
        ASSERT_TRUE(OpenLink(*w_, pty_.SlavePath()));
        w_->SetResendInterval(60000);  // no re-send gets in the way
    }

    // Waits for the window to have written exactly `expected` since the last call.
    ::testing::AssertionResult Sent(const Bytes& expected) {
        const std::size_t want = seen_ + expected.size();
        WaitFor([&] { return pty_.Drain().size() >= want; }, 3000);
        Pump(30);  // and nothing more
        const Bytes& all = pty_.Drain();
        const Bytes got(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
        seen_ = all.size();
        if (got == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << got.size() << " bytes, not the " << expected.size() << " expected";
    }

    // A range the window takes reads the logger's clock first: answered here.
    void Query(QDate from, QDate to, bool taken = true) {
        w_->DateTimePicker1->setDate(from);
        w_->DateTimePicker2->setDate(to);
        w_->Button1Click();
        if (!taken)
            return;
        ASSERT_TRUE(Sent(OnWire(0x23, {})));
        pty_.Write(OnWire(0x23, {26, 3, 1, 10, 15, 0}));
    }

    Pty pty_;
    std::unique_ptr<TestWindow> w_;
    std::size_t seen_ = 0;
};

TEST_F(HistoryWindow, ARangeAcrossTheCenturyGoesOutAsYears99And0AndTheCountIsReadLowByteFirst) {
    w_->SetStatusText(QStringLiteral("266 new records archived (0 already there)"));
    Query(QDate(2099, 12, 1), QDate(2100, 1, 1));
    EXPECT_EQ(w_->StatusText(), QString());  // the previous transfer's words
    ASSERT_TRUE(Sent(OnWire(0x15, {99, 12, 1, 0, 1, 1})));
    EXPECT_FALSE(w_->pb_write->isHidden());
    EXPECT_EQ(w_->pb_write->value(), 0);

    pty_.Write(OnWire(0x15, {0x00, 0x01}));  // 256 records
    ASSERT_TRUE(Sent(OnWire(0x16, {1, 0})));
    EXPECT_EQ(w_->lbl16->text(), QStringLiteral("2"));
    EXPECT_EQ(w_->HistoryQueryState().Total(), 256);
    const int panel = w_->stat1->PanelCount() - 1;
    EXPECT_EQ(w_->stat1->PanelText(panel), QStringLiteral("record 0 of 256"));

    pty_.Write(OnWire(0x16, {0x7F, 0x7F, 99, 12, 31, 23, 59, 58, 0x01, 0x00, 0, 0, 0xBC, 0x41}));
    ASSERT_TRUE(Sent(OnWire(0x16, {2, 0})));
    EXPECT_EQ(w_->lbl4->text(), QStringLiteral("1"));
    EXPECT_EQ(w_->lbl16->text(), QStringLiteral("2"));  // set once
    EXPECT_EQ(w_->StatusText(), QString());  // nothing is saved yet
    EXPECT_EQ(w_->History[0].year, 99);
    EXPECT_EQ(w_->History[0].sensor[0], 23.5);

    // Stop: the question names what arrived; the late reply sends nothing.
    w_->boxes.QueueAnswer(false);
    w_->btn_stopClick();
    ASSERT_FALSE(w_->boxes.Boxes().empty());
    EXPECT_EQ(w_->boxes.Boxes().back().text,
              QStringLiteral("The history transfer ended early: 1 of 256 records arrived. Export "
                             "the records that arrived?"));
    EXPECT_EQ(w_->stat1->PanelText(panel), QString());
    pty_.Write(OnWire(0x16, {0x7F, 0x7F, 0, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(WaitFor([&] { return w_->dispatched.size() == 3; }));
    EXPECT_TRUE(Sent({}));
    EXPECT_EQ(w_->HistoryCount, 1);
}

TEST_F(HistoryWindow, TheReceivedCounterFollowsAFastTransferAndEndsOnItsLastCount) {
    Query(QDate(2026, 3, 1), QDate(2026, 3, 31));
    ASSERT_TRUE(Sent(OnWire(0x15, {26, 3, 1, 26, 3, 31})));
    pty_.Write(OnWire(0x15, {10, 0}));
    ASSERT_TRUE(Sent(OnWire(0x16, {1, 0})));
    // Records a minute apart, dispatched after the clock's reply and the count (a reply repeating the one before may be a doubled one).
    std::uint8_t minute = 0;
    const auto record = [&] {
        return OnWire(0x16, {0x7F, 0x7F, 26, 3, 1, 0, minute++, 0, 0x01, 0x00, 0, 0, 0xBC, 0x41});
    };
    // Two records back to back: the first count at once, the second soon after.
    pty_.Write(record());
    ASSERT_TRUE(WaitFor([&] { return w_->dispatched.size() == 3; }));
    EXPECT_EQ(w_->lbl4->text(), QStringLiteral("1"));
    pty_.Write(record());
    ASSERT_TRUE(WaitFor([&] { return w_->dispatched.size() == 4; }));
    EXPECT_TRUE(WaitFor([&] { return w_->lbl4->text() == QStringLiteral("2"); }, 1000));
    // A third one just after, and Stop: the counter shows it when the transfer ends.
    pty_.Write(record());
    ASSERT_TRUE(WaitFor([&] { return w_->dispatched.size() == 5; }));
    w_->boxes.QueueAnswer(false);
    w_->btn_stopClick();
    EXPECT_EQ(w_->lbl4->text(), QStringLiteral("3"));
    EXPECT_EQ(w_->HistoryCount, 3);
}

TEST_F(HistoryWindow, AQueryStartedDuringTheExportKeepsTheRecordsItHasReceived) {
    ExportCapture files(*w_);
    w_->boxes.SetDefaultAnswer(false);  // the files are not opened
    const auto record = [](std::uint8_t minute, std::uint8_t high) {
        return OnWire(0x16, {0x7F, 0x7F, 26, 3, 1, 0, minute, 0, 0x01, 0x00, 0, 0, high, 0x41});
    };
    Query(QDate(2026, 3, 1), QDate(2026, 3, 31));
    ASSERT_TRUE(Sent(OnWire(0x15, {26, 3, 1, 26, 3, 31})));
    pty_.Write(OnWire(0x15, {2, 0}));
    ASSERT_TRUE(Sent(OnWire(0x16, {1, 0})));
    pty_.Write(record(1, 0xBC));  // 23.5
    ASSERT_TRUE(Sent(OnWire(0x16, {2, 0})));
    pty_.Write(record(2, 0xBC));
    ASSERT_TRUE(Sent(OnWire(0x16, {0, 0})));

    // While the export lets events in: "Query" again, and the new transfer's first record.
    bool queried = false;
    QTimer during;
    during.setInterval(0);
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (w_->StatusText() != QStringLiteral("Historical Data"))
            return;  // the export has not started
        during.stop();
        queried = true;
        Query(QDate(2026, 3, 1), QDate(2026, 3, 31));
        EXPECT_TRUE(Sent(OnWire(0x15, {26, 3, 1, 26, 3, 31})));
        pty_.Write(OnWire(0x15, {5, 0}));
        EXPECT_TRUE(Sent(OnWire(0x16, {1, 0})));
        pty_.Write(record(9, 0x40));  // 12.0
        EXPECT_TRUE(Sent(OnWire(0x16, {2, 0})));
    });
    during.start();
    pty_.Write(OnWire(0x16, {0xFF}));  // the closing reply: the export starts
    ASSERT_TRUE(WaitFor([&] { return files.Files().size() == 2; }, 3000));
    Pump(30);
    ASSERT_TRUE(queried) << "the export let no event in";

    // The files hold the ended transfer; the store the new one, flags and all.
    const auto names = files.Files();
    const std::string csv = ReadFile(files.folder / names[1]);
    EXPECT_NE(csv.find("26-03-01 00:02:00,23.5,"), std::string::npos) << csv;
    ASSERT_EQ(w_->HistoryCount, 1);
    EXPECT_EQ(w_->History[0].minute, 9);
    EXPECT_EQ(w_->History[0].sensor[0], 12.0);
    EXPECT_EQ(w_->History[0].sensorPresent[0], 1);
    EXPECT_EQ(w_->HistoryQueryState().state(), data::HistoryQuery::State::Fetching);
    EXPECT_FALSE(w_->pb_write->isHidden()) << "the new transfer's bar";
}

TEST_F(HistoryWindow, RecordsOfRepliesThatOverlapAreExportedOnceAndTheRepeatsAreSaid) {
    ExportCapture files(*w_);
    w_->boxes.SetDefaultAnswer(false);  // the files are not opened
    const auto record = [](std::uint8_t minute) {
        return Bytes{0x7F, 0x7F, 26, 3, 1, 0, minute, 0, 0x01, 0x00, 0, 0, 0xBC, 0x41};
    };
    const auto reply = [&](std::uint8_t first) {
        Bytes both = record(first);
        const Bytes second = record(static_cast<std::uint8_t>(first + 1));
        both.insert(both.end(), second.begin(), second.end());
        return OnWire(0x16, both);
    };
    Query(QDate(2026, 3, 1), QDate(2026, 3, 31));
    ASSERT_TRUE(Sent(OnWire(0x15, {26, 3, 1, 26, 3, 31})));
    pty_.Write(OnWire(0x15, {2, 0}));
    ASSERT_TRUE(Sent(OnWire(0x16, {1, 0})));
    pty_.Write(reply(1));
    ASSERT_TRUE(Sent(OnWire(0x16, {2, 0})));
    pty_.Write(reply(2));
    ASSERT_TRUE(Sent(OnWire(0x16, {0, 0})));
    pty_.Write(OnWire(0x16, {0xFF}));
    ASSERT_TRUE(WaitFor([&] { return files.Files().size() == 2; }, 3000));
    Pump(30);

    const std::string csv = ReadFile(files.folder / files.Files()[1]);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;  // the header and 3 records
    ASSERT_FALSE(w_->boxes.Boxes().empty());
    EXPECT_TRUE(w_->boxes.Boxes().front().detail.endsWith(
        QStringLiteral("\n1 records that arrived again were left out.")))
        << w_->boxes.Boxes().front().detail.toStdString();
}

TEST_F(HistoryWindow, ARangeOfSevenMonthsIsRefusedAndNothingIsSent) {
    Query(QDate(2023, 1, 1), QDate(2023, 8, 1), false);
    ASSERT_EQ(w_->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w_->boxes.Boxes()[0].text, QStringLiteral("time is to long!(less than 6months)"));
    EXPECT_TRUE(Sent({}));
    EXPECT_TRUE(w_->pb_write->isHidden());

    Query(QDate(2023, 1, 31), QDate(2023, 7, 1));
    EXPECT_TRUE(Sent(OnWire(0x15, {23, 1, 31, 23, 7, 1})));
}

}  // namespace
}  // namespace lgcset::ui::test
