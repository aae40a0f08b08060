#include "archive/archive_values.h"

#include <charconv>
#include <string>

#include "archive/archive_store.h"
#include "data/calendar.h"
#include "data/number_format.h"

namespace lgcset::archive {

std::int64_t ReadingTime(const data::HistoryRecord& r) {
    return data::DaysFromCivil(r.year + 2000, r.month, r.day) * 86400 + r.hour * 3600 +
           r.minute * 60 + r.second;
}

bool HasRealTime(const data::HistoryRecord& r) {
    return data::IsValidDateTime(r.year + 2000, r.month, r.day, r.hour, r.minute, r.second);
}

double ArchivedSensor(double value) {
    const std::string text = data::FormatUpToTwoDecimals(value);
    double parsed = value;
    std::from_chars(text.data(), text.data() + text.size(), parsed);
    return parsed;
}

data::HistoryRecord RecordAt(std::int64_t t) {
    data::HistoryRecord r;
    const std::int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const std::int64_t second = t - days * 86400;
    const data::CalendarDate date = data::CivilFromDays(days);
    r.year = static_cast<std::uint16_t>(date.year - 2000);
    r.month = static_cast<std::uint8_t>(date.month);
    r.day = static_cast<std::uint8_t>(date.day);
    r.hour = static_cast<std::uint8_t>(second / 3600);
    r.minute = static_cast<std::uint8_t>(second / 60 % 60);
    r.second = static_cast<std::uint8_t>(second % 60);
    return r;
}

}  // namespace lgcset::archive
