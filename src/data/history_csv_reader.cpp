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

namespace lgcset::data {
namespace {

constexpr std::size_t kFields = kHistoryColumns.size();
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Decimal separators of the locales the export may write in, and the minus signs.
constexpr std::array<std::string_view, 3> kSeparators = {".", ",", "\xD9\xAB"};
constexpr std::array<std::string_view, 2> kMinusSigns = {"-", "\xE2\x88\x92"};

// The export's header line: the column names joined with ",", nothing quoted.
bool IsHeaderLine(std::string_view line) {
    for (std::size_t c = 0; c < kHistoryColumns.size(); ++c) {
        if (c > 0) {
            if (!line.starts_with(','))
                return false;
            line.remove_prefix(1);
        }
        if (!line.starts_with(kHistoryColumns[c]))
            return false;
        line.remove_prefix(kHistoryColumns[c].size());
    }
    return line.empty();
}

std::string LineText(std::size_t line) {
    return "Line " + std::to_string(line);
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

// Splits one line into its fields; a field may be quoted, "" standing for a quote inside.
bool SplitFields(std::string_view line, std::array<std::string, kFields>& fields,
                 std::size_t& count) {
    count = 0;
    std::size_t at = 0;
    for (;;) {
        if (count == kFields)
            return false;
        std::string& field = fields[count++];
        field.clear();
        if (at < line.size() && line[at] == '"') {
            ++at;
            for (;;) {
                if (at >= line.size())
                    return false;  // the quote is never closed
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += line[at++];
            }
            if (at < line.size() && line[at] != ',')
                return false;
        } else {
            const std::size_t end = std::min(line.find(',', at), line.size());
            field.assign(line.substr(at, end - at));
            if (field.find('"') != std::string::npos)
                return false;
            at = end;
        }
        if (at >= line.size())
            return true;
        ++at;  // the comma
    }
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

// One line's reading: the record, or the sentence that refuses the file.
class LineReader {
  public:
    std::optional<std::string> Read(std::size_t lineNumber, std::string_view line,
                                    HistoryRecord& record) {
        line_ = lineNumber;
        std::size_t count = 0;
        if (!SplitFields(line, fields_, count) || count != kFields) {
            return LineText(line_) + " does not hold the nine fields of a record.";
        }
        record = HistoryRecord{};
        MarkPositionsAbsent(record);
        if (!ReadTime(fields_[0], record))
            return LineText(line_) + ": the time is not in the form yy-mm-dd hh:mm:ss.";
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
    // The export's raw fields of an invalid timestamp may not fit two digits; any such
    // line is kept without a time.
    static bool ReadTime(std::string_view text, HistoryRecord& record) {
        std::array<std::uint64_t, 6> parts{};
        bool twoDigits = true;
        constexpr std::array<char, 6> kAfter = {'-', '-', ' ', ':', ':', '\0'};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            std::size_t n = 0;
            while (n < text.size() && n < 4 && text[n] >= '0' && text[n] <= '9') ++n;
            if (n == 0 || n > 3)
                return false;
            twoDigits = twoDigits && n == 2;
            parts[i] = DigitsValue(text.substr(0, n));
            text.remove_prefix(n);
            if (kAfter[i] != '\0') {
                if (text.empty() || text.front() != kAfter[i])
                    return false;
                text.remove_prefix(1);
            }
        }
        if (!text.empty())
            return false;
        if (!twoDigits)
            return true;  // kept without a time
        HistoryRecord timed = record;
        timed.year = static_cast<std::uint16_t>(parts[0]);
        timed.month = static_cast<std::uint8_t>(parts[1]);
        timed.day = static_cast<std::uint8_t>(parts[2]);
        timed.hour = static_cast<std::uint8_t>(parts[3]);
        timed.minute = static_cast<std::uint8_t>(parts[4]);
        timed.second = static_cast<std::uint8_t>(parts[5]);
        if (RecordTime(timed))
            record = timed;
        return true;
    }

    std::string NotExported(std::size_t column) const {
        return LineText(line_) + ": " + std::string(kHistoryColumns[column]) +
               " is not a number as the export writes it.";
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
            return NotExported(column);
        // The export writes at most 15 significant digits, what a double keeps; a value
        // with more would read back as another one once exported again.
        if (SignificantDigits(number) > 15)
            return NotExported(column);
        std::string ascii(number.integer);
        if (!number.fraction.empty()) {
            ascii += '.';
            ascii += number.fraction;
        }
        double v = 0;
        const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
        if (result.ec != std::errc{} || !std::isfinite(v))
            return NotExported(column);
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
            return NotExported(column);
        std::uint64_t units = DigitsValue(number.integer);
        for (std::size_t i = 0; i < places; ++i) {
            units = units * 10 + (i < number.fraction.size()
                                      ? static_cast<std::uint64_t>(number.fraction[i] - '0')
                                      : 0);
        }
        if (units >= kAbsentPosition) {
            return LineText(line_) + ": " + std::string(kHistoryColumns[column]) +
                   " is beyond what the logger can send.";
        }
        value = static_cast<std::uint32_t>(units);
        return std::nullopt;
    }

    std::optional<std::string> Split(std::size_t column, NumberText& number) {
        switch (SplitNumber(fields_[column], separator_, number)) {
            case NumberError::None:
                return std::nullopt;
            case NumberError::OtherSeparator:
                return LineText(line_) + ": " + std::string(kHistoryColumns[column]) +
                       " has another decimal separator than the lines before it.";
            case NumberError::NotNumber:
                break;
        }
        return NotExported(column);
    }

    std::array<std::string, kFields> fields_;
    std::string_view separator_;
    std::size_t line_ = 0;
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

    LineReader reader;
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
            if (!IsHeaderLine(line))
                return refuse("Line 1 is not the header line of a history export.");
            continue;
        }
        if (result.records.size() == HistoryStore::kSlots)
            return refuse("The file holds more records than a history transfer can bring.");
        HistoryRecord record;
        if (auto error = reader.Read(lineNumber, line, record))
            return refuse(std::move(*error));
        result.records.push_back(record);
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
