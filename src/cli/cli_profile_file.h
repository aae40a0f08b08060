// A profile named on the command line (write, diff, report, configure's template), read and
// checked before any logger is touched.
#pragma once

#include <ostream>
#include <string>

#include "cli/headless_session.h"
#include "profiles/ini_file.h"

namespace lgcset::cli {

// A profile is loaded whole; a template's values fit only once its ${name} are filled in for
// each logger, and the keys it lacks keep each logger's own values.
enum class ValuesFit { Checked, PerLogger };

// Unreadable: exit status 2. Holding none of the settings: 2. A value that does not fit its
// setting (when checked): 1, as the logger's own limits refuse it. A half profile loads, the
// missing keys taking their defaults, and is named on `err` so that a script sees it; a half
// template is what a template may be, and is not named.
Outcome ReadCheckedProfile(const std::string& path, profiles::IniFile& profile, std::ostream& err,
                           ValuesFit fit = ValuesFit::Checked);

}  // namespace lgcset::cli
