// The write of settings as lgcset-cli makes it, for a profile (`write`) and for a kept
// snapshot (`settings-history restore`): the logger read first, every change listed, asked
// or --yes, the pages kept before the first erase, written, and recorded.
#pragma once

#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_connection.h"
#include "jobs/change_log.h"
#include "jobs/settings_jobs.h"
#include "jobs/settings_review.h"

namespace lgcset::cli {

// The change log a write records in, and the lock every user of it holds: the sessions of
// `configure` share one.
struct SharedChangeLog {
    jobs::ChangeLog& changes;
    std::mutex& mutex;
};

// How a write that was asked for ended, for its host to say.
struct SentWrite {
    bool planRefused = false;  // a value cannot be stored: nothing was sent
    jobs::WriteSettingsResult::End end = jobs::WriteSettingsResult::End::Invalid;
    bool halfWritten = false;  // stopped after its first erase (jobs::HalfWritten)
    Outcome outcome;           // the exit status and why; a half write's says what the logger lacks
    std::vector<std::string> differences;  // read back otherwise: "caption: logger .., profile .."
    std::string recordNote;                // not empty: what the record of the write could not keep
};

// The write of the chosen `rows` (every one of them) once reviewed: planned over `read`, the
// logger's pages as read (`logger` decoded from them), the pages kept "before write" ahead of
// the first erase, written (read back unless !verify), and recorded with `reason` and, when
// verified, the pages read back as "after write", in one transaction.
SentWrite SendWrite(HeadlessSession& session, const jobs::Pages& read,
                    const settings::SettingsModel& logger, const settings::SettingsView& typed,
                    const std::vector<jobs::ReviewRow>& rows, SharedChangeLog record,
                    const std::string& reason, bool verify);

// Reads the logger's settings (kept as a read snapshot), lists every change `typed` makes to
// them and, unless --dry-run, writes them once confirmed. With `kept` (a snapshot's pages),
// every byte no setting owns that differs from them is a change too; without, such bytes keep
// what the logger holds. The exit status.
int ReviewedWrite(Connection& c, const settings::SettingsModel& typed,
                  const std::optional<jobs::Pages>& kept, CommandRecord& record,
                  const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
                  std::ostream& err);

}  // namespace lgcset::cli
