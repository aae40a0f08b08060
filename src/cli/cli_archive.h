// The archive on the command line: `archive list`, `export` and `import`, and the keeping of
// what `history` fetched.
#pragma once

#include <memory>
#include <ostream>
#include <span>
#include <string>

#include "archive/archive_store.h"
#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/headless_session.h"
#include "data/history_record.h"
#include "export/history_export.h"

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

// A whole transfer and its export (the files' names only when it was saved), kept in the
// archive under the device ID read from the logger before the transfer; prints "n new
// records archived (m already there)", and for demo mode's own archive that it is thrown
// away.
Outcome ArchiveTransfer(const std::string& deviceId, const settings::SettingsModel& settings,
                        const CliOptions& options, const CliEnvironment& environment,
                        std::span<const data::HistoryRecord> records,
                        const exports::ExportResult& exported, std::ostream& out);

}  // namespace lgcset::cli
