// What a settings write leaves in the record: the pages about to be written (kept before
// the first erase), the pages read back after a verified write, and the audit row that says
// what changed and how the write ended. Pure, for every host.
#pragma once

#include <string>
#include <vector>

#include "archive/change_record.h"
#include "jobs/settings_jobs.h"
#include "jobs/settings_review.h"

namespace lgcset::jobs {

// `pages` as a snapshot of the logger whose settings `logger` shows (its device ID, model
// and firmware).
archive::SettingsSnapshot WriteSnapshot(const Pages& pages, const settings::SettingsView& logger,
                                        archive::SnapshotReason reason);

// The audit row of a write that was sent: one detail line per written setting, the result
// (Verified, Done without a read back, Failed with why) and the user's reason.
archive::AuditEntry WriteEntry(const std::vector<ReviewRow>& changes,
                               const WriteSettingsResult& result,
                               const settings::SettingsView& logger, const std::string& reason);

// A write that stopped after its first erase and before its last page was acknowledged:
// the logger may lack settings it held.
bool HalfWritten(const WriteSettingsResult& result);

// "the GPRS and system pages": the pages of the four that the logger did not acknowledge.
std::string LackingPages(const WriteSettingsResult& result);

// What the hosts say of a half write: "The logger now lacks the GPRS and system pages: ..."
std::string HalfWriteMessage(const WriteSettingsResult& result);

}  // namespace lgcset::jobs
