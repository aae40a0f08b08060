// The logger a command works on: the line opened (--port or --demo), logged in to, and its
// settings pages read and kept in the settings history.
#pragma once

#include <optional>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/cli_recording.h"
#include "cli/headless_session.h"
#include "jobs/job.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

struct Connection {
    settings::SettingsModel settings;
    std::optional<HeadlessSession> session;
};

// Opens the line the options name and logs in with --password.
Outcome Connect(const CliOptions& options, const CliEnvironment& environment, Connection& c);

// A read of the settings that the line ended names the page it waited for.
Outcome ReadEnded(const HeadlessSession& session, jobs::LineEnd why, std::uint32_t page);

// The four pages into the settings.
Outcome ReadSettings(HeadlessSession& session);

// The settings as the logger holds them, kept in the settings history: the device ID is the
// one the pages just read hold.
void KeepRead(const Connection& c, CommandRecord& record);

}  // namespace lgcset::cli
