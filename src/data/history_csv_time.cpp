#include "data/history_csv_time.h"

#include <array>
#include <cctype>

#include "data/calendar.h"

namespace lgcset::data {
namespace {

constexpr auto Bit(DateOrder order) {
    return static_cast<std::uint8_t>(order);
}

// The leading digits, when there are 1..most of them.
std::size_t TakeDigits(std::string_view& text, std::size_t most, int& value) {
    std::size_t n = 0;
    value = 0;
    while (n < text.size() && n <= most && text[n] >= '0' && text[n] <= '9')
        value = value * 10 + (text[n++] - '0');
    if (n == 0 || n > most)
        return 0;
    text.remove_prefix(n);
    return n;
}

bool Take(std::string_view& text, char c) {
    if (!text.starts_with(c))
        return false;
    text.remove_prefix(1);
    return true;
}

void SkipSpaces(std::string_view& text) {
    while (Take(text, ' ')) continue;
}

bool TakeWord(std::string_view& text, std::string_view word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    text.remove_prefix(word.size());
    return true;
}

// The export's shape, as read since the first release: six parts of one to three digits.
// Only two digits each can be a time; the export writes wider raw fields of a timestamp
// that is no date, and such a record is kept without a time.
std::optional<CsvTime> ParseOurs(std::string_view text) {
    constexpr std::array<char, 6> kAfter = {'-', '-', ' ', ':', ':', '\0'};
    std::array<int, 6> parts{};
    bool twoDigits = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t n = TakeDigits(text, 3, parts[i]);
        if (n == 0)
            return std::nullopt;
        twoDigits = twoDigits && n == 2;
        if (kAfter[i] != '\0' && !Take(text, kAfter[i]))
            return std::nullopt;
    }
    if (!text.empty())
        return std::nullopt;
    CsvTime time;
    time.ours = true;
    if (!twoDigits ||
        !IsValidDateTime(2000 + parts[0], parts[1], parts[2], parts[3], parts[4], parts[5])) {
        time.untimed = true;
        return time;
    }
    time.orders = Bit(DateOrder::YearMonthDay);
    time.first = parts[0];
    time.second = parts[1];
    time.third = parts[2];
    time.hour = parts[3];
    time.minute = parts[4];
    time.seconds = parts[5];
    return time;
}

// A year of two digits, or of four within the logger's 2000..2099, as years since 2000.
bool YearSince2000(int digits, int& year) {
    if (digits <= 2)
        return true;
    year -= 2000;
    return year >= 0 && year <= 99;
}

}  // namespace

std::optional<CsvTime> ParseCsvTime(std::string_view text) {
    if (auto ours = ParseOurs(text))
        return ours;
    CsvTime t;
    const std::size_t a = TakeDigits(text, 4, t.first);
    if (a == 0 || text.empty())
        return std::nullopt;
    t.dateSeparator = text.front();
    if (t.dateSeparator != '-' && t.dateSeparator != '.' && t.dateSeparator != '/')
        return std::nullopt;
    text.remove_prefix(1);
    if (TakeDigits(text, 2, t.second) == 0 || !Take(text, t.dateSeparator))
        return std::nullopt;
    const std::size_t c = TakeDigits(text, 4, t.third);
    if (c == 0 || a == 3 || c == 3 || (a == 4 && c == 4) || !Take(text, ' '))
        return std::nullopt;
    SkipSpaces(text);
    if (TakeDigits(text, 2, t.hour) == 0 || !Take(text, ':') || TakeDigits(text, 2, t.minute) != 2)
        return std::nullopt;
    // A time without seconds is on the minute.
    if (Take(text, ':') && TakeDigits(text, 2, t.seconds) != 2)
        return std::nullopt;
    SkipSpaces(text);
    const bool am = TakeWord(text, "AM");
    const bool pm = !am && TakeWord(text, "PM");
    if (!text.empty())
        return std::nullopt;
    if (am || pm) {
        if (t.hour < 1 || t.hour > 12)
            return std::nullopt;
        t.twelveHour = true;
        t.hour = t.hour % 12 + (pm ? 12 : 0);
    }

    // Four digits first is year first; the year last is day first after dots and either
    // order otherwise; short years stand where the separator's custom puts them.
    std::uint8_t candidates = 0;
    if (a == 4) {
        candidates = Bit(DateOrder::YearMonthDay);
    } else if (c == 4 || t.dateSeparator != '-') {
        candidates = t.dateSeparator == '.'
                         ? Bit(DateOrder::DayMonthYear)
                         : Bit(DateOrder::DayMonthYear) | Bit(DateOrder::MonthDayYear);
    } else {
        candidates = Bit(DateOrder::YearMonthDay);
    }
    if (!YearSince2000(static_cast<int>(a), t.first) ||
        !YearSince2000(static_cast<int>(c), t.third))
        return std::nullopt;
    for (const DateOrder order :
         {DateOrder::YearMonthDay, DateOrder::DayMonthYear, DateOrder::MonthDayYear}) {
        if (!(candidates & Bit(order)))
            continue;
        HistoryRecord r;
        SetRecordTime(t, order, r);
        if (IsValidDateTime(2000 + r.year, r.month, r.day, r.hour, r.minute, r.second))
            t.orders |= Bit(order);
    }
    if (t.orders == 0)
        return std::nullopt;
    return t;
}

void SetRecordTime(const CsvTime& time, DateOrder order, HistoryRecord& record) {
    int year = time.first, month = time.second, day = time.third;
    if (order == DateOrder::DayMonthYear) {
        day = time.first;
        year = time.third;
    } else if (order == DateOrder::MonthDayYear) {
        month = time.first;
        day = time.second;
        year = time.third;
    }
    record.year = static_cast<std::uint16_t>(year);
    record.month = static_cast<std::uint8_t>(month);
    record.day = static_cast<std::uint8_t>(day);
    record.hour = static_cast<std::uint8_t>(time.hour);
    record.minute = static_cast<std::uint8_t>(time.minute);
    record.second = static_cast<std::uint8_t>(time.seconds);
}

DateOrder OnlyOrder(const CsvTime& time) {
    for (const DateOrder order : {DateOrder::DayMonthYear, DateOrder::MonthDayYear})
        if (time.orders == Bit(order))
            return order;
    return DateOrder::YearMonthDay;
}

}  // namespace lgcset::data
