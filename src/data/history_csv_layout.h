// The layout of a history CSV: which character parts the fields, found from the header line,
// and the sentence that names a form other than the export's own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/history_csv_time.h"

namespace lgcset::data {

struct HistoryCsvLayout {
    char fieldSeparator = ',';
    // Fields a line: the nine columns, and the empty ones a spreadsheet may add after them.
    std::size_t fields = 9;
    // The header exactly as the export writes it.
    bool ourHeader = true;
};

// A spreadsheet's saved lines may carry empty fields up to the widest it once held; beyond
// this many a line is no history record.
inline constexpr std::size_t kHistoryCsvMaxFields = 256;

// The layout when the line is the header of a history export: the column names parted by
// ",", ";" or a tab, each perhaps quoted, perhaps followed by empty fields.
std::optional<HistoryCsvLayout> ReadHistoryCsvHeader(std::string_view line);

// Splits a line into its fields (at most kHistoryCsvMaxFields); a field may be quoted, ""
// standing for a quote inside. False when a quote is misplaced or never closed.
bool SplitCsvFields(std::string_view line, char separator, std::vector<std::string>& fields);

// The order and separator of the first date not in the export's own shape.
struct CsvDateForm {
    DateOrder order = DateOrder::YearMonthDay;
    char separator = '-';
    bool twelveHour = false;
};

// E.g. "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates
// day.month.year."; the decimal separator and dates are named when the file has them.
std::string DescribeSpreadsheetForm(char fieldSeparator, std::string_view decimalSeparator,
                                    std::optional<CsvDateForm> dates);

}  // namespace lgcset::data
