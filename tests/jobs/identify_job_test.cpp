#include "jobs/identify_job.h"

#include <gtest/gtest.h>

#include "simulated_logger.h"
#include "support/exact_log.h"

namespace lgcset::jobs {
namespace {

TEST(LoginJobTest, ALoginNamesTheLoggerOrEndsRefused) {
    struct Case {
        const char* password;
        LoginResult::End end;
        std::string model, firmware;
        std::optional<settings::ChannelLayout> layout;
    };
    const Case cases[] = {
        {"8604", LoginResult::End::Done, "R483", "V3.05-R48x", settings::ChannelLayout::FourAnalog},
        {"0000", LoginResult::End::Refused, "", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        sim::Options logger;
        logger.model = "R483";
        SimulatedLogger host(logger);
        host.settings.SetText("edt_setpwd", c.password);
        LoginJob login(host.Device());
        host.Run(login);
        EXPECT_EQ(login.Result().end, c.end);
        EXPECT_EQ(login.Result().model, c.model);
        EXPECT_EQ(login.Result().firmware, c.firmware);
        EXPECT_EQ(login.Result().layout, c.layout);
    }
}

TEST(DeviceIdJobTest, TheSystemPageComesBackAsAnyReplyAndLeavesTheSettingsAlone) {
    SimulatedLogger host(support::HourlyLog(10, "101"));
    LoginJob login(host.Device());
    host.Run(login);
    ASSERT_EQ(login.Result().end, LoginResult::End::Done);
    const std::size_t reports = host.reports;

    DeviceIdJob read(host.Device());
    host.Run(read);
    EXPECT_EQ(read.Result().end, DeviceIdResult::End::Read);
    EXPECT_EQ(read.Result().deviceId, "000000000000101");
    // Not taken for a settings read: nothing reported, nothing decoded into the settings.
    EXPECT_EQ(host.reports, reports);
    EXPECT_EQ(host.settings.Text("edt_id"), "");
    EXPECT_TRUE(host.Device().ReadPages().empty());

    // A logger that stops answering ends the read with the line.
    host.Line().silent = true;
    host.Run(read);
    EXPECT_EQ(read.Result().end, DeviceIdResult::End::LineEnded);
    EXPECT_EQ(read.Result().line, LineEnd::Timeout);
    EXPECT_EQ(read.Result().deviceId, "");
}

}  // namespace
}  // namespace lgcset::jobs
