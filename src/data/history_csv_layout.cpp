#include "data/history_csv_layout.h"

#include <algorithm>

#include "data/history_chart_data.h"

namespace lgcset::data {
namespace {

// The export's header line: the column names joined with ",", nothing quoted.
bool IsOurHeader(std::string_view line) {
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

std::string DateWords(const CsvDateForm& dates) {
    const char* words[3] = {"year", "month", "day"};
    if (dates.order == DateOrder::DayMonthYear) {
        words[0] = "day";
        words[2] = "year";
    } else if (dates.order == DateOrder::MonthDayYear) {
        words[0] = "month";
        words[1] = "day";
        words[2] = "year";
    }
    std::string text =
        std::string("dates ") + words[0] + dates.separator + words[1] + dates.separator + words[2];
    return dates.twelveHour ? text + " with AM/PM times" : text;
}

}  // namespace

bool SplitCsvFields(std::string_view line, char separator, std::vector<std::string>& fields) {
    // The strings are kept from line to line, so that a long file is not a run of
    // allocations.
    std::size_t count = 0;
    const auto done = [&fields, &count](bool ok) {
        fields.resize(count);
        return ok;
    };
    std::size_t at = 0;
    for (;;) {
        if (count == kHistoryCsvMaxFields)
            return done(false);
        if (count == fields.size())
            fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        if (at < line.size() && line[at] == '"') {
            ++at;
            for (;;) {
                if (at >= line.size())
                    return done(false);  // the quote is never closed
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
            if (at < line.size() && line[at] != separator)
                return done(false);
        } else {
            const std::size_t end = std::min(line.find(separator, at), line.size());
            field.assign(line.substr(at, end - at));
            if (field.find('"') != std::string::npos)
                return done(false);
            at = end;
        }
        if (at >= line.size())
            return done(true);
        ++at;  // the separator
    }
}

std::optional<HistoryCsvLayout> ReadHistoryCsvHeader(std::string_view line) {
    if (IsOurHeader(line))
        return HistoryCsvLayout{};
    std::vector<std::string> fields;
    for (const char separator : {';', ',', '\t'}) {
        if (!SplitCsvFields(line, separator, fields) || fields.size() < kHistoryColumns.size())
            continue;
        const bool named =
            std::equal(kHistoryColumns.begin(), kHistoryColumns.end(), fields.begin());
        const bool restEmpty =
            std::all_of(fields.begin() + static_cast<std::ptrdiff_t>(kHistoryColumns.size()),
                        fields.end(), [](const std::string& f) { return f.empty(); });
        if (named && restEmpty)
            return HistoryCsvLayout{separator, fields.size(), false};
    }
    return std::nullopt;
}

std::string DescribeSpreadsheetForm(char fieldSeparator, std::string_view decimalSeparator,
                                    std::optional<CsvDateForm> dates) {
    std::string text = "Read as a spreadsheet's CSV: ";
    text +=
        fieldSeparator == '\t' ? std::string("tabs") : "'" + std::string(1, fieldSeparator) + "'";
    text += " between fields";
    if (!decimalSeparator.empty())
        text += ", '" + std::string(decimalSeparator) + "' before decimals";
    if (dates)
        text += ", " + DateWords(*dates);
    return text + ".";
}

}  // namespace lgcset::data
