#include "data/history_csv_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>

#include "data/history_chart_data.h"
#include "data/history_csv_layout.h"
#include "data/history_csv_time.h"

namespace lgcset::data {
namespace {

constexpr std::size_t kColumns = kHistoryColumns.size();
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Decimal separators of the locales the export may write in, and the minus signs.
constexpr std::array<std::string_view, 3> kSeparators = {".", ",", "\xD9\xAB"};
constexpr std::array<std::string_view, 2> kMinusSigns = {"-", "\xE2\x88\x92"};
constexpr auto kDayMonth = static_cast<std::uint8_t>(static_cast<int>(DateOrder::DayMonthYear) |
                                                     static_cast<int>(DateOrder::MonthDayYear));

std::string LineText(std::size_t line) {
    return "Line " + std::to_string(line);
}

// A field's text as a refusal quotes it: short, and without control bytes.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kMost = 40;
    std::size_t shown = std::min(text.size(), kMost);
    // Not within a character of UTF-8.
    while (shown < text.size() && shown > 0 &&
           (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80)
        --shown;
    std::string quoted = "\"";
    for (const char c : text.substr(0, shown))
        quoted += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return quoted + (shown < text.size() ? "...\"" : "\"");
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::uint64_t DigitsValue(std::string_view digits) {
    std::uint64_t v = 0;
    for (char c : digits) v = v * 10 + static_cast<std::uint64_t>(c - '0');
    return v;
}

// An empty line, or one of empty fields only, as a spreadsheet leaves below the records.
bool IsBlank(std::string_view line, char separator) {
    return std::all_of(line.begin(), line.end(), [separator](char c) { return c == separator; });
}

struct NumberText {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
};

// The digits from the first to the last that is not 0.
std::size_t SignificantDigits(const NumberText& number) {
    std::string digits(number.integer);
    digits += number.fraction;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    return digits.find_last_not_of('0') + 1 - first;
}

// Takes [minus] digits [separator digits]; the separator must be the one the file has used
// so far, which the first separator seen fixes.
enum class NumberError { None, NotNumber, OtherSeparator };

NumberError SplitNumber(std::string_view text, std::string_view& fileSeparator, NumberText& out) {
    out = {};
    for (std::string_view minus : kMinusSigns) {
        if (text.starts_with(minus)) {
            out.negative = true;
            text.remove_prefix(minus.size());
            break;
        }
    }
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0)
        return NumberError::NotNumber;
    out.integer = text.substr(0, digits);
    text.remove_prefix(digits);
    if (text.empty())
        return NumberError::None;
    for (std::string_view separator : kSeparators) {
        if (!text.starts_with(separator))
            continue;
        const std::string_view fraction = text.substr(separator.size());
        if (!AllDigits(fraction))
            return NumberError::NotNumber;
        if (fileSeparator.empty())
            fileSeparator = separator;
        else if (fileSeparator != separator)
            return NumberError::OtherSeparator;
        out.fraction = fraction;
        return NumberError::None;
    }
    return NumberError::NotNumber;
}

// One line's reading: the record and its time as written, or the sentence that refuses the
// file. A file in the export's own form is refused in the words it always was; any other
// names the line, the column and the text that cannot be read.
class LineReader {
  public:
    explicit LineReader(const HistoryCsvLayout& layout)
        : layout_(layout), ours_(layout.ourHeader) {}

    // Every line so far in the export's own form.
    bool Ours() const { return ours_; }
    std::string_view DecimalSeparator() const { return separator_; }
    std::string_view TimeText() const { return fields_[0]; }

    std::optional<std::string> Read(std::size_t lineNumber, std::string_view line,
                                    HistoryRecord& record, CsvTime& time) {
        line_ = lineNumber;
        if (!SplitCsvFields(line, layout_.fieldSeparator, fields_)) {
            if (fields_.size() == kHistoryCsvMaxFields)
                return LineText(line_) + " holds more fields than the header line.";
            return LineText(line_) + ", column " + std::to_string(fields_.size()) +
                   ": the quotes do not enclose the field.";
        }
        if (fields_.size() != layout_.fields) {
            return LineText(line_) + " holds " + std::to_string(fields_.size()) +
                   " fields, not the " + std::to_string(layout_.fields) + " of the header line.";
        }
        for (std::size_t c = kColumns; c < fields_.size(); ++c) {
            if (!fields_[c].empty())
                return Refusal(c, "lies beyond the columns of a record.");
        }
        record = HistoryRecord{};
        MarkPositionsAbsent(record);
        const std::optional<CsvTime> parsed = ParseCsvTime(fields_[0]);
        if (!parsed)
            return Refusal(0, "is not a date and time.");
        time = *parsed;
        ours_ = ours_ && time.ours;
        if (!time.untimed && !time.Ambiguous())
            SetRecordTime(time, OnlyOrder(time), record);
        for (std::size_t s = 0; s < kSensorCount; ++s) {
            if (auto error = ReadSensor(s + 1, record.sensor[s], record.sensorPresent[s]))
                return error;
        }
        std::uint32_t* positions[] = {&record.longitude, &record.latitude, &record.velocity,
                                      &record.direction};
        for (std::size_t p = 0; p < 4; ++p) {
            // Longitude and latitude in millionths, velocity and direction in tenths.
            const int decimals = p < 2 ? 6 : 1;
            if (auto error = ReadPosition(5 + p, decimals, *positions[p]))
                return error;
        }
        return std::nullopt;
    }

  private:
    std::string Refusal(std::size_t column, std::string_view what) const {
        return LineText(line_) + ", column " + std::to_string(column + 1) + ": " +
               Quoted(fields_[column]) + " " + std::string(what);
    }

    // The export's own words, or the value's line, column and text with `what` it is not.
    std::string Refusal(std::size_t column, std::string_view ours, std::string_view what) const {
        if (ours_)
            return LineText(line_) + ": " + std::string(kHistoryColumns[column]) + " " +
                   std::string(ours);
        return Refusal(column, what);
    }

    std::string NotSent(std::size_t column) const {
        return Refusal(
            column, "is not a number as the export writes it.",
            "is not a " + std::string(kHistoryColumns[column]) + " value the logger can send.");
    }

    std::optional<std::string> ReadSensor(std::size_t column, double& value,
                                          std::uint8_t& present) {
        const std::string& text = fields_[column];
        if (text.empty())
            return std::nullopt;
        present = 1;
        if (text == "NAN" || text == "INF" || text == "-INF") {
            value = text == "NAN"
                        ? std::numeric_limits<double>::quiet_NaN()
                        : (text == "INF" ? 1 : -1) * std::numeric_limits<double>::infinity();
            return std::nullopt;
        }
        NumberText number;
        if (auto error = Split(column, number))
            return error;
        // "0.##": at most two decimals.
        if (number.fraction.size() > 2 || number.integer.size() > 400)
            return NotSent(column);
        // The export writes at most 15 significant digits, what a double keeps; a value
        // with more would read back as another one once exported again.
        if (SignificantDigits(number) > 15)
            return NotSent(column);
        std::string ascii(number.integer);
        if (!number.fraction.empty()) {
            ascii += '.';
            ascii += number.fraction;
        }
        double v = 0;
        const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
        if (result.ec != std::errc{} || !std::isfinite(v))
            return NotSent(column);
        value = number.negative ? -v : v;
        return std::nullopt;
    }

    // An unsigned position value given in units of 10^-decimals; all ones is the absent
    // marker and never exported.
    std::optional<std::string> ReadPosition(std::size_t column, int decimals,
                                            std::uint32_t& value) {
        const std::string& text = fields_[column];
        if (text.empty())
            return std::nullopt;
        NumberText number;
        if (auto error = Split(column, number))
            return error;
        const auto places = static_cast<std::size_t>(decimals);
        if (number.negative || number.fraction.size() > places || number.integer.size() > 10)
            return NotSent(column);
        std::uint64_t units = DigitsValue(number.integer);
        for (std::size_t i = 0; i < places; ++i) {
            units = units * 10 + (i < number.fraction.size()
                                      ? static_cast<std::uint64_t>(number.fraction[i] - '0')
                                      : 0);
        }
        if (units >= kAbsentPosition) {
            return Refusal(column, "is beyond what the logger can send.",
                           "is beyond what the logger can send.");
        }
        value = static_cast<std::uint32_t>(units);
        return std::nullopt;
    }

    std::optional<std::string> Split(std::size_t column, NumberText& number) {
        switch (SplitNumber(fields_[column], separator_, number)) {
            case NumberError::None:
                return std::nullopt;
            case NumberError::OtherSeparator:
                return Refusal(column, "has another decimal separator than the lines before it.",
                               "has another decimal separator than the lines before it.");
            case NumberError::NotNumber:
                break;
        }
        return Refusal(column, "is not a number as the export writes it.", "is not a number.");
    }

    HistoryCsvLayout layout_;
    bool ours_ = true;
    std::vector<std::string> fields_;
    std::string_view separator_;
    std::size_t line_ = 0;
};

// A date written with the year last, "05/03/2024", which may be day or month first.
struct DayMonthDate {
    std::size_t record = 0;
    std::size_t line = 0;
    std::string text;
    CsvTime time;
};

bool Ascending(const std::vector<HistoryRecord>& records, const std::vector<DayMonthDate>& dates,
               DateOrder order) {
    std::optional<double> last;
    std::size_t next = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        HistoryRecord r = records[i];
        if (next < dates.size() && dates[next].record == i)
            SetRecordTime(dates[next++].time, order, r);
        const std::optional<double> t = RecordTime(r);
        if (!t)
            continue;
        if (last && *t < *last)
            return false;
        last = t;
    }
    return true;
}

// Which of day and month comes first in dates written with the year last. The file decides
// as a whole: a first number over 12 anywhere is a day, a second over 12 is a day (both at
// once refuses at the line that contradicts). When no date tells, the order that leaves the
// records in ascending time is taken, as an export always lists them; when both orders or
// neither do and they give other times, the file is refused: a guess could file readings
// under the wrong days.
class DayMonthOrder {
  public:
    // Notes a line's date; the refusal when it contradicts an earlier one.
    std::optional<std::string> Note(std::size_t record, std::size_t line, std::string_view text,
                                    const CsvTime& time) {
        if (time.ours || (time.orders & kDayMonth) != time.orders || time.dateSeparator == '.')
            return std::nullopt;
        const auto orders = static_cast<std::uint8_t>(orders_ & time.orders);
        if (orders == 0) {
            return LineText(line) + ", column 1: " + Quoted(text) + " has the " +
                   (time.orders == static_cast<std::uint8_t>(DateOrder::DayMonthYear)
                        ? "day first, where line " + std::to_string(toldBy_) +
                              " has the month first."
                        : "month first, where line " + std::to_string(toldBy_) +
                              " has the day first.");
        }
        if (orders != orders_)
            toldBy_ = line;
        orders_ = orders;
        if (time.Ambiguous())
            dates_.push_back({record, line, std::string(text), time});
        return std::nullopt;
    }

    // Sets the times of the dates that the file left open; the refusal when it cannot.
    std::optional<std::string> Resolve(std::vector<HistoryRecord>& records) {
        if (orders_ != kDayMonth) {
            order_ = orders_ == static_cast<std::uint8_t>(DateOrder::MonthDayYear)
                         ? DateOrder::MonthDayYear
                         : DateOrder::DayMonthYear;
        } else {
            const DayMonthDate* open = nullptr;
            for (const DayMonthDate& d : dates_) {
                if (d.time.first != d.time.second) {
                    open = &d;
                    break;
                }
            }
            const bool dayFirst = Ascending(records, dates_, DateOrder::DayMonthYear);
            const bool monthFirst = Ascending(records, dates_, DateOrder::MonthDayYear);
            if (open && dayFirst == monthFirst) {
                return "The dates are ambiguous: nothing in the file tells whether " +
                       Quoted(open->text) + " (line " + std::to_string(open->line) +
                       ") has the day or the month first. Save the file again with the "
                       "dates as year-month-day.";
            }
            order_ = monthFirst && !dayFirst ? DateOrder::MonthDayYear : DateOrder::DayMonthYear;
        }
        for (const DayMonthDate& d : dates_) SetRecordTime(d.time, order_, records[d.record]);
        return std::nullopt;
    }

    DateOrder Order() const { return order_; }

  private:
    std::uint8_t orders_ = kDayMonth;
    std::size_t toldBy_ = 0;
    std::vector<DayMonthDate> dates_;
    DateOrder order_ = DateOrder::DayMonthYear;
};

}  // namespace

HistoryCsvRead ReadHistoryCsv(std::string_view text) {
    HistoryCsvRead result;
    const auto refuse = [&result](std::string error) {
        result.records.clear();
        result.error = std::move(error);
        return std::move(result);
    };
    if (text.size() > kHistoryCsvMaxBytes)
        return refuse("The file is larger than any history export.");
    if (text.starts_with(kBom))
        text.remove_prefix(kBom.size());
    if (text.empty())
        return refuse("The file is empty.");
    // Blank lines at the very end are left over from editing, not part of the records.
    while (text.ends_with("\r\n\r\n") || text.ends_with("\n\n")) {
        text.remove_suffix(text.ends_with("\r\n\r\n") ? 2 : 1);
    }
    if (!text.ends_with('\n'))
        return refuse("The last line does not end with a line break: the file is cut short.");

    std::optional<HistoryCsvLayout> layout;
    std::optional<LineReader> reader;
    DayMonthOrder dayMonth;
    // The first date not in the export's shape, which the form's sentence names.
    std::optional<CsvTime> shownDate;
    std::size_t blankLine = 0;
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (lineNumber == 1) {
            layout = ReadHistoryCsvHeader(line);
            if (!layout)
                return refuse("Line 1 is not the header line of a history export.");
            reader.emplace(*layout);
            continue;
        }
        if (IsBlank(line, layout->fieldSeparator)) {
            blankLine = blankLine == 0 ? lineNumber : blankLine;
            continue;
        }
        if (blankLine != 0)
            return refuse(LineText(blankLine) + " is empty, yet records follow it.");
        if (result.records.size() == HistoryStore::kSlots)
            return refuse("The file holds more records than a history transfer can bring.");
        HistoryRecord record;
        CsvTime time;
        if (auto error = reader->Read(lineNumber, line, record, time))
            return refuse(std::move(*error));
        if (auto error = dayMonth.Note(result.records.size(), lineNumber, reader->TimeText(), time))
            return refuse(std::move(*error));
        if (!time.ours && !shownDate)
            shownDate = time;
        result.records.push_back(record);
    }
    if (auto error = dayMonth.Resolve(result.records))
        return refuse(std::move(*error));
    if (!reader->Ours()) {
        std::optional<CsvDateForm> dates;
        if (shownDate) {
            const DateOrder order = (shownDate->orders & kDayMonth) == shownDate->orders &&
                                            shownDate->dateSeparator != '.'
                                        ? dayMonth.Order()
                                        : OnlyOrder(*shownDate);
            dates = CsvDateForm{order, shownDate->dateSeparator, shownDate->twelveHour};
        }
        result.form =
            DescribeSpreadsheetForm(layout->fieldSeparator, reader->DecimalSeparator(), dates);
    }
    result.ok = true;
    return result;
}

HistoryCsvRead ReadHistoryCsvFile(const std::string& path) {
    HistoryCsvRead failed;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        failed.error = "The file cannot be opened.";
        return failed;
    }
    std::string bytes;
    char buffer[65536];
    while (file) {
        file.read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > kHistoryCsvMaxBytes) {
            failed.error = "The file is larger than any history export.";
            return failed;
        }
    }
    if (file.bad()) {
        failed.error = "The file cannot be read.";
        return failed;
    }
    return ReadHistoryCsv(bytes);
}

}  // namespace lgcset::data
