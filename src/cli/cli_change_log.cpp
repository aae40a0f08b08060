#include "cli/cli_change_log.h"

namespace lgcset::cli {

jobs::ChangeLog ChangesFor(const CliOptions& options, const CliEnvironment& environment) {
    if (options.noArchive)
        return {};
    if (!options.archive.empty())
        return {options.archive, false, jobs::CurrentOperator()};
    if (environment.defaultArchive)
        return {environment.defaultArchive->string(), true, jobs::CurrentOperator()};
    return {};
}

}  // namespace lgcset::cli
