#include "analysis/report_origin.h"

#include <cstdio>

#include "data/calendar.h"
#include "data/sha256.h"

namespace lgcset::analysis {
namespace {

// Chart seconds of the end of a day "2024-03-05" (the next midnight); nothing for another text.
std::optional<double> EndOfDay(const std::string& day) {
    int y = 0, m = 0, d = 0, used = 0;
    if (std::sscanf(day.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3 ||
        used != static_cast<int>(day.size()) || !data::IsValidDate(y, m, d))
        return std::nullopt;
    const std::int64_t days =
        data::DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) + 1;
    return static_cast<double>(days) * 86400.0;
}

std::string Known(const std::string& text) {
    return text.empty() ? "unknown" : text;
}

}  // namespace

ReportOrigin FindReportOrigin(const std::filesystem::path& csv) {
    ReportOrigin origin;
    const auto path = exports::ManifestPathOfCsv(csv);
    if (!path)
        return origin;
    const exports::ManifestRead read = exports::ReadManifestFile(*path);
    if (read.outcome == exports::ManifestRead::Outcome::Missing)
        return origin;
    origin.manifestName = path->filename().string();
    origin.kind = ReportOrigin::Kind::NotBelieved;
    if (read.outcome == exports::ManifestRead::Outcome::Invalid) {
        origin.why = read.error;
        return origin;
    }
    const auto digest = data::Sha256OfFile(csv);
    if (!digest || *digest != read.manifest.csvSha256) {
        origin.why = "the SHA-256 it gives for the CSV file is not the file's";
        return origin;
    }
    origin.kind = ReportOrigin::Kind::Manifest;
    origin.manifest = read.manifest;
    return origin;
}

std::vector<std::string> OriginLines(const ReportOrigin& origin) {
    switch (origin.kind) {
        case ReportOrigin::Kind::Unknown:
            return {"Origin: unknown (no manifest of the export beside the file)"};
        case ReportOrigin::Kind::NotBelieved:
            return {"Origin: unknown: the manifest " + origin.manifestName +
                    " is not believed: " + origin.why};
        case ReportOrigin::Kind::Manifest:
            break;
    }
    const exports::ExportManifest& m = origin.manifest;
    std::vector<std::string> lines;
    if (!m.complete)
        lines.push_back("The transfer ended early (" + m.endedEarly + "): the file holds " +
                        std::to_string(m.records) + " records, not the whole of " + m.rangeFrom +
                        " to " + m.rangeTo);
    lines.push_back("Origin: model " + Known(m.model) + ", firmware " + Known(m.firmware) +
                    ", device ID " + Known(m.deviceId) + ", days " + m.rangeFrom + " to " +
                    m.rangeTo + ", exported by " + m.program + " " + m.version + " (" +
                    origin.manifestName + ")");
    return lines;
}

void AddMissingRange(const ReportOrigin& origin, HistoryAnalysis& analysis) {
    if (!origin.EndedEarly())
        return;
    const std::optional<double> end = EndOfDay(origin.manifest.rangeTo);
    const std::optional<double> start = EndOfDay(origin.manifest.rangeFrom);
    if (!end || !start)
        return;
    const double from = analysis.to.value_or(*start - 86400.0);
    if (*end > from)
        analysis.log.gaps.push_back({from, *end, *end - from});
}

}  // namespace lgcset::analysis
