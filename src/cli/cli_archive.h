// The archive on the command line: `archive list`, `export` and `import`, and the keeping of
// what `history` fetched.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "archive/archive_store.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "jobs/transfer_job.h"

namespace lgcset::cli {

enum class ArchiveUse { Write, Read };

// The file or database of --archive (a file's folder must exist), else the configured or
// default one (its folder made); what the opening merged is said on `notes`, a line each.
// To read, it must exist and is neither made nor upgraded.
Outcome OpenArchive(const CliOptions& options, const CliEnvironment& environment,
                    std::unique_ptr<archive::ArchiveStore>& store, std::ostream& notes,
                    ArchiveUse use = ArchiveUse::Write);

int RunArchive(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
               std::ostream& err);

// The records an ended transfer handed over and its export's files, kept in the archive
// under the device ID read from the logger before the transfer; prints "n new records
// archived (m already there)", and for demo mode's own archive that it is thrown away.
Outcome ArchiveTransfer(jobs::TransferJob& job, const std::string& deviceId,
                        const settings::SettingsModel& settings, const CliOptions& options,
                        const CliEnvironment& environment, std::ostream& out);

}  // namespace lgcset::cli
