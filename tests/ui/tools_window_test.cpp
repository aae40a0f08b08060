// The tools of the "Others" tab in the window, fed with replies directly: what the grid,
// the clock pickers and the debug memos show, what is kept, and the hidden tab's buttons.
#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "protocol/command_codes.h"
#include "support/data_items.h"
#include "support/received_frames.h"
#include "ui/status_panels.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using protocol::Command;
using support::Bytes;
using support::Item;
using support::Reply;

QStringList Row(TestWindow& w) {
    QStringList row;
    for (int column = 1; column < 12; ++column) row << w.strngrd_curdata->item(1, column)->text();
    return row;
}

QStringList Lines(const QPlainTextEdit* memo) {
    return memo->toPlainText().split(QLatin1Char('\n'));
}

TEST(CurrentDataWindow, ValuesGoToRowOneAndCellsOfValuesNotSentKeepTheirText) {
    auto w = MakeWindow();
    Bytes first;
    Item(first, 0x01, 0x00, 23.456f);
    Item(first, 0x01, 0x01, 20.0f);
    Item(first, 0x50, 0x50, std::uint32_t{113954321});
    Item(first, 0x50, 0x51, std::uint32_t{22540000});
    Item(first, 0x50, 0x52, std::uint32_t{456});
    Item(first, 0x50, 0x53, std::uint32_t{900});
    Item(first, 0x10, 0x10, 18.0f);
    Item(first, 0x20, 0x20, 1.0f);
    Item(first, 0x30, 0x30, 1.0f);
    w->DispatchResponse(Reply(Command::CurrentData, first));
    EXPECT_EQ(Row(*w), (QStringList{"23.46", "20", "", "", "113.954321", "22.54", "45.6", "90",
                                    "18", "Valid", "Valid"}));
    EXPECT_EQ(w->strngrd_curdata->item(1, 0)->text(), QStringLiteral("Value"));

    // The second reply lacks sensor 2 and marks the latitude absent: those cells keep the
    // first reply's values, while signal, relay and power are always written.
    Bytes second;
    Item(second, 0x01, 0x00, 21.0f);
    Item(second, 0x50, 0x51, std::uint32_t{0xFFFFFFFF});
    Item(second, 0x20, 0x20, 0.999f);
    w->DispatchResponse(Reply(Command::CurrentData, second));
    EXPECT_EQ(Row(*w), (QStringList{"21", "20", "", "", "113.954321", "22.54", "45.6", "90", "0",
                                    "Invalid", "Invalid"}));
    // Shown, then cleared for the next reply.
    EXPECT_EQ(w->Reading.sensorPresent[0], 0);
    EXPECT_EQ(w->Reading.relay, 0.0);
    EXPECT_TRUE(w->boxes.Boxes().empty());

    w->DispatchResponse(Reply(Command::CurrentData, {}));
    EXPECT_EQ(Row(*w), (QStringList{"21", "20", "", "", "113.954321", "22.54", "45.6", "90", "0",
                                    "Invalid", "Invalid"}));
}

TEST(CurrentDataWindow, DecimalSeparatorIsTheUsersLocales) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto w = MakeWindow();
    Bytes p;
    Item(p, 0x01, 0x00, 23.456f);
    Item(p, 0x50, 0x50, std::uint32_t{113954321});
    Item(p, 0x10, 0x10, 23.7f);
    w->DispatchResponse(Reply(Command::CurrentData, p));
    QLocale::setDefault(before);
    EXPECT_EQ(Row(*w)[0], QStringLiteral("23,46"));
    EXPECT_EQ(Row(*w)[4], QStringLiteral("113,954321"));
    EXPECT_EQ(Row(*w)[8], QStringLiteral("23,7000007629395"));
}

TEST(ClockWindow, ReplyReachesBothPickersThroughTheDevicePicker) {
    auto w = MakeWindow();
    w->DispatchResponse(Reply(Command::ReadTime, {24, 3, 5, 14, 7, 9}));
    const QDateTime expected(QDate(2024, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(w->dtp_DeviceCurrentTime->dateTime(), expected);
    EXPECT_EQ(w->DateTimePicker3->date(), expected.date());
    EXPECT_EQ(w->DateTimePicker4->time(), expected.time());
    EXPECT_TRUE(w->boxes.Boxes().empty());
}

TEST(ClockWindow, MonthZeroAndImpossibleTimesChangeNothing) {
    auto w = MakeWindow();
    w->DispatchResponse(Reply(Command::ReadTime, {24, 3, 5, 14, 7, 9}));
    const QDateTime shown = w->DateTimePicker3->dateTime();
    const QTime time = w->DateTimePicker4->time();

    w->DispatchResponse(Reply(Command::ReadTime, {25, 0, 6, 15, 8, 10}));
    ASSERT_EQ(w->boxes.Boxes().size(), 1u);
    EXPECT_EQ(w->boxes.Boxes()[0].text, QStringLiteral("time error"));

    for (const Bytes& bad :
         {Bytes{24, 13, 5, 14, 7, 9}, Bytes{24, 2, 30, 1, 2, 3}, Bytes{24, 3, 5, 24, 0, 0}}) {
        w->boxes.Clear();
        w->DispatchResponse(Reply(Command::ReadTime, bad));
        ASSERT_EQ(w->boxes.Boxes().size(), 1u);
        const QString text = w->boxes.Boxes()[0].text;
        EXPECT_TRUE(text.contains(
            QStringLiteral("month %1, day %2, hour %3").arg(bad[1]).arg(bad[2]).arg(bad[3])))
            << text.toStdString();
    }
    EXPECT_EQ(w->DateTimePicker3->dateTime(), shown);
    EXPECT_EQ(w->DateTimePicker4->time(), time);
    EXPECT_EQ(w->dtp_DeviceCurrentTime->dateTime(), shown);
}

TEST(DebugMonitorWindow, FramesGoToTheirMemoInLinesOfTwenty) {
    auto w = MakeWindow();
    Bytes r{'R'};
    for (int k = 0; k < 45; ++k) r.push_back(static_cast<std::uint8_t>(k));
    w->DispatchResponse(Reply(Command::DebugData, r));
    w->DispatchResponse(Reply(Command::DebugData, {'T', 0xAB}));
    w->DispatchResponse(Reply(Command::DebugData, {'R'}));         // nothing to append
    w->DispatchResponse(Reply(Command::DebugData, {0x41, 1, 2}));  // no direction
    w->DispatchResponse(Reply(Command::DebugData, {}));
    const QStringList received = Lines(w->Memo1);
    ASSERT_EQ(received.size(), 4);  // 20, 20, 5, and the caret's empty line
    EXPECT_TRUE(received[0].startsWith(QStringLiteral(" 00 01 02")));
    EXPECT_EQ(received[0].size(), 60);
    EXPECT_TRUE(received[1].endsWith(QStringLiteral(" 27")));
    EXPECT_EQ(received[2], QStringLiteral(" 28 29 2A 2B 2C"));
    EXPECT_TRUE(received[3].isEmpty());
    EXPECT_EQ(w->memo2->toPlainText(), QStringLiteral(" AB\n"));

    // A debug mode reply is handed on as well, and its result byte is no direction.
    w->DispatchResponse(Reply(Command::DebugMode, {1}));
    EXPECT_EQ(w->memo2->toPlainText(), QStringLiteral(" AB\n"));
    EXPECT_EQ(Lines(w->Memo1).size(), 4);
}

TEST(DebugMonitorWindow, MemosKeepTheNewestTenThousandLines) {
    auto w = MakeWindow();
    Bytes frame{'T'};
    for (int k = 0; k < 40; ++k) frame.push_back(static_cast<std::uint8_t>(k));
    // Three lines a frame: two of bytes, one empty.
    for (int n = 0; n < 4000; ++n) w->DispatchResponse(Reply(Command::DebugData, frame));
    frame.back() = 0xEE;
    w->DispatchResponse(Reply(Command::DebugData, frame));
    EXPECT_EQ(w->memo2->document()->blockCount(), 10000);
    const QStringList lines = Lines(w->memo2);
    EXPECT_TRUE(lines[lines.size() - 3].endsWith(QStringLiteral(" EE")));
}

TEST(HiddenTab, ProgressBarTestLampsAndMemoClearing) {
    auto w = MakeWindow();
    w->show();
    w->Button6->click();
    EXPECT_TRUE(w->pb_write->isVisible());
    EXPECT_EQ(w->StatusText(), QStringLiteral("30000"));
    w->Button7->click();
    EXPECT_TRUE(w->GreenLampInFront());
    w->Button8->click();
    EXPECT_FALSE(w->GreenLampInFront());

    w->DispatchResponse(Reply(Command::DebugData, {'R', 1}));
    w->btn_clrmmo1->click();
    w->btn_clrmmo2->click();
    EXPECT_FALSE(w->Memo1->toPlainText().isEmpty());  // the debug memos are never cleared
}

}  // namespace
}  // namespace lgcset::ui::test
