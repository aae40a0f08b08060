// `lgcset-cli audit list|verify|export`: the archive's audit trail read, checked against its
// chain of hashes, and written out as CSV or PDF for whoever reviews the changes.
#pragma once

#include <ostream>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"

namespace lgcset::cli {

int RunAudit(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
             std::ostream& err);

}  // namespace lgcset::cli
