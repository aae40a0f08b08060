// How a reading's time and values are kept, the same in every engine, so that a reading
// merges with itself whichever archive it went through.
#pragma once

#include <cstdint>

#include "data/history_record.h"

namespace lgcset::archive {

// Whether the record has a real date and time: one without cannot be placed.
bool HasRealTime(const data::HistoryRecord& record);

// A sensor value as the export shows it, so that an export read back from its CSV file
// merges with the download that wrote it.
double ArchivedSensor(double value);

// A record with the date and time of ReadingTime `t` and nothing else set.
data::HistoryRecord RecordAt(std::int64_t t);

}  // namespace lgcset::archive
