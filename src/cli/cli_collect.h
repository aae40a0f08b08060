// `collect`: many loggers at once, one session per port, each logged in, known by its device
// ID, its history fetched and kept in the archive; a line per port while it runs and a
// table of what became of each port at the end.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_fleet.h"
#include "cli/cli_options.h"
#include "data/calendar.h"

namespace lgcset::cli {

// What became of one port.
struct PortCollection {
    std::string port;
    std::string deviceId, model;  // empty until learned
    std::string from, to;         // the range asked, "YYYY-MM-DD"
    std::size_t received = 0;     // records that arrived
    std::size_t added = 0, alreadyThere = 0;
    double seconds = 0;
    int status = 0;     // as the other commands' exit statuses; 0 (kExitOk): it succeeded
    std::string error;  // what went wrong, said when the status is not 0
    std::string note;   // what the user should know of a port that succeeded all the same
};

// --since-last: from the day of the newest archived reading (nothing: never seen) to
// `today`; a logger never seen, or last seen more than six months ago, over six months.
struct DayRange {
    data::CalendarDate from, to;
    bool clamped = false;  // the newest archived reading lies further back than one query asks
};
DayRange SinceLastRange(std::optional<data::CalendarDate> newest, const data::CalendarDate& today);

// A device ID as a folder name: characters other than letters, digits, '-', '_' and '.'
// become '_', and an empty one is "unknown".
std::string DeviceFolderName(const std::string& deviceId);

int RunCollect(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
               std::ostream& err);

// The summary as a table and as JSON.
std::string CollectTable(const std::vector<PortCollection>& ports);
std::string CollectJson(const std::vector<PortCollection>& ports);

}  // namespace lgcset::cli
