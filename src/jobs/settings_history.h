// The settings snapshots the archive keeps, as the user reads them: a snapshot's settings,
// the difference between two, and whether one may be restored to the logger logged in to.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/change_record.h"
#include "jobs/settings_jobs.h"
#include "settings/settings_diff.h"
#include "settings/settings_model.h"

namespace lgcset::jobs {

// The login reply a logger of that model and firmware gives: the channel layout follows
// from it as it does after a real login.
std::vector<std::uint8_t> LoginReplyOf(const std::string& model, const std::string& firmware);

// The snapshot's pages as a session holds pages read (a page of another size is left out
// and decodes as erased).
std::map<std::uint32_t, Page> SnapshotPages(const archive::SettingsSnapshot& snapshot);

// The snapshot's settings, decoded as a read after a login to its model decodes them.
void DecodeSnapshot(const archive::SettingsSnapshot& snapshot, settings::SettingsModel& model);

// One setting as a profile holds it.
struct SnapshotSetting {
    std::string group;    // the group box's caption ("GPRS", "Alarm parameters setting1")
    std::string caption;  // as a difference names it
    std::string value;
    std::string unit;
};

// Every setting a profile holds, in the order of the settings table.
std::vector<SnapshotSetting> SnapshotSettings(const archive::SettingsSnapshot& snapshot);

// A byte of the pages that no setting owns, as two snapshots hold it.
struct UnownedByte {
    std::uint32_t page = 0;
    std::size_t offset = 0;
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};

struct SnapshotDifference {
    std::vector<settings::SettingDifference> settings;  // left: first, right: second
    std::vector<UnownedByte> bytes;
    bool None() const { return settings.empty() && bytes.empty(); }
};

// What the second snapshot holds otherwise than the first: each stored setting as the user
// sees it, and each byte that no setting owns (a missing page counts as erased).
SnapshotDifference DiffSnapshots(const archive::SettingsSnapshot& first,
                                 const archive::SettingsSnapshot& second);

// Nothing when the snapshot may be written to a logger of `loggerModel`, else the sentence
// that refuses it: another model's pages place their settings otherwise.
std::optional<std::string> RestoreRefusal(const archive::SettingsSnapshot& snapshot,
                                          const std::string& loggerModel);

// "2026-03-01 10:15:00" (UTC) of seconds since 1970.
std::string UtcText(std::int64_t at);

}  // namespace lgcset::jobs
