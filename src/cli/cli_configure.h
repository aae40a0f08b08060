// `configure`: one template written to many loggers at once, each with its own row of a values
// file, one session per port as collect runs them; each logger is read, only what differs is
// written through the path `write` takes, and a table says what became of each.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "jobs/settings_review.h"

namespace lgcset::cli {

// What became of one port's logger.
struct LoggerConfiguration {
    std::string port;
    std::string deviceId, model;  // empty until learned
    std::string result;           // "verified", "unchanged", "line lost", ... (kResult*)
    int status = 0;               // as the program's exit statuses
    std::string why;              // the first reason of a failure, or what the record lacks
    std::vector<jobs::ReviewRow> changes;  // to make, made, or tried
};

inline constexpr const char* kResultVerified = "verified";
inline constexpr const char* kResultWritten = "written";
inline constexpr const char* kResultUnchanged = "unchanged";
inline constexpr const char* kResultWouldChange = "would change";
inline constexpr const char* kResultRefused = "refused";
inline constexpr const char* kResultDiffers = "differs";
inline constexpr const char* kResultLineLost = "line lost";
inline constexpr const char* kResultNotInValues = "not in the values file";
inline constexpr const char* kResultFailed = "failed";

int RunConfigure(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
                 std::ostream& err);

// The report as a table (port, device ID, model, result, changes, why) and as JSON with every
// change; `onlyChanged` leaves the unchanged loggers out.
std::string ConfigureTable(const std::vector<LoggerConfiguration>& loggers, bool onlyChanged);
std::string ConfigureJson(const std::vector<LoggerConfiguration>& loggers, bool onlyChanged);

}  // namespace lgcset::cli
