// What a report says of where a CSV file came from: the manifest that the export wrote
// beside it, believed only when the SHA-256 it names is the file's. Without one, the
// file's origin is unknown and the report says so.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/history_analysis.h"
#include "export/export_manifest.h"

namespace lgcset::analysis {

struct ReportOrigin {
    enum class Kind { Unknown, Manifest, NotBelieved };
    Kind kind = Kind::Unknown;
    std::string manifestName;          // the manifest's file name, when there is one
    exports::ExportManifest manifest;  // when Manifest
    std::string why;                   // when NotBelieved

    bool Known() const { return kind == Kind::Manifest; }
    bool EndedEarly() const { return Known() && !manifest.complete; }
};

ReportOrigin FindReportOrigin(const std::filesystem::path& csv);

// The report's lines on the file's origin. A transfer that ended early says so first.
std::vector<std::string> OriginLines(const ReportOrigin& origin);

// A transfer that ended early: the part of the days asked for that its records do not
// reach, from the latest record to the end of the last day, is a gap of the log.
void AddMissingRange(const ReportOrigin& origin, HistoryAnalysis& analysis);

}  // namespace lgcset::analysis
