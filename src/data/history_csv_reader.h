// Reads back a CSV file written by the history export, so that an earlier transfer can be
// charted again.
//
// The export's own form: its header line, nine fields a line, the time as "yy-mm-dd hh:mm:ss",
// each number in the form the export writes it, with one decimal separator throughout ("."
// or ",", a field holding "," in double quotes, or the Arabic decimal separator in UTF-8). A
// line whose time is not a valid date and time (the export writes such a record's raw
// fields, "24-00-05 14:07:09") is kept without a time.
//
// The same file as a spreadsheet saves it again is read too: ";" or a tab between fields,
// fields quoted, empty fields after the ninth on every line, the date as year-month-day,
// day.month.year, day/month/year or month/day/year, two or four digits of year, a 12-hour
// time, a time without seconds (read as :00), empty lines below the records. The values
// must still be what the logger can send. Anything else refuses the whole file, so a file
// is never charted in part.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/history_record.h"

namespace lgcset::data {

// No export of a full store comes near this size; a larger file is refused unread.
inline constexpr std::size_t kHistoryCsvMaxBytes = 32u * 1024 * 1024;

struct HistoryCsvRead {
    bool ok = false;
    std::string error;  // when !ok: why the text is not a history export, as a sentence
    // When ok and the file is not in the export's own form: the sentence that says how it
    // was read ("Read as a spreadsheet's CSV: ..."). Empty for our own form.
    std::string form;
    // One record a line after the header, in file order. A line without a usable time has
    // every time field 0; present flags and absent positions as the export read them.
    std::vector<HistoryRecord> records;
};

HistoryCsvRead ReadHistoryCsv(std::string_view text);

// The file's bytes, read whole (up to kHistoryCsvMaxBytes), then ReadHistoryCsv.
HistoryCsvRead ReadHistoryCsvFile(const std::string& path);

}  // namespace lgcset::data
