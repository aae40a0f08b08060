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

}  // namespace
}  // namespace lgcset::cli::test
