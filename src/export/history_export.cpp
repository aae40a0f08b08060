#include "export/history_export.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "data/calendar.h"
#include "data/local_time.h"
#include "data/number_format.h"
#include "data/sha256.h"
#include "export/compound_file.h"
#include "export/csv_writer.h"
#include "export/pending_file.h"
#include "export/xls_workbook.h"

namespace lgcset::exports {
namespace {

using data::HistoryRecord;

std::string TwoDigits(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", v);
    return buffer;
}

// "yy-mm-dd hh:nn:ss" from the record's own fields.
std::string TimeText(const HistoryRecord& r) {
    std::string text = TwoDigits((r.year + 2000) % 100);
    for (const auto& [sep, v] :
         {std::pair{'-', r.month}, std::pair{'-', r.day}, std::pair{' ', r.hour},
          std::pair{':', r.minute}, std::pair{':', r.second}}) {
        text += sep;
        text += TwoDigits(v);
    }
    return text;
}

double SerialTime(const HistoryRecord& r) {
    const std::int64_t days =
        data::DaysFromCivil(r.year + 2000, r.month, r.day) - data::DaysFromCivil(1899, 12, 30);
    return static_cast<double>(days) + (r.hour * 3600 + r.minute * 60 + r.second) / 86400.0;
}

double ParseNumber(const std::string& text) {
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// A number cell holds the number its text names, under a format that shows exactly as many
// decimals as the text has, so every reader shows that text.
void NumberCell(ExportCell& cell, std::string text, CellFormat format) {
    cell.value = ParseNumber(text);
    cell.text = std::move(text);
    cell.format = std::isfinite(cell.value) && cell.text.find_first_of("NI") == std::string::npos
                      ? format
                      : CellFormat::Text;  // "NAN", "INF": no number cell can hold them
}

void SensorCell(ExportCell& cell, double value) {
    std::string text = data::FormatUpToTwoDecimals(value);
    const CellFormat format =
        text.find('.') == std::string::npos ? CellFormat::WholeNumber : CellFormat::UpToTwoDecimals;
    NumberCell(cell, std::move(text), format);
}

// The general form of a number of tenths has no exponent and at most one decimal. Fixed
// formats show it in full where "General" would give way to an exponent in a narrow column.
void TenthsCell(ExportCell& cell, std::uint32_t tenths) {
    std::string text = data::FormatGeneral(tenths / 10.0);
    const CellFormat format =
        text.find('.') == std::string::npos ? CellFormat::WholeNumber : CellFormat::OneDecimal;
    NumberCell(cell, std::move(text), format);
}

}  // namespace

std::string FileTimestamp(const LocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

LocalTime ReadLocalClock() {
    const std::tm tm = data::LocalFields(std::time(nullptr));
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string WorkbookFileName(const LocalTime& t) {
    return "SAVE" + FileTimestamp(t) + ".xls";
}
std::string CsvFileName(const LocalTime& t) {
    return "SAVE_CSV_" + FileTimestamp(t) + ".csv";
}

bool IsValidTime(const HistoryRecord& r) {
    return data::IsValidDateTime(r.year + 2000, r.month, r.day, r.hour, r.minute, r.second);
}

void RecordCells(const HistoryRecord& r, ExportRow& row) {
    for (ExportCell& cell : row) {
        cell.format = CellFormat::Empty;
        cell.text.clear();
    }
    row[0].text = TimeText(r);
    if (IsValidTime(r)) {
        row[0].format = CellFormat::Time;
        row[0].value = SerialTime(r);
    } else {
        row[0].format = CellFormat::Text;
    }
    for (int s = 0; s < data::kSensorCount; ++s) {
        if (r.sensorPresent[static_cast<std::size_t>(s)] == 1)
            SensorCell(row[static_cast<std::size_t>(1 + s)], r.sensor[static_cast<std::size_t>(s)]);
    }
    if (r.longitude != data::kAbsentPosition)
        NumberCell(row[5], data::FormatOneToSixDecimals(r.longitude / 1e6),
                   CellFormat::OneToSixDecimals);
    if (r.latitude != data::kAbsentPosition)
        NumberCell(row[6], data::FormatOneToSixDecimals(r.latitude / 1e6),
                   CellFormat::OneToSixDecimals);
    if (r.velocity != data::kAbsentPosition)
        TenthsCell(row[7], r.velocity);
    if (r.direction != data::kAbsentPosition)
        TenthsCell(row[8], r.direction);
}

std::optional<int> ProgressAfterRecord(std::size_t index, std::size_t count) {
    if (count < 10)
        return kProgressMaximum;
    const std::size_t step = count / 10;
    if ((index + 1) % step != 0)
        return std::nullopt;
    return static_cast<int>(std::min<std::size_t>((index + 1) * 8 / step, kProgressMaximum));
}

void ClearSensorPresentFlags(HistoryRecord* records, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) records[i].sensorPresent.fill(0);
}

namespace {

// The sheets: header row centred, the number formats, the column widths. Records beyond a
// sheet's 65,535 go on in the next sheet, "Sheet2", "Sheet3", ..., under the same header.
class ExportSheets {
  public:
    ExportSheets() {
        header_ = book_.AddStyle("General", HorizontalAlign::Centre);
        styles_[static_cast<int>(CellFormat::Text)] = XlsWorkbook::kDefaultStyle;
        styles_[static_cast<int>(CellFormat::Time)] = book_.AddStyle("yy-mm-dd hh:mm:ss");
        styles_[static_cast<int>(CellFormat::WholeNumber)] = book_.AddStyle("0");
        styles_[static_cast<int>(CellFormat::UpToTwoDecimals)] = book_.AddStyle("0.##");
        styles_[static_cast<int>(CellFormat::OneToSixDecimals)] = book_.AddStyle("##0.0#####");
        styles_[static_cast<int>(CellFormat::OneDecimal)] = book_.AddStyle("0.0");
        StartSheet();
    }

    // Record `index` (0-based) of the whole export.
    bool Record(std::size_t index, const ExportRow& cells) {
        const std::size_t sheet = index / kMaxExportRecords;
        if (sheet >= book_.SheetCount()) {
            book_.AddSheet("Sheet" + std::to_string(sheet + 1));
            StartSheet();
        }
        return Row(static_cast<std::uint32_t>(index % kMaxExportRecords + 1), cells);
    }

    std::vector<std::uint8_t> Finish() { return book_.Finish(); }

  private:
    void StartSheet() {
        book_.SetColumnWidth(0, 0, 20);
        book_.SetColumnWidth(5, 6, 15);
        for (std::uint16_t c = 0; c < kExportColumns; ++c)
            book_.Text(0, c, header_, data::kHistoryColumns[c]);
    }

    bool Row(std::uint32_t row, const ExportRow& cells) {
        for (std::uint16_t c = 0; c < kExportColumns; ++c) {
            const ExportCell& cell = cells[c];
            const std::uint16_t style = styles_[static_cast<int>(cell.format)];
            bool ok = true;
            switch (cell.format) {
                case CellFormat::Empty:
                    break;
                case CellFormat::Text:
                    ok = book_.Text(row, c, style, cell.text);
                    break;
                default:
                    ok = book_.Number(row, c, style, cell.value);
                    break;
            }
            if (!ok)
                return false;
        }
        return true;
    }

    XlsWorkbook book_;
    std::uint16_t header_ = 0;
    std::uint16_t styles_[8] = {};
};

// How many pairs of one second a folder takes before the export gives up.
constexpr int kMaxSuffix = 9999;

// "SAVE...xls", then "SAVE..._2.xls", "SAVE..._3.xls", ...
std::string SuffixedName(const std::string& name, int n) {
    if (n == 1)
        return name;
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + "_" + std::to_string(n) + name.substr(dot);
}

// The finished files of one export and the names they are to take.
struct ExportFiles {
    PendingFile workbook, csv, manifest;
    std::string workbookName, csvName;
    // Given: the manifest, written for the names that the other two have just taken.
    std::optional<ExportManifest> origin;
};

// Writes the manifest for the files' names and gives it `name`.
Claim PlaceManifest(ExportFiles& files, const std::filesystem::path& name, std::string& error) {
    ExportManifest& m = *files.origin;
    m.workbook = files.workbook.Current().filename().string();
    m.csv = files.csv.Current().filename().string();
    const std::string json = ManifestJson(m);
    if (!files.manifest.Open(name) || !files.manifest.Write(json) || !files.manifest.Close()) {
        error = files.manifest.Error();
        return Claim::Failed;
    }
    const Claim claim = files.manifest.MoveTo(name);
    if (claim == Claim::Failed)
        error = files.manifest.Error();
    if (claim != Claim::Taken)
        files.manifest.Discard();
    return claim;
}

// Gives the finished files the first suffix that none of their names has in the folder.
// Each name is taken only if no file has it, so an earlier export or another program's is
// never replaced; the files move on from a suffix whose next name turns out to be taken.
bool TakeNames(ExportFiles& files, const std::filesystem::path& folder, std::string& error) {
    const std::string manifestName = ManifestNameOfWorkbook(files.workbookName);
    for (int n = 1; n <= kMaxSuffix; ++n) {
        const std::filesystem::path workbookPath = folder / SuffixedName(files.workbookName, n);
        const std::filesystem::path csvPath = folder / SuffixedName(files.csvName, n);
        const std::filesystem::path manifestPath = folder / SuffixedName(manifestName, n);
        // Only a shortcut past the sets already there: the moves below decide.
        std::error_code ec;
        if (std::filesystem::exists(workbookPath, ec) || std::filesystem::exists(csvPath, ec) ||
            (files.origin && std::filesystem::exists(manifestPath, ec)))
            continue;
        const Claim first = files.workbook.MoveTo(workbookPath);
        if (first == Claim::Exists)
            continue;
        if (first == Claim::Failed) {
            error = files.workbook.Error();
            return false;
        }
        const Claim second = files.csv.MoveTo(csvPath);
        if (second == Claim::Exists)
            continue;
        if (second == Claim::Failed) {
            error = files.csv.Error();
            return false;
        }
        if (!files.origin)
            return true;
        const Claim third = PlaceManifest(files, manifestPath, error);
        if (third == Claim::Taken)
            return true;
        if (third == Claim::Failed)
            return false;
    }
    error = "no free name for " + files.workbookName + " in " + folder.string();
    return false;
}

ExportResult Failed(std::string error) {
    ExportResult result;
    result.outcome = ExportResult::Outcome::Failed;
    result.error = std::move(error);
    return result;
}

}  // namespace

void AppendCsvRow(std::string& out, const ExportRow& row, std::string_view separator) {
    std::string field;
    for (int c = 0; c < kExportColumns; ++c) {
        if (c > 0)
            out += ',';
        const std::string& text = row[static_cast<std::size_t>(c)].text;
        if (separator == "." || text.find('.') == std::string::npos) {
            AppendCsvField(out, text);
            continue;
        }
        field.clear();
        for (char ch : text) {
            if (ch == '.')
                field += separator;
            else
                field += ch;
        }
        AppendCsvField(out, field);
    }
    out += "\r\n";
}

ExportResult ExportHistory(const HistoryRecord* records, std::size_t count,
                           const ExportOptions& options) {
    const std::string workbookName = WorkbookFileName(options.clock());
    const std::string csvName = CsvFileName(options.clock());
    ExportResult result;
    ExportSheets sheets;
    std::string csv;
    csv.reserve(64 + count * 96);
    AppendCsvLine(csv, data::kHistoryColumns);
    ExportRow row;
    for (std::size_t r = 0; r < count; ++r) {
        if (options.beforeRecord && !options.beforeRecord(r, ProgressAfterRecord(r, count))) {
            result.outcome = ExportResult::Outcome::Stopped;
            return result;
        }
        RecordCells(records[r], row);
        if (row[0].format == CellFormat::Text)
            ++result.invalidTimes;
        if (!sheets.Record(r, row))
            return Failed("the sheet refused record " + std::to_string(r + 1));
        AppendCsvRow(csv, row, options.decimalSeparator);
    }
    const std::vector<std::uint8_t> stream = sheets.Finish();

    // Both files are complete under temporary names before either takes its own.
    ExportFiles files;
    files.workbookName = workbookName;
    files.csvName = csvName;
    PendingFile& workbook = files.workbook;
    PendingFile& csvFile = files.csv;
    std::string error = "no folder to write to";
    std::filesystem::path folder;
    for (const std::filesystem::path& candidate : options.folders) {
        if (workbook.Open(candidate / workbookName)) {
            folder = candidate;
            break;
        }
        error = workbook.Error();
    }
    if (folder.empty())
        return Failed(error);
    errno = 0;
    if (!WriteCompoundFile(workbook.Stream(), kWorkbookStreamName, stream)) {
        // The write that failed says why (a full disk): the stream alone does not.
        const int code = errno;
        return Failed("cannot write " + workbook.Target().string() +
                      (code != 0 ? std::string(": ") + std::strerror(code) : std::string()));
    }
    if (!workbook.Close())
        return Failed(workbook.Error());
    if (!csvFile.Open(folder / csvName) || !csvFile.Write(csv) || !csvFile.Close())
        return Failed(csvFile.Error());
    if (options.origin) {
        files.origin = options.origin;
        DescribeRecords(records, count, *files.origin);
        const std::optional<std::string> workbookDigest = data::Sha256OfFile(workbook.Current());
        if (!workbookDigest)
            return Failed("cannot read back " + workbook.Current().string());
        files.origin->workbookSha256 = *workbookDigest;
        files.origin->csvSha256 = data::Sha256Hex(
            {reinterpret_cast<const unsigned char*>(csv.data()), csv.size()});
    }
    if (!TakeNames(files, folder, error))
        return Failed(error);
    result.outcome = ExportResult::Outcome::Saved;
    result.workbook = workbook.Current();
    result.csv = csvFile.Current();
    workbook.Keep();
    csvFile.Keep();
    if (files.origin) {
        result.manifest = files.manifest.Current();
        files.manifest.Keep();
    }
    return result;
}

}  // namespace lgcset::exports
