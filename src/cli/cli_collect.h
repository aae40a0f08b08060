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

// The ports of --port and --ports-glob, each once, in the order given (a pattern's matches
// in natural order). A pattern with a '/' matches the files of its folder, others match
// the system's port names; either by the system's own pattern rules (link/port_pattern.h).
std::vector<std::string> CollectPorts(const CliOptions& options);

// The passwords to try in turn: --password when it was given, then the distinct passwords
// of --passwords FILE ("device ID,password" lines), then, without --password, the factory
// password (a logger never set up is still on it). A logger tells its device ID only after
// a login, so each password is tried until one is taken.
struct PasswordList {
    enum class Outcome { Read, Refused };
    Outcome outcome = Outcome::Read;
    std::vector<std::string> passwords;
    std::string error;  // when refused: why the file gives no passwords to try
};
PasswordList CollectPasswords(const CliOptions& options);

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
