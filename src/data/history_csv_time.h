// The time column of a history CSV: the export's "yy-mm-dd hh:mm:ss", or a date and time as a
// spreadsheet writes it when it saves the file again ("2024-03-05 14:07:09",
// "05.03.2024 14:07", "3/5/2024 2:07:09 PM").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "data/history_record.h"

namespace lgcset::data {

enum class DateOrder : std::uint8_t { YearMonthDay = 1, DayMonthYear = 2, MonthDayYear = 4 };

struct CsvTime {
    // The export's own shape: two (or, for raw fields, up to three) digits a part.
    bool ours = false;
    // Our shape with fields that are no valid date and time: the record is kept without one.
    bool untimed = false;
    // The orders the date reads as a valid date in, a DateOrder bit each.
    std::uint8_t orders = 0;
    char dateSeparator = '-';
    bool twelveHour = false;
    // The date's numbers as written, the year as years since 2000.
    int first = 0, second = 0, third = 0;
    int hour = 0, minute = 0, seconds = 0;

    bool Ambiguous() const {
        return orders == (static_cast<int>(DateOrder::DayMonthYear) |
                          static_cast<int>(DateOrder::MonthDayYear));
    }
};

// Nothing when the text is no date and time of 2000..2099 in any of the forms read.
std::optional<CsvTime> ParseCsvTime(std::string_view text);

// Sets the record's time fields from the time read in the given order (one of its orders).
void SetRecordTime(const CsvTime& time, DateOrder order, HistoryRecord& record);

// The order a date of one order only is read in.
DateOrder OnlyOrder(const CsvTime& time);

}  // namespace lgcset::data
