// Whether the logger holds the settings as they were typed: the check after a write and
// the comparison of a profile with a logger. Each stored field of the four pages is
// compared as the logger's own decoding shows it, the typed value taken to that form
// (a threshold "25.1" is shown "25.10", an empty port 65535, a device ID "123" with its
// leading zeros), never by encoding the typed value a second time: a value that a field's
// bytes would change shows as a difference.
#pragma once

#include <vector>

#include "settings/settings_diff.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

// Every setting that the pages store under the typed modes whose value in `logger` (pages
// read back and decoded into a fresh model) differs from `typed`, in the order of the
// settings table; left is the logger's value, right the typed one in the logger's form.
// Fields a mode does not store (the upload timer in "Schedule" mode, the schedules in
// "Timer" mode, ...) are not compared.
std::vector<SettingDifference> DiffHeldSettings(const SettingsView& logger,
                                                const SettingsView& typed);

}  // namespace lgcset::settings
