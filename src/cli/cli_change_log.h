// Where a command records what it changes: the archive --archive names, else the default
// one; none with --no-archive (or when there is no default), which the command then says.
#pragma once

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "jobs/change_log.h"

namespace lgcset::cli {

jobs::ChangeLog ChangesFor(const CliOptions& options, const CliEnvironment& environment);

}  // namespace lgcset::cli
