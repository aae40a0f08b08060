// The small file beside an export's workbook and CSV file that says where they came from:
// the program, the logger, the range asked for, whether the transfer was whole, the alarm
// limits the logger held and the SHA-256 of both files. "SAVE<stamp>.json", with the stamp
// and suffix of the workbook it stands beside; a report on the CSV file finds it by name.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "data/history_record.h"

namespace lgcset::exports {

// A sensor's four alarm limits, lowest first, as the logger holds them (single precision);
// an unset one is nothing.
inline constexpr std::array<std::string_view, 4> kManifestLimitNames = {"ultra_low", "low", "high",
                                                                        "ultra_high"};
using ManifestLimits = std::array<std::optional<float>, kManifestLimitNames.size()>;

struct ExportManifest {
    // What the caller knows of the transfer.
    std::string program, version;
    std::string deviceId, model, firmware;  // empty: not known
    std::string rangeFrom, rangeTo;         // the days asked for, "2024-03-01"
    bool complete = true;
    std::string endedEarly;  // why it was not, when not complete
    // Only when the logger's settings were read since the login.
    std::optional<std::array<ManifestLimits, data::kSensorCount>> limits;

    // What the export writes in.
    std::size_t records = 0;
    std::string firstRecord, lastRecord;  // "2024-03-05 14:07:09"; empty: no valid time
    std::string workbook, csv;            // the files' names, in the same folder
    std::string workbookSha256, csvSha256;

    bool operator==(const ExportManifest&) const = default;
};

// "SAVE2024-03-05_14-07-09.json" for the workbook "SAVE2024-03-05_14-07-09.xls".
std::string ManifestNameOfWorkbook(std::string_view workbookName);
// The manifest that would stand beside an export's CSV file: SAVE_CSV_<stamp>.csv gives
// SAVE<stamp>.json in the same folder, or the one of the second before when only that one
// is there (the workbook's name may be a second older); nothing for a file of another name.
std::optional<std::filesystem::path> ManifestPathOfCsv(const std::filesystem::path& csv);

// The earliest and latest valid time and the count of the records.
void DescribeRecords(const data::HistoryRecord* records, std::size_t count, ExportManifest& manifest);

std::string ManifestJson(const ExportManifest& manifest);

struct ManifestRead {
    enum class Outcome { Read, Missing, Invalid };
    Outcome outcome = Outcome::Invalid;
    std::string error;  // when Invalid, why it is no manifest of ours
    ExportManifest manifest;
};
ManifestRead ReadManifest(std::string_view text);
ManifestRead ReadManifestFile(const std::filesystem::path& path);

}  // namespace lgcset::exports
