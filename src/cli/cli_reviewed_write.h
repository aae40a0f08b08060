// The write of settings as lgcset-cli makes it, for a profile (`write`) and for a kept
// snapshot (`settings-history restore`): the logger read first, every change listed, asked
// or --yes, the pages kept before the first erase, written, and recorded.
#pragma once

#include <optional>
#include <ostream>

#include "cli/cli_connection.h"
#include "jobs/settings_review.h"

namespace lgcset::cli {

// Reads the logger's settings (kept as a read snapshot), lists every change `typed` makes to
// them and, unless --dry-run, writes them once confirmed. With `kept` (a snapshot's pages),
// every byte no setting owns that differs from them is a change too; without, such bytes keep
// what the logger holds. The exit status.
int ReviewedWrite(Connection& c, const settings::SettingsModel& typed,
                  const std::optional<jobs::Pages>& kept, CommandRecord& record,
                  const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
                  std::ostream& err);

}  // namespace lgcset::cli
