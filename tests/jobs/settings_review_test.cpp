// The review before a write and the write of the rows chosen, over the logger's own pages.
#include "jobs/settings_review.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/simulated_logger.h"
#include "jobs/write_record.h"
#include "settings/page_layout.h"

namespace lgcset::jobs {
namespace {

using WriteEnd = WriteSettingsResult::End;

// The logger's settings as read, decoded as the hosts decode them.
settings::SettingsModel ReadLogger(SimulatedLogger& logger) {
    ReadSettingsJob read(logger.Device());
    logger.Run(read);
    EXPECT_EQ(read.Result().end, ReadSettingsResult::End::Done);
    settings::SettingsModel held;
    DecodePages(logger.Device().ReadPages(), logger.Device().LoginReply(), held);
    return held;
}

std::vector<std::string> Lines(const std::vector<ReviewRow>& rows) {
    std::vector<std::string> lines;
    for (const ReviewRow& row : rows) lines.push_back(ChangeLine(row));
    return lines;
}

TEST(SettingsReview, RowsCompareInTheLoggersFormAndNameNotSetWithItsValue) {
    SimulatedLogger logger;
    logger.LogIn();
    const settings::SettingsModel held = ReadLogger(logger);
    struct Case {
        const char* widget;
        const char* typed;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"edt_port", "", {"GPRS Connection setting / Port: 8000 -> not set (65535)"}},
        {"edt_Sensor1_SLow", "999", {}},  // the logger's 999.00 "not set", typed otherwise
        {"edt_Sensor1_SLow", "", {}},
        {"edt_Sensor1_SLow",
         "25.1",
         {"Alarm parameters setting1 / Ultra-low: not set (999.00) -> 25.10"}},
        {"edt_port", "8000", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.widget) + " = \"" + c.typed + "\"");
        settings::SettingsModel typed = held;
        typed.SetText(c.widget, c.typed);
        EXPECT_EQ(Lines(ReviewChanges(held, typed)), c.lines);
    }
    // Unread, the logger's earlier values are not known: the record says so, not "not set".
    settings::SettingsModel typed = held;
    typed.SetText("edt_port", "9001");
    const std::vector<std::string> unread = Lines(UnreadChanges(logger.Device().LoginReply(), typed));
    EXPECT_NE(std::find(unread.begin(), unread.end(),
                        "GPRS Connection setting / Port: not read -> 9001"),
              unread.end());
    for (const std::string& line : unread) EXPECT_NE(line.find(": not read -> "), std::string::npos) << line;
}

TEST(SettingsReview, OnlyTheChosenRowsAreWrittenAndUnownedBytesKeepTheLoggers) {
    SimulatedLogger logger;
    logger.LogIn();
    settings::SettingsModel held = ReadLogger(logger);
    // A byte that no setting owns, as a later firmware may keep something there.
    constexpr std::size_t kUnowned = settings::kGprsPageAddress + 250;
    Pages marked = logger.Device().ReadPages();
    marked[settings::kGprsPageAddress][250] = 0x42;
    WriteSettingsJob mark(logger.Device(), marked, std::nullopt);
    logger.Run(mark);
    ASSERT_EQ(mark.Result().end, WriteEnd::Written);

    held = ReadLogger(logger);
    settings::SettingsModel typed = held;
    typed.SetText("edt_port", "9001");
    typed.SetText("edt_ip1", "lgc.example.com");
    typed.SetText("edt_Sensor1_SLow", "-20");
    typed.SetText("edt_apn", "cmnet");
    typed.SetText("edt_tel1", "+8613800138000");
    const std::vector<ReviewRow> rows = ReviewChanges(held, typed);
    ASSERT_EQ(rows.size(), 5u);
    std::vector<bool> chosen(rows.size(), true);
    std::vector<std::string> left;
    for (std::size_t i : {1u, 3u}) {
        chosen[i] = false;
        left.push_back(rows[i].widget);
    }
    const WritePlan plan =
        PlanWrite(logger.Device().ReadPages(), held, typed, rows, chosen, logger.Device().Codes());
    ASSERT_EQ(plan.invalid, "");
    EXPECT_EQ(plan.changes.size(), 3u);
    WriteSettingsJob write(logger.Device(), plan.pages, plan.settings);
    logger.Run(write);
    EXPECT_EQ(write.Result().end, WriteEnd::Verified);

    const settings::SettingsModel after = ReadLogger(logger);
    for (const ReviewRow& row : rows) {
        const bool kept = std::find(left.begin(), left.end(), row.widget) != left.end();
        EXPECT_EQ(after.Text(row.widget), kept ? held.Text(row.widget) : row.typed) << row.widget;
    }
    EXPECT_EQ(logger.Memory()[kUnowned], 0x42);
}

TEST(SettingsReview, AHalfWriteIsRecordedFailedWithItsPagesAndIsWrittenAgain) {
    SimulatedLogger logger;
    logger.LogIn();
    const settings::SettingsModel held = ReadLogger(logger);
    settings::SettingsModel typed = held;
    typed.SetText("edt_port", "9001");
    const auto rows = ReviewChanges(held, typed);
    const WritePlan plan = PlanWrite(logger.Device().ReadPages(), held, typed, rows,
                                     std::vector<bool>(rows.size(), true), logger.Device().Codes());
    logger.Line().silentAfterReplies = 3;  // erase and write of the first page, second erase
    WriteSettingsJob write(logger.Device(), plan.pages, plan.settings);
    logger.Run(write);
    const WriteSettingsResult& half = write.Result();
    ASSERT_EQ(half.end, WriteEnd::LineEnded);
    EXPECT_TRUE(HalfWritten(half));
    const archive::AuditEntry entry = WriteEntry(plan.changes, half, held, "new server");
    EXPECT_EQ(entry.result, archive::AuditResult::Failed);
    EXPECT_EQ(entry.why,
              "the logger stopped answering; written: the numbers page; the logger "
              "now lacks the alarm, GPRS and system pages");
    EXPECT_EQ(entry.detail, "GPRS Connection setting / Port: 8000 -> 9001");
    EXPECT_EQ(
        HalfWriteMessage(half).rfind("The logger now lacks the alarm, GPRS and system pages: ", 0),
        0u);

    logger.LineBack();
    WriteSettingsJob again(logger.Device(), plan.pages, plan.settings);
    logger.Run(again);
    EXPECT_EQ(again.Result().end, WriteEnd::Verified);
    EXPECT_EQ(WriteEntry(plan.changes, again.Result(), held, "").result,
              archive::AuditResult::Verified);
}

}  // namespace
}  // namespace lgcset::jobs
