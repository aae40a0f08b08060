#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "archive/sqlite_archive.h"
#include "archive_engines.h"
#include "archive_test_data.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "data/local_time.h"
#include "pg_test_database.h"
#include "support/exact_log.h"

namespace lgcset::cli::test {
namespace {

using support::HourlyLog;

// The CSV file's record lines, sorted, without its header.
std::vector<std::string> CsvRecords(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("SAVE_CSV_"))
            continue;
        std::vector<std::string> lines;
        const std::string text = ReadText(entry.path().string());
        for (std::size_t at = text.find("\r\n") + 2; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    ADD_FAILURE() << "no CSV file in " << folder;
    return {};
}

std::string LastLine(const std::string& text) {
    const std::size_t end = text.size() - (text.ends_with('\n') ? 1 : 0);
    return text.substr(text.rfind('\n', end - 1) + 1, end - text.rfind('\n', end - 1) - 1);
}

TEST(CliArchive, TwoOverlappingHistoriesKeptOnceListedExportedAsTheirUnionAndImportedBack) {
    Logger logger(HourlyLog(200));
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    CliResult first = logger.Run({"history", "--from", "24-03-01", "--to", "24-03-06", "--out",
                                  folder.File("first"), "--archive", archive});
    ASSERT_EQ(first.status, kExitOk) << first.err;
    // 2024-03-02 05:00 to 2024-03-06 23:00.
    EXPECT_EQ(LastLine(first.out), "115 new records archived (0 already there)");
    CliResult second = logger.Run({"history", "--from", "24-03-05", "--to", "24-03-31", "--out",
                                   folder.File("second"), "--archive", archive});
    ASSERT_EQ(second.status, kExitOk) << second.err;
    EXPECT_EQ(LastLine(second.out), "85 new records archived (48 already there)");
    // The settings were not read: the device ID came from a page read on its own.
    EXPECT_EQ(first.err + second.err, "");

    CliResult list = Cli({"archive", "--archive", archive, "list"});
    ASSERT_EQ(list.status, kExitOk) << list.err;
    EXPECT_EQ(list.out,
              "000000000000000\tR481\t2024-03-02 05:00:00\t2024-03-10 12:00:00\t200\t2\n");
    list = Cli({"archive", "--archive", archive, "list", "--json"});
    EXPECT_NE(list.out.find("\"readings\": 200, \"downloads\": 2}"), std::string::npos) << list.out;

    CliResult exported =
        Cli({"archive", "--archive", archive, "export", "--device-id", "000000000000000", "--from",
             "2024-03-01", "--to", "2024-03-31", "--out", folder.File("union")});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    std::vector<std::string> union_ = CsvRecords(folder.File("first"));
    for (const std::string& line : CsvRecords(folder.File("second")))
        if (!std::binary_search(union_.begin(), union_.end(), line))
            union_.push_back(line);
    std::sort(union_.begin(), union_.end());
    EXPECT_EQ(union_.size(), 200u);
    EXPECT_EQ(CsvRecords(folder.File("union")), union_);

    // The export read back: nothing new to the same archive, everything to an empty one.
    std::string csv;
    for (const auto& entry : std::filesystem::directory_iterator(folder.File("union")))
        if (entry.path().extension() == ".csv")
            csv = entry.path().string();
    // "0" is the logger's own 000000000000000, however it is typed.
    CliResult imported = Cli({"archive", "--archive", archive, "import", "--device-id", "0",
                              "--model", "R481", csv});
    EXPECT_EQ(imported.out, "0 new records archived (200 already there)\n") << imported.err;
    imported = Cli({"archive", "--archive", folder.File("other.sqlite"), "import", "--device-id",
                    "7", "--model", "R483", csv});
    EXPECT_EQ(imported.out, "200 new records archived (0 already there)\n") << imported.err;
}

// A logger whose clock is off is said to be where its downloads are listed; one whose clock
// gives no real time is downloaded whole, its offset unknown.
TEST(CliArchive, ALoggersClockOffByMinutesIsListedAndOneWithoutTimeLeavesItUnknown) {
    const std::tm ahead = data::LocalFields(std::time(nullptr) + 312);
    struct Case {
        const char* what;
        std::array<std::uint8_t, 6> clock;
        const char* err;  // of the listing; of the download for no real time
    };
    const Case cases[] = {
        {"5 min 12 s ahead",
         {static_cast<std::uint8_t>(ahead.tm_year - 100), static_cast<std::uint8_t>(ahead.tm_mon + 1),
          static_cast<std::uint8_t>(ahead.tm_mday), static_cast<std::uint8_t>(ahead.tm_hour),
          static_cast<std::uint8_t>(ahead.tm_min), static_cast<std::uint8_t>(ahead.tm_sec)},
         "lgcset-cli: 000000000000000 (R481): the logger's clock was 5 min 1"},
        {"no real time", {24, 0, 1, 0, 0, 0}, "lgcset-cli: The logger's clock gave no real time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Options options = HourlyLog(50);
        options.clockReply = c.clock;
        Logger logger(options);
        TempFolder folder;
        const std::string archive = folder.File("archive.sqlite");
        const CliResult history = logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31",
                                              "--out", folder.File("out"), "--archive", archive});
        ASSERT_EQ(history.status, kExitOk) << history.err;
        EXPECT_EQ(LastLine(history.out), "50 new records archived (0 already there)");
        const CliResult list = Cli({"archive", "--archive", archive, "list"});
        ASSERT_EQ(list.status, kExitOk) << list.err;
        const std::string said = history.err + list.err;
        EXPECT_NE(said.find(c.err), std::string::npos) << said;
        EXPECT_EQ(said.find("ahead of this computer at the download of ") != std::string::npos,
                  c.clock[1] != 0)
            << said;
    }
}

TEST(CliArchive, AnExportOfMoreReadingsThanASheetHoldsGoesOnInASecondSheet) {
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    // 70,000 readings a minute apart from 2024-01-01 on: into the 49th day.
    std::vector<data::HistoryRecord> records(70000);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int day = static_cast<int>(i / 1440), minute = static_cast<int>(i % 1440);
        data::HistoryRecord& r = records[i];
        r.year = 24;
        r.month = static_cast<std::uint8_t>(day < 31 ? 1 : 2);
        r.day = static_cast<std::uint8_t>(day < 31 ? day + 1 : day - 30);
        r.hour = static_cast<std::uint8_t>(minute / 60);
        r.minute = static_cast<std::uint8_t>(minute % 60);
        r.sensor[0] = static_cast<double>(i % 100) / 4;
        r.sensorPresent[0] = 1;
        r.longitude = r.latitude = r.velocity = r.direction = data::kAbsentPosition;
    }
    {
        archive::OpenResult opened = archive::OpenSqliteArchive(archive, false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        archive::DownloadInfo download;
        download.logger = {"000000000000042", "R481"};
        const archive::AddResult added = opened.store->Add(download, records);
        ASSERT_TRUE(added.status.ok()) << added.status.message;
        ASSERT_EQ(added.counts.added, records.size());
    }
    const CliResult exported =
        Cli({"archive", "--archive", archive, "export", "--device-id", "42", "--from", "2024-01-01",
             "--to", "2024-02-29", "--out", folder.File("all")});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    EXPECT_TRUE(exported.out.starts_with("70000 records\n")) << exported.out;
    EXPECT_EQ(CsvRecords(folder.File("all")).size(), 70000u);
    for (const auto& entry : std::filesystem::directory_iterator(folder.File("all"))) {
        if (entry.path().extension() != ".xls")
            continue;
        // The sheets' names are Latin-1 texts in the stream; the export's own tests read
        // the sheets with real spreadsheet programs.
        const std::string workbook = ReadText(entry.path().string());
        EXPECT_NE(workbook.find("Sheet2"), std::string::npos);
        EXPECT_EQ(workbook.find("Sheet3"), std::string::npos);
    }
}

TEST(CliArchive, TheLoggerIsKnownByTheDeviceIdOfItsSystemPage) {
    Logger logger(HourlyLog(200));
    TempFolder folder;
    const std::string profile = folder.File("p.ini");
    ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    WriteText(profile, WithValue(ReadText(profile), "devid", "12345"));
    ASSERT_EQ(logger.Run({"write", "--yes", profile}).status, kExitOk);

    const std::string archive = folder.File("archive.sqlite");
    const CliResult history = logger.Run({"history", "--from", "24-03-10", "--to", "24-03-10",
                                          "--out", folder.File("out"), "--archive", archive});
    ASSERT_EQ(history.status, kExitOk) << history.err;
    const CliResult list = Cli({"archive", "--archive", archive, "list"});
    EXPECT_EQ(list.out.substr(0, list.out.find('\t', 16)), "000000000012345\tR481") << list.out;
}

TEST(CliArchive, NoArchiveKeepsNoneAndAnArchiveThatCannotBeOpenedStillLeavesTheExport) {
    Logger logger(HourlyLog(200));
    TempFolder folder;
    CliEnvironment environment;
    environment.defaultArchive = folder.path / "data" / "archive.sqlite";
    CliResult result = Cli({"--port", logger.simulator.slavePath(), "history", "--from", "24-03-09",
                            "--to", "24-03-10", "--out", folder.File("a"), "--no-archive"},
                           environment);
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path / "data"));

    // Demo mode keeps the simulated logger's last week in an archive of its own.
    char today[16], weekAgo[16];
    const std::time_t now = std::time(nullptr), before = now - 7 * 86400;
    std::strftime(today, sizeof today, "%y-%m-%d", std::localtime(&now));
    std::strftime(weekAgo, sizeof weekAgo, "%y-%m-%d", std::localtime(&before));
    result = Cli({"--demo", "history", "--from", weekAgo, "--to", today, "--out", folder.File("d")},
                 environment);
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_TRUE(LastLine(result.out).ends_with(
        " already there) in demo mode's own archive, removed when the program ends"))
        << result.out;
    EXPECT_FALSE(std::filesystem::exists(folder.path / "data"));

    // The default place has its folder made.
    result = Cli({"--port", logger.simulator.slavePath(), "history", "--from", "24-03-09", "--to",
                  "24-03-10", "--out", folder.File("b")},
                 environment);
    EXPECT_EQ(LastLine(result.out), "37 new records archived (0 already there)") << result.err;

    // A named one does not.
    const std::string missing = folder.File("nowhere/archive.sqlite");
    result = logger.Run({"history", "--from", "24-03-09", "--to", "24-03-10", "--out",
                         folder.File("c"), "--archive", missing});
    EXPECT_EQ(result.status, kExitUsage);
    const std::string why = "The archive's folder " + folder.File("nowhere") + " does not exist.";
    EXPECT_EQ(result.err, "lgcset-cli: " + why +
                              " The change was made but has no record in the audit trail.\n"
                              "lgcset-cli: " + why + "\n");
    EXPECT_EQ(CsvRecords(folder.File("c")).size(), 37u);
}

// No file of this process grows beyond `bytes` while it lives, as on a full disk: a root
// user is held to it too. A database's server is another process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : ignored_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, ignored_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    void (*ignored_)(int);
    rlimit saved_{};
};

TEST(CliArchive, AnExportThatCannotBeWrittenSaysWhyExitsTwoAndTheTransferIsArchived) {
    const archive::testing::TestDatabase team;
    if (!team.SkipReason().empty())
        GTEST_SKIP() << team.SkipReason();
    ASSERT_EQ(team.Error(), "");
    Logger logger(HourlyLog(200));
    TempFolder folder;
    CliResult result;
    {
        const FileSizeLimit full(256);
        result = logger.Run({"history", "--from", "24-03-09", "--to", "24-03-10", "--out",
                             folder.File("out"), "--archive", team.Url()});
    }
    EXPECT_EQ(result.status, kExitUsage) << result.err;
    EXPECT_NE(result.err.find("the export could not be written: cannot write"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(std::strerror(EFBIG)), std::string::npos) << result.err;
    EXPECT_EQ(LastLine(result.out), "37 new records archived (0 already there)") << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("out")));
}

TEST(CliArchive, AnArchiveThatCannotBeReadIsAFailureNotAnEmptyList) {
    Logger logger(HourlyLog(200));
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    ASSERT_EQ(logger
                  .Run({"history", "--from", "24-03-09", "--to", "24-03-10", "--out",
                        folder.File("first"), "--archive", archive})
                  .status,
              kExitOk);
    ASSERT_EQ(archive::testing::SqliteSql(archive, "ALTER TABLE readings RENAME TO away"), "");
    const CliResult list = Cli({"archive", "list", "--archive", archive});
    EXPECT_EQ(list.status, kExitUsage);
    EXPECT_EQ(list.out, "");
    EXPECT_NE(list.err.find("could not be read"), std::string::npos) << list.err;
    const CliResult exported =
        Cli({"archive", "export", "--device-id", "000000000000000", "--from", "24-03-09", "--to",
             "24-03-10", "--out", folder.File("second"), "--archive", archive});
    EXPECT_EQ(exported.status, kExitUsage);
    EXPECT_NE(exported.err.find("could not be read"), std::string::npos) << exported.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("second")));
}

// list and export only read: a missing archive stays missing, and one an older version
// wrote is left byte for byte as it was until something is archived in it.
TEST(CliArchive, ReadingCommandsMakeNoArchiveAndUpgradeNone) {
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    const std::vector<std::vector<std::string>> readings = {
        {"archive", "list", "--archive", archive},
        {"archive", "export", "--device-id", "1", "--from", "24-03-09", "--to", "24-03-10",
         "--out", folder.File("out"), "--archive", archive},
    };
    for (const auto& command : readings) {
        const CliResult r = Cli(command);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.err, "lgcset-cli: The archive " + archive + " does not exist.\n");
    }
    EXPECT_FALSE(std::filesystem::exists(archive));

    ASSERT_TRUE(archive::OpenSqliteArchive(archive, false).status.ok());
    ASSERT_EQ(archive::testing::SqliteSql(
                  archive, "UPDATE meta SET value = '1' WHERE key = 'schema_version'"),
              "");
    const std::string bytes = ReadText(archive);
    const auto written = std::filesystem::last_write_time(archive);
    for (const auto& command : readings) {
        const CliResult r = Cli(command);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_NE(r.err.find("open it for writing once to upgrade it."), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(ReadText(archive), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(archive), written);
}

// A transfer into a damaged archive is refused as such, and a copy out of one is not to be
// run again.
TEST(CliArchive, ADamagedArchiveStoresNothingAndSaysSo) {
    TempFolder folder;
    const std::string archive = folder.File("archive.sqlite");
    {
        archive::OpenResult opened = archive::OpenSqliteArchive(archive, false);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        ASSERT_TRUE(opened.store->Add(archive::Download(), archive::Readings(0, 2000)).status.ok());
    }
    ASSERT_EQ(Cli({"archive", "export", "--device-id", archive::kTruck.deviceId, "--from",
                   "24-03-01", "--to", "24-03-02", "--out", folder.File("out"), "--archive",
                   archive})
                  .status,
              kExitOk);
    std::filesystem::resize_file(archive, std::filesystem::file_size(archive) / 2);
    std::string csv;
    for (const auto& entry : std::filesystem::directory_iterator(folder.File("out")))
        if (entry.path().extension() == ".csv")
            csv = entry.path().string();
    const CliResult imported = Cli({"archive", "--archive", archive, "import", "--device-id",
                                    archive::kTruck.deviceId, "--model", "R481", csv});
    EXPECT_EQ(imported.status, kExitUsage);
    EXPECT_EQ(imported.out, "");
    EXPECT_NE(imported.err.find(" is damaged ("), std::string::npos) << imported.err;
    EXPECT_TRUE(imported.err.ends_with("): nothing was stored.\n")) << imported.err;

    const CliResult copied = Cli({"archive", "copy", "--from", archive, "--to", folder.File("b")});
    EXPECT_EQ(copied.status, kExitUsage);
    EXPECT_NE(copied.err.find(" is damaged ("), std::string::npos) << copied.err;
    EXPECT_EQ(copied.err.find("Run the copy again"), std::string::npos) << copied.err;
}

TEST(CliArchiveOptions, EachActionTakesWhatItNeedsAndNothingElse) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"archive"}, "archive needs list, export, import or copy"},
        {{"archive", "drop"}, "archive needs list, export, import or copy"},
        {{"archive", "import", "--model", "R481", "a.csv"}, "archive import needs --device-id"},
        {{"archive", "import", "--device-id", "1", "a.csv"}, "archive import needs --model"},
        {{"archive", "import", "--device-id", "1", "--model", "R481"},
         "archive import needs one CSV file"},
        {{"archive", "export", "--device-id", "1", "--from", "2024-03-01"},
         "archive export needs --from and --to"},
        {{"archive", "list", "--device-id", "1"}, "archive list takes no --device-id or --model"},
        {{"archive", "export", "--json", "--device-id", "1", "--from", "24-03-01", "--to",
          "24-03-02"},
         "archive export does not take --json"},
        {{"--demo", "history", "--from", "24-03-01", "--to", "24-03-02", "--archive", "a",
          "--no-archive"},
         "--archive and --no-archive exclude each other"},
        {{"--demo", "info", "--no-archive"}, "info does not take --no-archive"},
        {{"archive", "import", "--device-id", "0000000000000101", "--model", "R481", "a.csv"},
         "--device-id: \"0000000000000101\" is not a device ID: 16 digits, the logger keeps 15"},
        {{"archive", "export", "--device-id", "101a", "--from", "24-03-01", "--to", "24-03-02"},
         "--device-id: \"101a\" is not a device ID: up to 15 digits and nothing else"},
    };
    for (const auto& [arguments, error] : wrong)
        EXPECT_EQ(ParseCommandLine(arguments).error, error) << arguments.back();
    const CliOptions ok =
        ParseCommandLine({"archive", "import", "--device-id", "1", "--model", "R482", "f.csv"});
    EXPECT_EQ(ok.error, "");
    EXPECT_EQ(ok.csvFile, "f.csv");
}

}  // namespace
}  // namespace lgcset::cli::test
