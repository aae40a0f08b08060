// The settings' jobs against the simulated logger, in simulated time.
#include "jobs/settings_jobs.h"

#include <gtest/gtest.h>

#include "jobs/simulated_logger.h"

namespace lgcset::jobs {
namespace {

using ReadEnd = ReadSettingsResult::End;
using WriteEnd = WriteSettingsResult::End;

std::uint16_t U16(const sim::ParameterMemory& memory, std::size_t at) {
    return static_cast<std::uint16_t>(memory[at] | memory[at + 1] << 8);
}

TEST(SettingsJobs, AWriteIsReadBackAndASettingHeldOtherwiseIsNamed) {
    SimulatedLogger logger;
    logger.LogIn();
    ReadSettingsJob read(logger.Device());
    logger.Run(read);
    ASSERT_EQ(read.Result().end, ReadEnd::Done);
    EXPECT_EQ(logger.settings.Text("edt_port"), "8000");

    logger.settings.SetText("edt_port", "9000");
    WriteSettingsJob write(logger.Device(), logger.settings);
    logger.Run(write);
    EXPECT_EQ(write.Result().end, WriteEnd::Verified);

    // Checked against other values than the ones written, the logger's differ.
    settings::SettingsModel typed = logger.settings;
    typed.SetText("edt_port", "9001");
    WriteSettingsJob checked(logger.Device(), typed);
    logger.Run(checked);
    ASSERT_EQ(checked.Result().end, WriteEnd::Differs);
    ASSERT_EQ(checked.Result().settings.size(), 1u);
    EXPECT_EQ(checked.Result().settings[0].caption, "Port");
    EXPECT_EQ(checked.Result().settings[0].left, "9000");
    EXPECT_EQ(checked.Result().settings[0].right, "9001");

    WriteSettingsJob unchecked(logger.Device());
    logger.Run(unchecked);
    EXPECT_EQ(unchecked.Result().end, WriteEnd::Written);
    EXPECT_EQ(U16(logger.Memory(), 3072 + 64), 9000);
}

TEST(SettingsJobs, AWriteRefusedByTheCheckSendsNothing) {
    SimulatedLogger logger;
    logger.LogIn();
    const std::size_t sent = logger.requestsSent;
    logger.settings.SetText("edt_port", "80a0");
    WriteSettingsJob write(logger.Device(), logger.settings);
    logger.Run(write);
    EXPECT_EQ(write.Result().end, WriteEnd::Invalid);
    EXPECT_NE(write.Result().refusal.detail.find("Port"), std::string::npos)
        << write.Result().refusal.detail;
    EXPECT_EQ(logger.requestsSent, sent);
}

// How far a read or a write came when the line ended, counted in replies after the login.
TEST(SettingsJobs, TheLineEndedSaysWhereTheJobStood) {
    struct Case {
        bool write;
        bool verify;
        int repliesBeforeLoss;  // 0: the logger falls silent instead
        LineEnd line;
        bool readingBack;
        std::uint32_t page;          // the page a read waited for
        std::size_t pagesWritten;
    };
    const Case cases[] = {
        {false, false, 0, LineEnd::Timeout, false, 1024, 0},
        {false, false, 1, LineEnd::Lost, false, 2048, 0},
        {false, false, 3, LineEnd::Lost, false, 4096, 0},
        {true, false, 3, LineEnd::Lost, false, 0, 2},  // erase, write, erase: the second went
        {true, false, 0, LineEnd::Timeout, false, 0, 0},
        {true, true, 10, LineEnd::Lost, true, 2048, 0},  // 8 of the write, closing, 1 page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "write " << c.write << ", after " << c.repliesBeforeLoss);
        SimulatedLogger logger;
        logger.LogIn();
        if (c.repliesBeforeLoss == 0)
            logger.Line().silent = true;
        else
            logger.Line().loseAfterReplies = c.repliesBeforeLoss;
        if (c.write) {
            WriteSettingsJob write(logger.Device(),
                                   c.verify ? std::optional(logger.settings) : std::nullopt);
            logger.Run(write);
            const WriteSettingsResult& r = write.Result();
            ASSERT_EQ(r.end, WriteEnd::LineEnded);
            EXPECT_EQ(r.line, c.line);
            EXPECT_EQ(r.readingBack, c.readingBack);
            EXPECT_EQ(r.readingBack ? r.page : r.pagesWritten,
                      c.readingBack ? c.page : c.pagesWritten);
        } else {
            ReadSettingsJob read(logger.Device());
            logger.Run(read);
            ASSERT_EQ(read.Result().end, ReadEnd::LineEnded);
            EXPECT_EQ(read.Result().line, c.line);
            EXPECT_EQ(read.Result().page, c.page);
        }
    }
}

TEST(SettingsJobs, AFactoryResetGoesOnlyAfterAYes) {
    for (const bool yes : {true, false}) {
        SimulatedLogger logger;
        logger.LogIn();
        logger.settings.SetText("edt_port", "9000");
        WriteSettingsJob write(logger.Device());
        logger.Run(write);
        ASSERT_EQ(write.Result().end, WriteEnd::Written);

        logger.answerYes = yes;
        FactoryResetJob reset(logger.Device());
        logger.Run(reset);
        EXPECT_EQ(reset.Result().end,
                  yes ? FactoryResetResult::End::Done : FactoryResetResult::End::NotSent);
        EXPECT_EQ(U16(logger.Memory(), 3072 + 64), yes ? 8000 : 9000);
    }
}

}  // namespace
}  // namespace lgcset::jobs
