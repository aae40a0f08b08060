// The send path against a far end that the test holds: resend, timeout, replies that stop
// the resend, a new request replacing the pending one, and the traffic log.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <random>
#include <string>

#include "data/hex_text.h"
#include "protocol/commands.h"
#include "protocol/frame_codec.h"
#include "protocol/transmission.h"
#include "ui/status_panels.h"
#include "test_pty.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ScriptedMessageBoxes::Kind;

constexpr int kInterval = 250;  // ms; the window's is 1000
const Bytes kCurrentDataRequest{0xA5, 0x05, 0x00, 0x17, 0x01, 0x00, 0x01, 0x00, 0xE1, 0xFF, 0xA5};

Bytes Repeat(const Bytes& frame, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

class Transmission : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.Ok());
        w_ = MakeWindow();
        w_->show();
        ASSERT_TRUE(OpenLink(*w_, pty_.SlavePath()));
        w_->SetResendInterval(kInterval);
        // After each tick of the resend timer: the status text it left.
        QObject::connect(w_->tmr_cf, &QTimer::timeout, w_.get(),
                         [this] { tickTexts_.push_back(w_->StatusText()); });
    }

    // Waits until the far end has read `count` bytes.
    bool WaitForBytes(std::size_t count, int milliseconds = 5000) {
        return WaitFor([&] { return pty_.Drain().size() >= count; }, milliseconds);
    }

    Pty pty_;
    std::unique_ptr<TestWindow> w_;
    QStringList tickTexts_;
};

TEST_F(Transmission, NoReplyGivesFourWritesThenTheTimeout) {
    QString statusWhileBoxOpen;
    bool timerActiveWhileBoxOpen = true;
    w_->boxes.SetWhileOpen([&](const ScriptedMessageBoxes::Box&) {
        statusWhileBoxOpen = w_->StatusText();
        timerActiveWhileBoxOpen = w_->tmr_cf->isActive();
    });
    w_->SendRequest(protocol::kCurrentDataRequest);
    EXPECT_EQ(w_->ResendCount(), 0);
    EXPECT_TRUE(w_->tmr_cf->isActive());

    ASSERT_TRUE(WaitFor([&] { return !w_->boxes.Boxes().empty(); }));
    Pump(3 * kInterval);  // nothing more may follow
    pty_.Drain();

    EXPECT_EQ(pty_.Received(), Repeat(kCurrentDataRequest, 4));
    EXPECT_EQ(tickTexts_, (QStringList{"", "resend:1", "resend:2", ""}));
    ASSERT_EQ(w_->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w_->boxes.Boxes()[0].kind, Kind::Information);
    EXPECT_EQ(w_->boxes.Boxes()[0].text, QStringLiteral("Send command timeout"));
    EXPECT_EQ(w_->boxes.Boxes()[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(statusWhileBoxOpen, QStringLiteral("resend:3"));
    EXPECT_FALSE(timerActiveWhileBoxOpen);
    EXPECT_FALSE(w_->tmr_cf->isActive());
    EXPECT_TRUE(w_->StatusText().isEmpty());
    EXPECT_EQ(w_->ResendCount(), 3);
    // The device link stays open.
    EXPECT_TRUE(w_->LinkOpen());
    EXPECT_TRUE(w_->cm1.PortOpen());
    // Every write is in the traffic log, one line each.
    w_->FlushTrafficLog();
    EXPECT_EQ(w_->mmo1->toPlainText(),
              QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5\n").repeated(4));
}

TEST_F(Transmission, AReplyAfterTheFirstResendStopsItSilently) {
    w_->SendRequest(protocol::kCurrentDataRequest);
    ASSERT_TRUE(WaitForBytes(2 * kCurrentDataRequest.size()));
    const auto reply = protocol::BuildFrame(protocol::code(protocol::Command::CurrentData), {});
    pty_.Write(reply);
    ASSERT_TRUE(WaitFor([&] { return !w_->dispatched.empty(); }));
    EXPECT_FALSE(w_->tmr_cf->isActive());
    Pump(4 * kInterval);
    pty_.Drain();

    EXPECT_EQ(pty_.Received(), Repeat(kCurrentDataRequest, 2));
    ASSERT_EQ(w_->dispatched.size(), 1u);
    EXPECT_EQ(w_->dispatched[0].command(), 0x17);
    EXPECT_TRUE(w_->boxes.Boxes().empty());
    EXPECT_TRUE(w_->StatusText().isEmpty());
    EXPECT_EQ(tickTexts_, QStringList{""});
    // The reply, as received, is in the receive log.
    w_->FlushTrafficLog();
    EXPECT_EQ(w_->mmo2->toPlainText(), QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5"));
}

TEST_F(Transmission, AFrameWithAWrongCheckIsLoggedButDoesNotStopTheResend) {
    w_->SendRequest(protocol::kCurrentDataRequest);
    auto bad = protocol::BuildFrame(protocol::code(protocol::Command::CurrentData), {});
    bad[bad.size() - 3] ^= 0x01;
    pty_.Write(bad);
    ASSERT_TRUE(WaitForBytes(2 * kCurrentDataRequest.size()));
    // The resend can reach the far end before the window has read the bad frame.
    ASSERT_TRUE(WaitFor([&] {
        w_->FlushTrafficLog();
        return !w_->mmo2->toPlainText().isEmpty();
    }));
    EXPECT_TRUE(w_->dispatched.empty());
    EXPECT_TRUE(w_->tmr_cf->isActive());
    EXPECT_EQ(w_->mmo2->toPlainText().count(QLatin1Char('\n')), 0);
    EXPECT_TRUE(w_->mmo2->toPlainText().startsWith(QStringLiteral(" A5 05 00 17")));
}

TEST_F(Transmission, ANewRequestReplacesThePendingOne) {
    w_->SendRequest(protocol::kCurrentDataRequest);
    ASSERT_TRUE(WaitForBytes(2 * kCurrentDataRequest.size()));  // sent and re-sent once
    w_->SendErasePage(1024);
    const Bytes erase{0xA5, 0x09, 0x00, 0x12, 0x01, 0x00, 0x01, 0x00,
                      0x00, 0x04, 0x00, 0x00, 0xDE, 0xFF, 0xA5};
    EXPECT_EQ(w_->ResendCount(), 0);
    EXPECT_EQ(Bytes(w_->ResendCopy().begin(), w_->ResendCopy().end()), erase);

    ASSERT_TRUE(WaitFor([&] { return !w_->boxes.Boxes().empty(); }));
    Pump(2 * kInterval);
    pty_.Drain();
    Bytes expected = Repeat(kCurrentDataRequest, 2);
    const Bytes erases = Repeat(erase, 4);
    expected.insert(expected.end(), erases.begin(), erases.end());
    EXPECT_EQ(pty_.Received(), expected);
    EXPECT_EQ(w_->boxes.Boxes().size(), 1u);
}

TEST_F(Transmission, ARequestSentWhileTheTimerRunsIsResentAFullIntervalAfterItsOwnSend) {
    w_->SendRequest(protocol::kCurrentDataRequest);
    Pump(kInterval / 2);
    QElapsedTimer sinceErase;
    sinceErase.start();
    w_->SendErasePage(1024);
    const std::size_t erase = w_->ResendCopy().size();
    ASSERT_TRUE(WaitForBytes(kCurrentDataRequest.size() + 2 * erase));
    // Not at the timer's old phase, half an interval after the erase; the coarse timer may
    // fire a twentieth of its interval early.
    EXPECT_GE(sinceErase.elapsed(), kInterval - kInterval / 20);
    EXPECT_EQ(w_->ResendCount(), 1);
}

TEST_F(Transmission, StopEndsTheWaitWithoutAMessage) {
    w_->SendRequest(protocol::kCurrentDataRequest);
    ASSERT_TRUE(WaitForBytes(kCurrentDataRequest.size()));
    w_->btn_stopClick();
    Pump(5 * kInterval);
    pty_.Drain();
    EXPECT_EQ(pty_.Received(), kCurrentDataRequest);
    EXPECT_TRUE(w_->boxes.Boxes().empty());
    EXPECT_TRUE(w_->LinkOpen());
}

TEST_F(Transmission, StuffedBytesGoOutAndAreResentVerbatim) {
    // Record index 165 is 0xA5 and goes out stuffed as AA 05.
    w_->Params().historyRecordIndex = 165;
    w_->SendRequest(protocol::kHistoryRecordRequest);
    const Bytes sent(w_->ResendCopy().begin(), w_->ResendCopy().end());
    ASSERT_EQ(sent.size(), 14u);
    EXPECT_EQ(sent[8], 0xAA);
    EXPECT_EQ(sent[9], 0x05);
    ASSERT_TRUE(WaitForBytes(2 * sent.size()));
    EXPECT_EQ(pty_.Drain(), Repeat(sent, 2));
}

// The traffic log without a line: exact line breaks of both memos.
TEST(TrafficLog, SentLinesOfTwentyAndReceivedLinesOfTwentyOne) {
    auto w = MakeWindow();
    Bytes forty(40);
    for (std::size_t i = 0; i < forty.size(); ++i) forty[i] = static_cast<std::uint8_t>(i);
    w->EchoSent(forty);
    w->FlushTrafficLog();
    const QStringList sent = w->mmo1->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(sent.size(), 4);  // two lines of 20, an empty line, and the caret's line
    EXPECT_EQ(sent[0].size(), 60);
    EXPECT_TRUE(sent[0].startsWith(QStringLiteral(" 00 01")));
    EXPECT_TRUE(sent[1].endsWith(QStringLiteral(" 27")));
    EXPECT_TRUE(sent[2].isEmpty());
    EXPECT_TRUE(sent[3].isEmpty());

    Bytes fortyTwo(42, 0xAB);
    w->EchoReceived(fortyTwo);
    w->EchoReceived(kCurrentDataRequest);
    w->FlushTrafficLog();
    const QStringList received = w->mmo2->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(received.size(), 4);
    EXPECT_EQ(received[0].size(), 63);
    EXPECT_EQ(received[1].size(), 63);
    EXPECT_TRUE(received[2].isEmpty());
    EXPECT_EQ(received[3], QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5"));
}

TEST(TrafficLog, ClearButtonsEmptyTheMemos) {
    auto w = MakeWindow();
    w->EchoSent(kCurrentDataRequest);
    w->EchoReceived(kCurrentDataRequest);
    w->btn_clrmmo1->click();
    w->btn_clrmmo2->click();
    w->FlushTrafficLog();  // nothing logged before the click comes back
    EXPECT_TRUE(w->mmo1->toPlainText().isEmpty());
    EXPECT_TRUE(w->mmo2->toPlainText().isEmpty());
}

// The memos take the log in batches; what they hold is what appending every run as it
// came leaves, the line limit included: over limits and runs of every length, read now
// and then, emptied now and then.
TEST(TrafficLog, BatchedTextIsWhatAppendingEachRunLeaves) {
    auto w = MakeWindow();
    std::mt19937 random(7);
    for (const int limit : {40, 41, 42, 43, 10000}) {
        QPlainTextEdit sent;
        QPlainTextEdit received;
        for (QPlainTextEdit* memo : {&sent, &received, w->mmo1, w->mmo2}) {
            memo->clear();
            memo->setMaximumBlockCount(limit);
        }
        w->btn_clrmmo1->click();
        w->btn_clrmmo2->click();
        const auto echo = [&](const Bytes& bytes) {
            w->EchoSent(bytes);
            w->EchoReceived(bytes);
            std::string text;
            data::AppendHexText(text, bytes);
            QString chunk = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
            chunk.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QTextCursor end(sent.document());
            end.movePosition(QTextCursor::End);
            end.insertText(chunk);
            for (const std::string& line : protocol::EchoReceived(bytes))
                received.appendPlainText(QString::fromLatin1(line.data()));
        };
        // Into empty memos first: a run of no bytes (an empty received line), then runs
        // that end on a full line of each memo.
        echo({});
        echo(Bytes(20, 0x11));
        echo(Bytes(21, 0x22));
        for (int run = 0; run < 1200; ++run) {
            // Half of them history records' replies: three full lines and an empty one.
            const std::size_t size = random() % 2 == 0 ? 63 : random() % 70;
            echo(Bytes(size, static_cast<std::uint8_t>(run)));
            const unsigned next = random() % 100;
            if (next < 8) {
                w->FlushTrafficLog();
                ASSERT_EQ(w->mmo1->toPlainText(), sent.toPlainText()) << limit << " " << run;
                ASSERT_EQ(w->mmo2->toPlainText(), received.toPlainText()) << limit << " " << run;
            } else if (next == 8) {
                w->btn_clrmmo1->click();
                w->btn_clrmmo2->click();
                sent.clear();
                received.clear();
            }
        }
        w->FlushTrafficLog();
        EXPECT_EQ(w->mmo1->toPlainText(), sent.toPlainText()) << limit;
        EXPECT_EQ(w->mmo2->toPlainText(), received.toPlainText()) << limit;
    }
}

TEST(TrafficLog, TheMemosFillOnceTheLineIsQuietOrWhenShown) {
    auto w = MakeWindow();
    w->show();
    w->EchoSent(kCurrentDataRequest);
    w->EchoReceived(kCurrentDataRequest);
    EXPECT_TRUE(WaitFor([&] { return !w->mmo2->toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(w->mmo1->toPlainText(), QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5\n"));
    EXPECT_EQ(w->mmo2->toPlainText(), QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5"));

    // The hidden traffic tab brought up: what is pending is there at once.
    w->EchoReceived(kCurrentDataRequest);
    w->PageControl1->setTabVisible(w->PageControl1->indexOf(w->TabSheet4), true);
    w->PageControl1->setCurrentWidget(w->TabSheet4);
    ASSERT_TRUE(w->mmo2->isVisible());
    EXPECT_EQ(
        w->mmo2->toPlainText(),
        QStringLiteral(" A5 05 00 17 01 00 01 00 E1 FF A5\n A5 05 00 17 01 00 01 00 E1 FF A5"));
}

}  // namespace
}  // namespace lgcset::ui::test
