// `configure` against four simulated loggers at once, judged from the simulators' side: what
// each one's memory holds afterwards, and which erase and write requests reached it; and the
// files refused before any port is opened.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "archive/archive_open.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "jobs/settings_history.h"
#include "jobs/settings_review.h"
#include "profiles/fleet_template.h"
#include "profiles/ini_file.h"
#include "settings/parameter_image.h"

namespace lgcset::cli::test {
namespace {

// The settings the simulator's memory holds, decoded as a read decodes them.
settings::SettingsModel HeldBy(const sim::Simulator& simulator) {
    archive::SettingsSnapshot pages;
    pages.model = "R481";
    pages.firmware = "V3.05-R48x";
    const sim::ParameterMemory memory = simulator.Memory();
    for (const std::uint32_t address : settings::kSettingsPages)
        pages.pages[address] = {memory.begin() + address, memory.begin() + address + 256};
    settings::SettingsModel held;
    jobs::DecodeSnapshot(pages, held);
    return held;
}

// A logger with its own device ID that counts the erase and write requests it takes.
struct CountedLogger {
    explicit CountedLogger(const std::string& id) {
        sim::Options options;
        options.deviceId = id;
        options.trace = true;
        options.traceSink = [count = erasesAndWrites](const std::string& line) {
            if (line.find(" RX ") != std::string::npos &&
                (line.ends_with("(cmd 0x10)") || line.ends_with("(cmd 0x12)")))
                ++*count;
        };
        logger = std::make_unique<Logger>(options);
    }
    std::shared_ptr<std::atomic<int>> erasesAndWrites = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<Logger> logger;
};

// The part of the JSON report about the logger of that device ID.
std::string ReportOf(const std::string& json, const std::string& id) {
    const std::size_t at = json.find("\"device_id\": \"00000000000010" + id + "\"");
    if (at == std::string::npos)
        return "not listed";
    return json.substr(at, json.find("{\"port\"", at) - at);
}

std::size_t ChangesIn(const std::string& report) {
    std::size_t count = 0;
    for (std::size_t at = report.find("{\"group\""); at != std::string::npos;
         at = report.find("{\"group\"", at + 1))
        ++count;
    return count;
}

TEST(CliConfigure, EachLoggerGetsTheTemplateWithItsRowAndASecondRunMendsOnlyWhatFailed) {
    TempFolder folder;
    std::vector<CountedLogger> fleet;
    for (const std::string id : {"101", "102", "103", "104"}) fleet.emplace_back(id);
    ASSERT_EQ(fleet[0].logger->Run({"read", "--no-archive", folder.File("read.ini")}).status,
              kExitOk);
    std::string text = ReadText(folder.File("read.ini"));
    for (const auto& [key, value] :
         {std::pair{"tel1", "${alarm_sms}"}, {"ip1", "lgc.example.com"}, {"port", "9001"}})
        text = WithValue(text, key, value);
    const std::string templateFile = folder.File("fleet.ini"), values = folder.File("loggers.csv");
    WriteText(templateFile, text);
    // 102's log interval does not fit the logger's byte; 104 has no row.
    const std::string rows =
        "device_id,alarm_sms,rectime\r\n101,+4915112345678,10\r\n102,+4915199999999,300\r\n"
        "103,+4915100000003,15\r\n";
    WriteText(values, rows);
    const std::string archive = folder.File("archive.sqlite");
    std::vector<std::string> line{"configure", "--template", templateFile, "--values",
                                  values,      "--archive",  archive,      "--json"};
    for (const CountedLogger& l : fleet)
        line.insert(line.end(), {"--port", l.logger->simulator.slavePath()});

    // What each logger should hold: its own settings with the template and its row over them.
    const profiles::IniFile parsedTemplate = profiles::IniFile::FromBytes(text);
    std::string error;
    const auto parsedValues = profiles::ReadValuesFile(rows, error);
    ASSERT_TRUE(parsedValues) << error;
    std::vector<sim::ParameterMemory> before;
    std::vector<settings::SettingsModel> targets;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        before.push_back(fleet[i].logger->simulator.Memory());
        targets.push_back(HeldBy(fleet[i].logger->simulator));
        if (const auto row = profiles::RowFor(*parsedValues, std::to_string(101 + i), ""))
            profiles::ApplyLoggerProfile(
                profiles::ProfileForLogger(parsedTemplate, &*parsedValues, row), targets[i]);
    }

    line.push_back("--dry-run");
    const CliResult dry = Cli(line);
    line.pop_back();
    EXPECT_EQ(dry.status, kExitRefused) << dry.err;
    EXPECT_NE(ReportOf(dry.out, "1").find("\"result\": \"would change\""), std::string::npos)
        << dry.out;
    EXPECT_EQ(ChangesIn(ReportOf(dry.out, "1")), 4u) << dry.out;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        EXPECT_EQ(*fleet[i].erasesAndWrites, 0) << i;
        EXPECT_EQ(fleet[i].logger->simulator.Memory(), before[i]) << i;
    }

    // 103's line goes dead after the login, its device ID, the four reads and the first page
    // erased and written; it comes back for the second run.
    fleet[2].logger->simulator.AnswerOnly(8);
    const CliResult first = Cli(line);
    fleet[2].logger->simulator.AnswerAll();
    EXPECT_EQ(first.status, kExitLink) << first.err;
    const struct {
        const char* result;
        const char* why;  // a part of it
    } expected[] = {
        {"verified", "\"why\": \"\""},
        {"refused", "Log interval timer: 300 does not fit; the logger holds 0 to 255."},
        {"line lost", "The logger now lacks the alarm, GPRS and system pages"},
        {"not in the values file", "\"changes\": []"},
    };
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        const std::string report = ReportOf(first.out, std::to_string(i + 1));
        EXPECT_NE(report.find("\"result\": \"" + std::string(expected[i].result) + "\""),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find(expected[i].why), std::string::npos) << report;
    }
    EXPECT_EQ(jobs::ReviewChanges(HeldBy(fleet[0].logger->simulator), targets[0]).size(), 0u);
    for (const std::size_t untouched : {1, 3}) {
        EXPECT_EQ(*fleet[untouched].erasesAndWrites, 0) << untouched;
        EXPECT_EQ(fleet[untouched].logger->simulator.Memory(), before[untouched]) << untouched;
    }

    // Again: only 103 is written, and only what it still lacks.
    const std::size_t lacking =
        jobs::ReviewChanges(HeldBy(fleet[2].logger->simulator), targets[2]).size();
    const int firstWrites = *fleet[0].erasesAndWrites;
    line.push_back("--only-changed");
    const CliResult second = Cli(line);
    EXPECT_EQ(second.status, kExitRefused) << second.err;
    EXPECT_EQ(ReportOf(second.out, "1"), "not listed") << second.out;
    EXPECT_EQ(*fleet[0].erasesAndWrites, firstWrites);
    const std::string mended = ReportOf(second.out, "3");
    EXPECT_NE(mended.find("\"result\": \"verified\""), std::string::npos) << mended;
    EXPECT_EQ(ChangesIn(mended), lacking) << mended;
    EXPECT_EQ(jobs::ReviewChanges(HeldBy(fleet[2].logger->simulator), targets[2]).size(), 0u);

    // Each write, the failed one too, left its row in the audit trail.
    archive::OpenResult opened = archive::OpenArchive(archive, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    std::vector<std::pair<std::string, archive::AuditResult>> trail;
    for (const archive::AuditRow& row : opened.store->AuditTrail({}).rows)
        trail.emplace_back(row.entry.deviceId, row.entry.result);
    std::sort(trail.begin(), trail.end());
    EXPECT_EQ(trail, (std::vector<std::pair<std::string, archive::AuditResult>>{
                         {"000000000000101", archive::AuditResult::Verified},
                         {"000000000000103", archive::AuditResult::Verified},
                         {"000000000000103", archive::AuditResult::Failed}}));
}

TEST(CliConfigure, EachEndOfAWriteHasItsResultStatusAndRecord) {
    TempFolder folder;
    sim::Options refusing;
    refusing.deviceId = "101";
    refusing.refuseEraseOf = 2048;  // after the numbers page went
    sim::Options own;
    own.deviceId = "104";
    const struct {
        const char* name;
        sim::Options logger;
        std::vector<std::string> options;
        int status;
        std::string row;  // a part of the table's row of the logger
        std::string err;
    } cases[] = {
        {"another logger's row, its own ID kept",
         own,
         {"--default-row", "101", "--no-archive"},
         kExitOk,
         "000000000000104  R481   verified  1",
         "lgcset-cli: No record was kept: this run has no archive.\n"},
        {"refused half way",
         refusing,
         {"--no-archive"},
         kExitRefused,
         "refused  1        The logger now lacks the alarm, GPRS and system pages",
         "lgcset-cli: No record was kept: this run has no archive.\n"},
        {"not read back", own, {"--default-row", "101", "--no-verify"}, kExitOk, "written  1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Logger logger(c.logger);
        const std::string templateFile = folder.File("t.ini"), values = folder.File("v.csv");
        ASSERT_EQ(logger.Run({"read", "--no-archive", templateFile}).status, kExitOk);
        const std::string text = WithValue(ReadText(templateFile), "tel1", "${alarm_sms}");
        WriteText(templateFile, text);
        WriteText(values, "device_id,alarm_sms\n101,+49151\n");
        settings::SettingsModel target = HeldBy(logger.simulator);
        std::string error;
        const auto parsed = profiles::ReadValuesFile(ReadText(values), error);
        profiles::ApplyLoggerProfile(
            profiles::ProfileForLogger(profiles::IniFile::FromBytes(text), &*parsed, 0), target);

        std::vector<std::string> line{"configure", "--template", templateFile,           "--values",
                                      values,      "--archive",  folder.File("a.sqlite")};
        if (c.options.back() == "--no-archive")
            line.resize(line.size() - 2);
        line.insert(line.end(), c.options.begin(), c.options.end());
        const CliResult result = logger.Run(line);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.out.find(c.row), std::string::npos) << result.out;
        EXPECT_EQ(result.err, c.err);
        if (c.status == kExitOk) {
            EXPECT_EQ(jobs::ReviewChanges(HeldBy(logger.simulator), target).size(), 0u);
            EXPECT_EQ(HeldBy(logger.simulator).Text(settings::Setting::DeviceId),
                      "000000000000" + c.logger.deviceId);
        }
    }
}

TEST(CliConfigure, FilesThatDoNotGoTogetherAreRefusedBeforeAnyPortIsOpened) {
    TempFolder folder;
    Logger logger;
    ASSERT_EQ(logger.Run({"read", "--no-archive", folder.File("read.ini")}).status, kExitOk);
    const std::string profile = ReadText(folder.File("read.ini"));
    WriteText(folder.File("t.ini"), WithValue(profile, "tel1", "${alarm_sms}"));
    WriteText(folder.File("plain.ini"), profile);
    WriteText(folder.File("none.ini"), "[Other]\nkey=1\n");
    WriteText(folder.File("sm.csv"), "device_id,alarm_sm\n101,+49151\n");
    WriteText(folder.File("short.csv"), "device_id,alarm_sms\n101,+49151\n102\n");
    WriteText(folder.File("good.csv"), "device_id,alarm_sms\n101,+49151\n");
    const std::string port = logger.simulator.slavePath();
    const struct {
        std::vector<std::string> line;
        std::string err;
    } cases[] = {
        {{"--template", "t.ini", "--values", "sm.csv", "--port", port},
         "the template t.ini uses ${alarm_sms}, which sm.csv has no column for; sm.csv has the "
         "column alarm_sm, which is neither a name the template uses nor a profile key"},
        {{"--template", "t.ini", "--values", "short.csv", "--port", port},
         "short.csv: line 3 has 1 field; the header names 2"},
        {{"--template", "t.ini", "--values", "missing.csv", "--port", port},
         "missing.csv: no such file"},
        {{"--template", "t.ini", "--port", port},
         "the template t.ini uses ${alarm_sms}, which only a values file can give"},
        {{"--template", "t.ini", "--values", "good.csv", "--default-row", "7", "--port", port},
         "--default-row: good.csv has no row of 000000000000007"},
        {{"--template", "missing.ini", "--port", port},
         "cannot read the profile missing.ini: no such file"},
        {{"--template", "none.ini", "--port", port}, "none.ini holds no settings of this program."},
        {{"--template", "plain.ini", "--ports-glob", folder.File("tty*")},
         "configure: no port matches"},
    };
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    for (const auto& c : cases) {
        std::vector<std::string> line{"configure", "--no-archive"};
        line.insert(line.end(), c.line.begin(), c.line.end());
        const CliResult refused = Cli(line);
        EXPECT_EQ(refused.status, kExitUsage) << c.err;
        EXPECT_EQ(refused.err, "lgcset-cli: " + c.err + "\n");
    }
    std::filesystem::current_path(here);
    // The login and four pages of the read above, nothing since.
    EXPECT_EQ(logger.simulator.counters().framesReceived, 5u);
}

}  // namespace
}  // namespace lgcset::cli::test
