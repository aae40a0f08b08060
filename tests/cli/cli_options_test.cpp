// The command line alone: what is refused as wrong usage before any port is opened, what is
// understood, and the help texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "cli_support.h"

namespace lgcset::cli {
namespace {

TEST(CliOptions, WrongUsageIsRefusedWithStatusTwoBeforeAnyPortIsOpened) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"--demo", "info", "extra"},
        {"--demo", "read"},
        {"--demo", "write", "a.ini", "b.ini"},
        {"--demo", "read", "--json", "p.ini"},         // --json is not for read
        {"--demo", "info", "--yes"},                   // --yes belongs to factory-reset
        {"--demo", "factory-reset"},                   // not confirmed
        {"--port", "/dev/ttyUSB0", "--demo", "info"},  // two loggers
        {"info"},                                      // no logger at all
        {"--port"},                                    // option without its value
        {"--demo", "history", "--from", "24-01-01"},   // no end of the range
        {"--demo", "history", "--from", "24-02-30", "--to", "24-03-01"},
        {"--demo", "history", "--from", "2024-1-1", "--to", "24-03-01"},
        {"--demo", "clock", "--set", "tomorrow"},
        {"--demo", "clock", "--set", "2024-13-01 10:00:00"},
        {"--demo", "relay"},
        {"--demo", "relay", "--nc", "10000"},  // the window's box holds four digits
        {"--demo", "relay", "--nc", "-1"},
        {"--demo", "relay", "--pulse", "1", "2"},
        {"--demo", "relay", "--pulse", "1", "2", "256"},  // one byte on the wire
        {"--demo", "relay", "--nc", "5", "--stop"},
        {"--demo", "--bogus", "info"},
        {"--demo", "R489", "info"},
        // Two-digit years on the wire: 1999 would be set as 2099, 2100 as 2000.
        {"--demo", "clock", "--set", "1999-12-31 23:59:59"},
        {"--demo", "clock", "--set", "2100-01-01 00:00:00"},
        {"--demo", "history", "--from", "1999-12-01", "--to", "2000-01-01"},
        // Ranges that end before they start, by a day and across the turn of the century.
        {"--demo", "history", "--from", "24-03-10", "--to", "24-03-09"},
        {"--demo", "history", "--from", "99-12-01", "--to", "00-01-01"},
        {"--demo", "history", "--from", "24-03-01", "--to", "24-03-31", "--keep-partial", "x"},
        {"--demo", "info", "--keep-partial"},
        {"report"},  // no file
        {"report", "a.csv", "b.csv"},
        {"report", "--model", "R489", "a.csv"},
        {"report", "a.csv", "--profile"},
        {"--demo", "info", "--profile", "p.ini"},  // --profile belongs to report
        {"--demo", "info", "--model", "R481"},
        {"--demo", "--password", "86041234", "info"},  // would log in as 8604
    };
    for (const auto& arguments : wrong) {
        std::string line;
        for (const auto& a : arguments) line += a + " ";
        const test::CliResult result = test::Cli(arguments);
        EXPECT_EQ(result.status, kExitUsage) << line;
        // One line, as every failure.
        EXPECT_EQ(result.err.rfind("lgcset-cli: ", 0), 0u) << line << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(result.out.empty()) << line;
    }
}

TEST(CliOptions, RefusalsSayWhatIsRefusedAndTheEdgesOfEachRangePass) {
    const auto error = [](std::vector<std::string> arguments) {
        return ParseCommandLine(arguments).error;
    };
    EXPECT_EQ(test::Cli({"--demo", "R489", "info"}).err,
              "lgcset-cli: unknown model R489 (R480 to R483); see lgcset-cli --help\n");
    EXPECT_EQ(error({"--demo", "history", "--from", "24-03-10", "--to", "24-03-09"}),
              "history: the range ends before it starts (--to 2024-03-09 is before --from "
              "2024-03-10)");
    EXPECT_EQ(error({"--demo", "clock", "--set", "1999-12-31 23:59:59"}),
              "--set: the logger keeps two-digit years, 2000 to 2099; 1999 cannot be given to it");
    EXPECT_EQ(error({"--demo", "--password", "12345", "info"}),
              "--password: the logger holds a password of at most 4 characters, not 5");
    EXPECT_EQ(error({"--demo", "--password", "1234", "info"}), "");
    // The example is this system's kind of port name: "COM3" is no help on Linux.
    EXPECT_EQ(error({"info", "--port"}), "--port needs a port (such as /dev/ttyUSB0)");

    EXPECT_EQ(error({"--demo", "clock", "--set", "2000-01-01 00:00:00"}), "");
    EXPECT_EQ(error({"--demo", "clock", "--set", "2099-12-31 23:59:59"}), "");
    EXPECT_EQ(error({"--demo", "history", "--from", "24-03-10", "--to", "24-03-10"}), "");
    const CliOptions o = ParseCommandLine(
        {"--demo", "history", "--keep-partial", "--from", "24-03-10", "--to", "24-03-11"});
    EXPECT_TRUE(o.keepPartial);
    EXPECT_EQ(ParseCommandLine({"--demo", "relay", "--nc", "9999"}).relaySeconds, 9999);
}

TEST(CliOptions, UnderstandsTheConnectionAndTheCommandArgumentsInAnyOrder) {
    CliOptions o = ParseCommandLine(
        {"relay", "--pulse", "1", "65535", "255", "--demo", "R482", "--password", "1234"});
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_TRUE(o.demo);
    EXPECT_EQ(o.demoModel, "R482");
    EXPECT_EQ(o.password, "1234");
    EXPECT_EQ(o.relay, RelayMode::Pulse);
    EXPECT_EQ(o.onSeconds, 1);
    EXPECT_EQ(o.offSeconds, 65535);
    EXPECT_EQ(o.repeat, 255);

    // --demo without a model keeps the default and leaves the next word as the command.
    o = ParseCommandLine({"--demo", "history", "--from", "99-12-01", "--to", "2099-12-31"});
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.demoModel, "R481");
    EXPECT_EQ(o.from->year, 2099);
    EXPECT_EQ(o.to->year, 2099);
    EXPECT_FALSE(o.keepPartial);

    o = ParseCommandLine({"--port", "/dev/ttyUSB3", "clock", "--set", "2024-02-29 23:59:59"});
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.port, "/dev/ttyUSB3");
    EXPECT_TRUE(o.setClock);
    EXPECT_FALSE(o.setClockNow);
    EXPECT_EQ(o.clockValue.date.day, 29);
    EXPECT_EQ(o.clockValue.time.second, 59);

    // ports and report need no logger.
    EXPECT_TRUE(ParseCommandLine({"ports"}).error.empty());
    o = ParseCommandLine({"--profile", "p.ini", "report", "log.csv", "--model", "R482", "--json"});
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.command, "report");
    EXPECT_EQ(o.csvFile, "log.csv");
    EXPECT_EQ(o.profile, "p.ini");
    EXPECT_EQ(o.model, "R482");
    EXPECT_TRUE(o.json);
}

TEST(CliOptions, DatesAreRealCalendarDates) {
    EXPECT_TRUE(ParseDate("24-02-29"));
    EXPECT_FALSE(ParseDate("23-02-29"));
    EXPECT_FALSE(ParseDate("2100-02-29"));
    EXPECT_TRUE(ParseDate("2000-02-29"));
    EXPECT_FALSE(ParseDate("24-04-31"));
    EXPECT_FALSE(ParseDate("24-00-10"));
    EXPECT_FALSE(ParseDate("24-01-01x"));
    EXPECT_FALSE(ParseDate("24-01"));
    EXPECT_FALSE(ParseDateTime("2024-01-01 24:00:00"));
    EXPECT_FALSE(ParseDateTime("2024-01-01 -1:00:00"));  // a sign is no digit
    EXPECT_FALSE(ParseDate("-001-01-01"));
    EXPECT_FALSE(ParseDate("24-+1-01"));
    EXPECT_FALSE(ParseDateTime("2024-01-01"));
    EXPECT_TRUE(ParseDateTime("2024-01-01 00:00:00"));
}

TEST(CliOptions, HelpForTheProgramAndForEachCommand) {
    const test::CliResult program = test::Cli({"--help"});
    EXPECT_EQ(program.status, kExitOk);
    for (const char* command : {"ports", "info", "read", "write", "diff", "history", "clock",
                                "current", "relay", "factory-reset", "report"}) {
        EXPECT_NE(program.out.find(std::string("  ") + command), std::string::npos) << command;
        const test::CliResult own = test::Cli({command, "--help"});
        EXPECT_EQ(own.status, kExitOk) << command;
        EXPECT_EQ(own.out, test::Cli({"help", command}).out) << command;
        // Only the commands that work on a logger offer to name one.
        const bool logger = std::string(command) != "ports" && std::string(command) != "report";
        const std::string usage = logger ? "] " : "Usage: lgcset-cli ";
        EXPECT_NE(own.out.find(usage + command), std::string::npos) << own.out;
        EXPECT_EQ(own.out.find("--port") != std::string::npos, logger) << own.out;
    }
    EXPECT_EQ(test::Cli({"help", "frobnicate"}).status, kExitUsage);
}

TEST(CliOptions, VersionIsPrintedInsteadOfRunningAnyCommand) {
    const test::CliResult alone = test::Cli({"--version"});
    EXPECT_EQ(alone.status, kExitOk);
    EXPECT_EQ(alone.out, VersionText());
    EXPECT_TRUE(alone.out.starts_with("lgcset-cli ")) << alone.out;
    // With a command: no port is opened, nothing is written.
    const test::CliResult command = test::Cli({"--port", "/nonexistent/tty", "--version", "info"});
    EXPECT_EQ(command.status, kExitOk);
    EXPECT_EQ(command.out, alone.out);
    EXPECT_EQ(command.err, "");
    EXPECT_NE(test::Cli({"--help"}).out.find("--version"), std::string::npos);
    EXPECT_EQ(test::Cli({"--version", "--frobnicate"}).status, kExitUsage);
}

}  // namespace
}  // namespace lgcset::cli
