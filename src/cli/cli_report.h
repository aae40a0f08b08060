// `report`: the analysis of an exported CSV file (statistics, excursions beyond the alarm
// limits, gaps) as a text table or as JSON.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "analysis/history_analysis.h"
#include "cli/headless_session.h"
#include "profiles/ini_file.h"
#include "settings/channel_layout.h"

namespace lgcset::cli {

// The kinds and limits of the sensors: from the profile's alarm settings when one is given
// (else every limit unset), on the logger of `layout` when the model is known.
analysis::SensorSetups ReportSetups(const profiles::IniFile* profile,
                                    std::optional<settings::ChannelLayout> layout);

// Exactly one JSON object, ending in a line break: numbers as JSON numbers, times
// "yy-mm-dd hh:mm:ss", null for what does not apply.
std::string ReportJson(const analysis::HistoryAnalysis& analysis);
// The same as aligned text tables.
std::string ReportText(const analysis::HistoryAnalysis& analysis);

// Reads and analyses `csvPath`; a file that is not one of our exports is a usage error.
Outcome RunReport(const std::string& csvPath, const analysis::SensorSetups& setups, bool json,
                  std::ostream& out);

}  // namespace lgcset::cli
