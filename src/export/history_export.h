// The export of a history transfer: the store's records as a workbook (".xls") and a CSV
// file holding the same texts, cell for cell. Plain C++, so that the window and a program
// without one run the same sequence: file names from two clock reads, the cells of
// each record, the progress rule, stopping between records, and files that appear only
// when complete.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/history_record.h"
#include "export/export_manifest.h"

namespace lgcset::exports {

// The columns are data::kHistoryColumns.
inline constexpr int kExportColumns = static_cast<int>(data::kHistoryColumns.size());
// The header and 65,535 records fill the 65,536 rows of a sheet; a transfer never brings
// more, and an export of more (from the archive) goes on in further sheets.
inline constexpr std::size_t kMaxExportRecords = 65535;
// The progress bar's maximum.
inline constexpr int kProgressMaximum = 80;

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime ReadLocalClock();
// "2024-03-05_14-07-09": the stamp both names carry.
std::string FileTimestamp(const LocalTime& t);
// "SAVE2024-03-05_14-07-09.xls" and "SAVE_CSV_2024-03-05_14-07-09.csv".
std::string WorkbookFileName(const LocalTime& t);
std::string CsvFileName(const LocalTime& t);

// How a cell shows its value; each has its number format in the workbook.
enum class CellFormat : std::uint8_t {
    Empty,
    Text,              // shown as stored
    Time,              // a date and time, "yy-mm-dd hh:mm:ss"
    WholeNumber,       // "0": a value whose text has no decimals
    UpToTwoDecimals,   // "0.##" for a value with one or two decimals
    OneToSixDecimals,  // "##0.0#####"
    OneDecimal,        // "0.0": velocity and direction in tenths that are not whole
};

struct ExportCell {
    CellFormat format = CellFormat::Empty;
    double value = 0;  // a number, or the serial date of a time (days since 1899-12-30)
    std::string text;  // what every reader shows, with "." as the decimal separator
};
using ExportRow = std::array<ExportCell, kExportColumns>;

// The cells of one record: the time always, a value only when it is present. A time that
// is no real date and time is a text built from the record's fields.
void RecordCells(const data::HistoryRecord& record, ExportRow& row);
bool IsValidTime(const data::HistoryRecord& record);
// The CSV line of one record's cells (after the header, data::kHistoryColumns), with
// `separator` for the decimal point.
void AppendCsvRow(std::string& out, const ExportRow& row, std::string_view separator);

// Where the progress bar goes after record `index` (0-based) of `count`, if it moves.
std::optional<int> ProgressAfterRecord(std::size_t index, std::size_t count);

struct ExportOptions {
    // Folders tried in order; the files go into the first one that can be written.
    std::vector<std::filesystem::path> folders;
    std::string decimalSeparator = ".";  // of the CSV file
    std::function<LocalTime()> clock = ReadLocalClock;
    // Called before each record with where the progress bar goes; false stops the export.
    std::function<bool(std::size_t record, std::optional<int> progress)> beforeRecord;
    // Where the records came from; given, the export writes its manifest beside the two
    // files (the records, their times, the files' names and digests filled in here).
    std::optional<ExportManifest> origin;
};

struct ExportResult {
    enum class Outcome { Saved, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    std::filesystem::path workbook, csv;  // full paths of the files written
    std::filesystem::path manifest;       // when an origin was given
    std::size_t invalidTimes = 0;         // records whose time is no real date and time
    std::string error;                    // what went wrong, when it failed
};

// Writes records[0 .. count) to both files, and the manifest when an origin is given.
// Stopped or failed, none of them exists. No file is ever replaced: when any name of the
// set is taken, all take the first free suffix "_2", "_3", ... before their extension.
ExportResult ExportHistory(const data::HistoryRecord* records, std::size_t count,
                           const ExportOptions& options);

// After a saved export, the sensor values of the exported records no longer count as sent.
void ClearSensorPresentFlags(data::HistoryRecord* records, std::size_t count);

}  // namespace lgcset::exports
