#include <gtest/gtest.h>

#include "archive/archive_open.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "support/settings_snapshot.h"

namespace lgcset::cli::test {
namespace {

using archive::SettingsSnapshot;
using archive::SnapshotReason;
using support::CustomerSnapshot;

// An archive file holding the snapshots given, numbered 1, 2, ... in that order.
std::string ArchiveOf(const TempFolder& folder, const std::vector<SettingsSnapshot>& snapshots) {
    const std::string file = folder.File("archive.sqlite");
    archive::OpenResult opened = archive::OpenArchive(file, false);
    EXPECT_TRUE(opened.status.ok()) << opened.status.message;
    for (const SettingsSnapshot& s : snapshots)
        EXPECT_TRUE(opened.store->AddSnapshot(s).status.ok());
    return file;
}

TEST(CliSettingsHistory, ListsShowsAndComparesTheArchivedSnapshots) {
    TempFolder folder;
    SettingsSnapshot other = CustomerSnapshot("R483", 1'772'400'000, SnapshotReason::BeforeWrite);
    other.deviceId = "000000000000101";
    SettingsSnapshot changed = CustomerSnapshot("R481", 1'772'360'200, SnapshotReason::AfterWrite);
    changed.pages.at(protocol::kGprsPage)[64] = 0x24;  // port 8996
    changed.pages.at(protocol::kGprsPage)[250] = 0x00;
    const std::string archive = ArchiveOf(folder, {CustomerSnapshot(), other, changed});
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"settings-history", "--archive", archive});
        return Cli(arguments);
    };

    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // whole, or a line of it when `line`
        bool line = false;
    };
    const std::vector<Case> cases{
        // Oldest first.
        {{"list"},
         kExitOk,
         "1\t2026-03-01 10:15:00\t000000000004711\tR481\tV3.05-R48x\tread\n"
         "3\t2026-03-01 10:16:40\t000000000004711\tR481\tV3.05-R48x\tafter write\n"
         "2\t2026-03-01 21:20:00\t000000000000101\tR483\tV3.05-R48x\tbefore write\n"},
        {{"list", "--device-id", "101", "--json"},
         kExitOk,
         "[\n  {\"id\": 2, \"at\": \"2026-03-01 21:20:00\", \"device_id\": \"000000000000101\", "
         "\"model\": \"R483\", \"firmware\": \"V3.05-R48x\", \"why\": \"before write\"}\n]\n"},
        {{"list", "--device-id", "102", "--json"}, kExitOk, "[]\n"},
        {{"show", "3"}, kExitOk, "GPRS Connection setting\tPort\t8996\t\n", true},
        {{"show", "1", "--json"},
         kExitOk,
         "  {\"group\": \"GPRS Connection setting\", \"caption\": \"Port\", \"value\": \"9001\", "
         "\"unit\": \"\"},\n",
         true},
        {{"diff", "1", "1"}, kExitOk, ""},
        {{"diff", "1", "3"}, kExitRefused, "Port\t9001\t8996\npage 3072 byte 250\t0xFF\t0x00\n"},
        {{"diff", "3", "1", "--json"},
         kExitRefused,
         "{\"settings\": [\n  {\"setting\": \"edt_port\", \"caption\": \"Port\", \"first\": "
         "\"8996\", \"second\": \"9001\"}\n],\n\"bytes\": [\n  {\"page\": 3072, \"offset\": 250, "
         "\"first\": 0, \"second\": 255}\n]}\n"},
        {{"show", "9"}, kExitUsage, ""},
    };
    for (const Case& c : cases) {
        const CliResult result = run(c.arguments);
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.line)
            EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        else
            EXPECT_EQ(result.out, c.out);
    }
    EXPECT_EQ(run({"show", "9"}).err, "lgcset-cli: the archive holds no settings snapshot 9\n");
}

// A restore writes every byte of the snapshot's pages, those no setting owns among them, and
// records itself in the archive it was read from; a snapshot that differs from the logger
// only in such a byte is a change too; a snapshot of another model never reaches the logger.
TEST(CliSettingsHistory, RestoreWritesTheSnapshotsPagesBackOnlyToItsOwnModel) {
    TempFolder folder;
    Logger logger;
    SettingsSnapshot kept = CustomerSnapshot();
    kept.pages.at(protocol::kGprsPage)[250] = 0x00;
    SettingsSnapshot byteApart = kept;
    byteApart.pages.at(protocol::kGprsPage)[250] = 0x77;
    const std::string archive = ArchiveOf(folder, {CustomerSnapshot("R483"), kept, byteApart});
    const sim::ParameterMemory factory = logger.simulator.Memory();
    sim::ParameterMemory restored = factory;
    for (const auto& [address, page] : kept.pages)
        std::copy(page.begin(), page.end(), restored.begin() + address);
    ASSERT_NE(restored, factory);
    sim::ParameterMemory restoredApart = restored;
    restoredApart[protocol::kGprsPage + 250] = 0x77;

    struct Case {
        std::vector<std::string> options;
        int status;
        std::string out;  // a part of it
        std::string err;
        const sim::ParameterMemory& memory;
    };
    const std::vector<Case> cases{
        {{"1", "--yes"},
         kExitRefused,
         "",
         "lgcset-cli: This snapshot was taken from an R483; the logger is an R481: it cannot be "
         "restored.\n",
         factory},
        {{"2", "--dry-run"},
         kExitOk,
         "GPRS Connection setting / Port: 8000 -> 9001\n",
         "",
         factory},
        {{"2", "--yes", "--reason", "back to the kept settings"},
         kExitOk,
         "\nverified\n",
         "",
         restored},
        {{"3", "--yes"},
         kExitOk,
         "GPRS page / byte 250 (no setting): 0x00 -> 0x77\nverified\n",
         "",
         restoredApart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.back());
        std::vector<std::string> line{"settings-history", "--archive", archive, "restore"};
        line.insert(line.end(), c.options.begin(), c.options.end());
        const CliResult result = logger.Run(line);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(logger.simulator.Memory(), c.memory);
    }
    // The restore keeps what it read, the pages it was about to write and those read back
    // after it, which are the snapshot's.
    std::istringstream list(Cli({"settings-history", "--archive", archive, "list"}).out);
    std::vector<std::pair<std::string, std::string>> rows;  // number, why
    for (std::string row; std::getline(list, row);)
        rows.emplace_back(row.substr(0, row.find('\t')), row.substr(row.rfind('\t') + 1));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[rows.size() - 3].second, "read");
    EXPECT_EQ(rows[rows.size() - 2].second, "before write");
    EXPECT_EQ(rows.back().second, "after write");
    EXPECT_EQ(
        Cli({"settings-history", "--archive", archive, "diff", "3", rows.back().first}).status,
        kExitOk);
}

}  // namespace
}  // namespace lgcset::cli::test
