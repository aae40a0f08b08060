#include "cli/audit_text.h"

#include <cstdio>

#include "data/calendar.h"

namespace lgcset::cli {

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t DayStart(const data::CalendarDate& date) {
    return data::DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                               static_cast<unsigned>(date.day)) *
           kDay;
}

}  // namespace

std::string UtcText(std::int64_t at) {
    const std::int64_t days = (at >= 0 ? at : at - (kDay - 1)) / kDay;
    const std::int64_t second = at - days * kDay;
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d:%02d:%02d",
                  DateText(data::CivilFromDays(days)).c_str(), static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    return text;
}

std::string WhoText(const archive::AuditEntry& entry) {
    return entry.role.empty() ? entry.user : entry.user + " (" + entry.role + ")";
}

std::string OutcomeText(const archive::AuditEntry& entry) {
    std::string text(archive::AuditResultText(entry.result));
    if (!entry.why.empty())
        text += ": " + entry.why;
    return text;
}

std::vector<std::string> DetailLines(std::string_view detail) {
    std::vector<std::string> lines;
    while (!detail.empty()) {
        const std::size_t end = detail.find('\n');
        std::string_view line = detail.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        detail = end == std::string_view::npos ? std::string_view() : detail.substr(end + 1);
    }
    return lines;
}

archive::AuditFilter AuditFilterOf(const CliOptions& options) {
    archive::AuditFilter filter;
    if (!options.deviceId.empty())
        filter.deviceId = options.deviceId;
    if (options.from)
        filter.from = DayStart(*options.from);
    if (options.to)
        filter.to = DayStart(*options.to) + kDay - 1;
    return filter;
}

std::string FilterText(const CliOptions& options) {
    std::vector<std::string> parts;
    if (!options.deviceId.empty())
        parts.push_back("device ID " + options.deviceId);
    if (options.from)
        parts.push_back("from " + DateText(*options.from));
    if (options.to)
        parts.push_back("to " + DateText(*options.to));
    if (parts.empty())
        return "every row";
    std::string text = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) text += ", " + parts[i];
    return text;
}

}  // namespace lgcset::cli
