// Reads back a CSV file written by the history export, so that an earlier transfer can be
// charted again.
//
// Only the export's own form is taken: its header line, nine fields a line, the time as
// "yy-mm-dd hh:mm:ss", each number in the form the export writes it, with one decimal
// separator throughout ("." or ",", a field holding "," in double quotes, or the Arabic
// decimal separator in UTF-8). Anything else refuses the whole file, so a file is never
// charted in part. A line whose time is not a valid date and time (the export writes such
// a record's raw fields, "24-00-05 14:07:09") is kept without a time.
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
    // One record a line after the header, in file order. A line without a usable time has
    // every time field 0; present flags and absent positions as the export read them.
    std::vector<HistoryRecord> records;
};

HistoryCsvRead ReadHistoryCsv(std::string_view text);

// The file's bytes, read whole (up to kHistoryCsvMaxBytes), then ReadHistoryCsv.
HistoryCsvRead ReadHistoryCsvFile(const std::string& path);

}  // namespace lgcset::data
