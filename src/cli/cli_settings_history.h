// `settings-history`: the settings snapshots the archive keeps, listed, shown, compared and
// written back to the logger they were taken from.
#pragma once

#include <ostream>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"

namespace lgcset::cli {

int RunSettingsHistory(const CliOptions& options, const CliEnvironment& environment,
                       std::ostream& out, std::ostream& err);

}  // namespace lgcset::cli
