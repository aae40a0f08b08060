// `collect` against several simulated loggers at once: each port's fate in the table and the
// exit status, the archive holding exactly what each logger gave, and --since-last moving
// only what is new; and the pieces it is made of: port patterns, passwords, ranges.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "cli/cli_collect.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "pg_test_database.h"
#include "support/exact_log.h"

namespace lgcset::cli::test {
namespace {

using support::HourlyLog;

CliEnvironment OnTheTenth() {
    CliEnvironment environment;
    environment.exportClock = [] { return exports::LocalTime{2024, 3, 10, 13, 0, 0}; };
    return environment;
}

// The line of `archive list` for a device ID, without the times.
std::string Listed(const std::string& archive, const std::string& deviceId) {
    const CliResult list = Cli({"archive", "--archive", archive, "list", "--json"});
    const std::size_t at = list.out.find("\"device_id\": \"" + deviceId + "\"");
    if (at == std::string::npos)
        return "not listed";
    const std::size_t readings = list.out.find("\"readings\"", at);
    return list.out.substr(readings, list.out.find('}', readings) - readings);
}

TEST(CliCollect, FourLoggersAtOnceEachArchivedOrSaidWhyAndTheWorstStatusWins) {
    TempFolder folder;
    const std::string archive = folder.File("fleet.sqlite");
    std::vector<std::unique_ptr<sim::Simulator>> loggers;
    auto start = [&](sim::Options options) {
        loggers.push_back(std::make_unique<sim::Simulator>(std::move(options)));
        std::string error;
        EXPECT_TRUE(loggers.back()->StartOnPseudoTerminal(&error)) << error;
    };
    start(HourlyLog(200, "101"));
    sim::Options secondPassword = HourlyLog(50, "102");
    secondPassword.password = "2222";
    start(secondPassword);
    // Forty-one frames into the conversation (the login, the ID page, the clock, the count,
    // then the records) the line is gone: 37 records have arrived.
    sim::Options hangsUp = HourlyLog(120, "103");
    hangsUp.faults.hangUpAfterFrames = 41;
    start(hangsUp);
    sim::Options wrongPassword = HourlyLog(10, "104");
    wrongPassword.password = "1111";
    start(wrongPassword);
    WriteText(folder.File("passwords.csv"),
              "device_id,password\r\n000000000000101,8604\r\n# spare\r\n102, 2222\r\n");

    std::vector<std::string> arguments{"collect",
                                       "--from",
                                       "24-03-01",
                                       "--to",
                                       "24-03-31",
                                       "--archive",
                                       archive,
                                       "--out",
                                       folder.File("out"),
                                       "--passwords",
                                       folder.File("passwords.csv"),
                                       "--json"};
    for (const auto& logger : loggers) {
        arguments.push_back("--port");
        arguments.push_back(logger->slavePath());
    }
    const CliResult collected = Cli(arguments, OnTheTenth());
    EXPECT_EQ(collected.status, kExitLink) << collected.out << collected.err;
    const std::string& json = collected.out;
    EXPECT_NE(json.find("\"device_id\": \"000000000000101\", \"model\": \"R481\", \"from\": "
                        "\"2024-03-01\", \"to\": \"2024-03-31\", \"received\": 200, "
                        "\"new_records\": 200, \"already_there\": 0"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"received\": 50, \"new_records\": 50"), std::string::npos) << json;
    EXPECT_NE(json.find("37 of 120 records had arrived; they were archived"), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"device_id\": \"\", \"model\": \"\", \"from\": \"\", \"to\": \"\", "
                        "\"received\": 0, \"new_records\": 0, \"already_there\": 0"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("none of the 2 passwords was taken"), std::string::npos) << json;

    EXPECT_EQ(Listed(archive, "000000000000101"), "\"readings\": 200, \"downloads\": 1");
    EXPECT_EQ(Listed(archive, "000000000000102"), "\"readings\": 50, \"downloads\": 1");
    EXPECT_EQ(Listed(archive, "000000000000103"), "\"readings\": 37, \"downloads\": 1");
    EXPECT_EQ(Listed(archive, "000000000000104"), "not listed");
    // Each whole transfer's export pair in its logger's folder, with a manifest that names
    // the logger by its ID.
    for (const std::string id : {"000000000000101", "000000000000102"}) {
        const std::filesystem::path dir = std::filesystem::path(folder.File("out")) / id;
        ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3) << dir;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() == ".json") {
                EXPECT_EQ(exports::ReadManifestFile(entry.path()).manifest.deviceId, id);
            }
        }
    }
}

TEST(CliCollect, SinceLastAsksOnlyFromTheNewestArchivedDay) {
    TempFolder folder;
    const std::string archive = folder.File("fleet.sqlite");
    Logger logger(HourlyLog(200, "7"));
    ASSERT_TRUE(logger.started);
    const auto& requests = logger.simulator.counters().framesReceived;

    // Never seen: six months back, which holds the whole log.
    const std::uint32_t start = requests;
    const CliResult first = Cli(
        {"collect", "--port", logger.simulator.slavePath(), "--since-last", "--archive", archive},
        OnTheTenth());
    ASSERT_EQ(first.status, kExitOk) << first.out << first.err;
    EXPECT_NE(first.out.find("  200  "), std::string::npos) << first.out;

    // Again: the tenth again (merged away) and nothing else.
    const std::uint32_t firstRequests = requests - start;
    const std::uint32_t before = requests;
    const CliResult second = Cli({"collect", "--port", logger.simulator.slavePath(), "--since-last",
                                  "--archive", archive, "--json"},
                                 OnTheTenth());
    ASSERT_EQ(second.status, kExitOk) << second.out << second.err;
    EXPECT_NE(second.out.find("\"from\": \"2024-03-10\", \"to\": \"2024-03-10\", \"received\": "
                              "13, \"new_records\": 0, \"already_there\": 13"),
              std::string::npos)
        << second.out;
    // The same conversation around the records, and 13 records in place of 200.
    EXPECT_EQ(requests - before, firstRequests - (200 - 13));
}

TEST(CliCollect, WhatTheQueryHadToSayReachesThePortsResult) {
    TempFolder folder;
    sim::Options options = HourlyLog(20, "8");
    options.unknownTagRecord = 3;
    Logger logger(options);
    ASSERT_TRUE(logger.started);
    const CliResult collected =
        Cli({"collect", "--port", logger.simulator.slavePath(), "--from", "24-03-01", "--to",
             "24-03-31", "--archive", folder.File("a.sqlite"), "--json"},
            OnTheTenth());
    EXPECT_EQ(collected.status, kExitOk) << collected.err;
    EXPECT_NE(collected.out.find("\"result\": \"ok; "), std::string::npos) << collected.out;
}

TEST(CliCollect, TwoCollectorsOfOneLoggerIntoPostgresAtOnceKeepEachReadingOnce) {
    archive::testing::TestDatabase team;
    if (!team.SkipReason().empty())
        GTEST_SKIP() << team.SkipReason();
    ASSERT_EQ(team.Error(), "");
    // Two technicians' cables on loggers that tell the same ID and hold the same log.
    Logger first(HourlyLog(300, "77")), second(HourlyLog(300, "77"));
    ASSERT_TRUE(first.started && second.started);
    CliResult results[2];
    {
        std::thread a([&] {
            results[0] = Cli({"collect", "--port", first.simulator.slavePath(), "--since-last",
                              "--archive", team.Url(), "--json"},
                             OnTheTenth());
        });
        std::thread b([&] {
            results[1] = Cli({"collect", "--port", second.simulator.slavePath(), "--since-last",
                              "--archive", team.Url(), "--json"},
                             OnTheTenth());
        });
        a.join();
        b.join();
    }
    // A collector that asks its range after the other has archived asks only from the day of
    // the newest reading: what the two received, beyond the log, was already there.
    std::size_t added = 0, already = 0, received = 0;
    for (const CliResult& r : results) {
        ASSERT_EQ(r.status, kExitOk) << r.out << r.err;
        const auto number = [&](const std::string& key) {
            const std::size_t at = r.out.find("\"" + key + "\": ") + key.size() + 4;
            return static_cast<std::size_t>(std::stoul(r.out.substr(at)));
        };
        added += number("new_records");
        already += number("already_there");
        received += number("received");
    }
    EXPECT_EQ(added, 300u);
    EXPECT_GE(received, 300u);
    EXPECT_EQ(already, received - 300u);
    EXPECT_EQ(Listed(team.Url(), "000000000000077"), "\"readings\": 300, \"downloads\": 2");
}

TEST(CliCollectParts, PortPatternsPasswordsRangesAndFolders) {
    TempFolder folder;
    for (const std::string name : {"logger10", "logger2", "other", "ttyUSB0", "ttyUSB3", "ttyUSB4",
                                   "ttyUSB12", "ttyACM0", ".ttyUSB1"})
        WriteText(folder.File(name), "");
    // The shell's rules: bracket expressions, '*' and '?', a leading '.' matched only by one.
    const std::vector<std::pair<std::string, std::vector<std::string>>> patterns{
        {"ttyUSB[0-3]", {"ttyUSB0", "ttyUSB3"}},
        {"ttyUSB[!0-3]", {"ttyUSB4"}},
        {"tty[AU]*0", {"ttyACM0", "ttyUSB0"}},
        {"ttyUSB?", {"ttyUSB0", "ttyUSB3", "ttyUSB4"}},
        {"ttyUSB*", {"ttyUSB0", "ttyUSB3", "ttyUSB4", "ttyUSB12"}},
        {"*USB1*", {"ttyUSB12"}},
        {".*USB*", {".ttyUSB1"}},
        {"ttyUSB[", {}},
    };
    for (const auto& [pattern, names] : patterns) {
        CliOptions options;
        options.portsGlobs = {folder.File(pattern)};
        std::vector<std::string> expected;
        for (const std::string& name : names) expected.push_back(folder.File(name));
        EXPECT_EQ(CollectPorts(options), expected) << pattern;
    }

    CliOptions options;
    options.ports = {folder.File("other")};
    options.portsGlobs = {folder.File("logger*"), folder.File("other")};
    EXPECT_EQ(CollectPorts(options),
              (std::vector<std::string>{folder.File("other"), folder.File("logger2"),
                                        folder.File("logger10")}));

    options = {};
    options.passwordsFile = folder.File("pw.csv");
    WriteText(options.passwordsFile, "1,aaaa\n2,bbbb\n3,aaaa\n");
    // A logger still on the factory password is tried with it after the file's.
    EXPECT_EQ(CollectPasswords(options).passwords,
              (std::vector<std::string>{"aaaa", "bbbb", "8604"}));
    options.password = "cccc";
    options.passwordGiven = true;
    EXPECT_EQ(CollectPasswords(options).passwords,
              (std::vector<std::string>{"cccc", "aaaa", "bbbb"}));
    WriteText(options.passwordsFile, "1,aaaa\nno comma here\n");
    EXPECT_EQ(CollectPasswords(options).error,
              "--passwords: line 2 of " + options.passwordsFile + " is not \"device ID,password\"");
    WriteText(options.passwordsFile, "101,aaaa\ntruck 7,bbbb\n");
    EXPECT_EQ(CollectPasswords(options).error,
              "--passwords: line 2 of " + options.passwordsFile +
                  ": \"truck 7\" is not a device ID: up to 15 digits and nothing else");
    WriteText(options.passwordsFile, "1,aaaa\n2,86041234\n");
    EXPECT_EQ(CollectPasswords(options).error,
              "--passwords: line 2 of " + options.passwordsFile +
                  ": the logger holds a password of at most 4 characters, not 8");
    options.passwordsFile = folder.File("missing.csv");
    const PasswordList unread = CollectPasswords(options);
    EXPECT_EQ(unread.outcome, PasswordList::Outcome::Refused);
    EXPECT_EQ(unread.error, "--passwords: cannot read " + options.passwordsFile);

    const data::CalendarDate today{2024, 8, 31};
    DayRange r = SinceLastRange(std::nullopt, today);
    EXPECT_EQ(DateText(r.from), "2024-02-29") << "six months back, on a day that month has";
    EXPECT_EQ(DateText(r.to), "2024-08-31");
    r = SinceLastRange(data::CalendarDate{2024, 8, 1}, today);
    EXPECT_EQ(DateText(r.from), "2024-08-01");
    EXPECT_FALSE(r.clamped);
    r = SinceLastRange(data::CalendarDate{2023, 12, 31}, today);
    EXPECT_EQ(DateText(r.from), "2024-02-29");
    EXPECT_TRUE(r.clamped);
    r = SinceLastRange(data::CalendarDate{2024, 9, 2}, today);  // the logger's clock ahead
    EXPECT_EQ(DateText(r.from), "2024-08-31");

    EXPECT_EQ(DeviceFolderName("000000000012345"), "000000000012345");
    EXPECT_EQ(DeviceFolderName("../x y"), ".._x_y");
    EXPECT_EQ(DeviceFolderName(".."), "_");
    EXPECT_EQ(DeviceFolderName(""), "unknown");
}

TEST(CliCollectOptions, WhatCollectNeedsAndWhatOthersRefuse) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong{
        {{"collect", "--since-last"}, "collect needs --port PATH or --ports-glob PATTERN"},
        {{"collect", "--port", "a"}, "collect needs --since-last or --from and --to"},
        {{"collect", "--port", "a", "--since-last", "--from", "24-01-01", "--to", "24-01-02"},
         "--since-last and --from/--to exclude each other"},
        {{"collect", "--port", "a", "--from", "24-02-01", "--to", "24-01-02"},
         "collect: the range ends before it starts"},
        {{"collect", "--port", "a", "--since-last", "--jobs", "0"},
         "--jobs: \"0\" is not a number of sessions 1 to 1000"},
        {{"collect", "--demo", "--since-last"},
         "collect needs --port PATH or --ports-glob PATTERN"},
        {{"info", "--port", "a", "--port", "b"}, "info takes one --port; collect and configure take several"},
        {{"history", "--port", "a", "--since-last"}, "history does not take --since-last"},
    };
    for (const auto& [arguments, error] : wrong)
        EXPECT_EQ(ParseCommandLine(arguments).error, error) << arguments.back();
    const CliOptions ok = ParseCommandLine({"collect", "--port", "a", "--port", "b", "--ports-glob",
                                            "/dev/ttyUSB*", "--jobs", "2", "--since-last"});
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.ports, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ok.jobs, 2);
}

}  // namespace
}  // namespace lgcset::cli::test
