// `report`: the analysis of an exported CSV file (statistics, excursions beyond the alarm
// limits, gaps) as a text table or as JSON.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "analysis/history_analysis.h"
#include "analysis/report_origin.h"
#include "cli/headless_session.h"
#include "profiles/ini_file.h"
#include "settings/channel_layout.h"

namespace lgcset::cli {

// The kinds and limits of the sensors: from the profile's alarm settings when one is given
// (else every limit unset), on the logger of `layout` when the model is known.
analysis::SensorSetups ReportSetups(const profiles::IniFile* profile,
                                    std::optional<settings::ChannelLayout> layout);

// Exactly one JSON object, ending in a line break: numbers as JSON numbers, times
// "yy-mm-dd hh:mm:ss", null for what does not apply ("complete" and the logger's fields
// when the file's origin is unknown).
std::string ReportJson(const analysis::HistoryAnalysis& analysis,
                       const analysis::ReportOrigin& origin = {});
// The same as aligned text tables, after the lines on the file's origin.
std::string ReportText(const analysis::HistoryAnalysis& analysis,
                       const analysis::ReportOrigin& origin = {});

// Reads and analyses `csvPath`, with the manifest beside it when there is one; a file that is
// not one of our exports is a usage error. A file a spreadsheet saved again is read, and
// `notes` says in which form.
Outcome RunReport(const std::string& csvPath, const analysis::SensorSetups& setups, bool json,
                  std::ostream& out, std::ostream& notes);

}  // namespace lgcset::cli
