// A profile named on the command line (write, diff, report, configure's template), read and
// checked before any logger is touched.
#pragma once

#include <ostream>
#include <string>

#include "cli/headless_session.h"
#include "profiles/ini_file.h"

namespace lgcset::cli {

// Whether each value must fit its setting now, or only once a template's ${name} are filled
// in for each logger.
enum class ValuesFit { Checked, PerLogger };

// Unreadable: exit status 2. Holding none of the settings: 2. A value that does not fit its
// setting (when checked): 1, as the logger's own limits refuse it. A half profile loads, the
// missing keys taking their defaults, and is named on `err` so that a script sees it.
Outcome ReadCheckedProfile(const std::string& path, profiles::IniFile& profile, std::ostream& err,
                           ValuesFit fit = ValuesFit::Checked);

}  // namespace lgcset::cli
