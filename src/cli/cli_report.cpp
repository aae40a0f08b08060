#include "cli/cli_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "data/history_chart_data.h"
#include "cli/cli_commands.h"
#include "data/history_csv_reader.h"
#include "profiles/profile.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

namespace {

using analysis::kLimits;
using analysis::LimitIndex;
using analysis::LimitKind;

// The order the time beyond each limit is reported in: the plain limits before the ultra
// ones.
constexpr std::array<LimitKind, 4> kBeyondOrder{LimitKind::High, LimitKind::Low,
                                                LimitKind::UltraHigh, LimitKind::UltraLow};

// JSON has no infinity: a sum that overflowed (only an edited file's numbers reach that far)
// is no figure.
template <typename Number>
std::string Shortest(Number value) {
    if (!std::isfinite(value))
        return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Readings and limits are single precision on the logger: their shortest single-precision
// text is the number it showed ("4.1", not 4.099999904632568).
std::string Reading(double value) {
    if (std::abs(value) > std::numeric_limits<float>::max())
        return Shortest(value);  // an edited file's number beyond the logger's
    return Shortest(static_cast<float>(value));
}

// Computed statistics to a thousandth, a digit beyond the readings' hundredths.
std::string Statistic(double value) {
    return Shortest(std::round(value * 1000) / 1000);
}

std::string Seconds(double seconds) {
    return Shortest(seconds);
}

std::string Time(double seconds) {
    return data::FormatChartTime(seconds);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string OrNull(const std::optional<std::string>& text) {
    return text.value_or("null");
}

std::optional<std::string> LimitText(const analysis::SensorLimits& limits, LimitKind kind) {
    const auto limit = limits[LimitIndex(kind)];
    return limit ? std::optional(Reading(*limit)) : std::nullopt;
}

std::optional<std::string> MktText(const analysis::SensorStatistics& s) {
    return s.mkt ? std::optional(Statistic(*s.mkt)) : std::nullopt;
}

void JsonSensor(const analysis::SensorStatistics& s, std::string& json) {
    json += "{\"sensor\": " + std::to_string(s.sensor) +
            ", \"kind\": " + Quoted(std::string(analysis::SensorKindName(s.kind))) +
            ", \"count\": " + std::to_string(s.count) +
            ", \"not_numbers\": " + std::to_string(s.notNumbers) + ", \"min\": " + Reading(s.min) +
            ", \"min_time\": " + Quoted(Time(s.minTime)) + ", \"max\": " + Reading(s.max) +
            ", \"max_time\": " + Quoted(Time(s.maxTime)) + ", \"mean\": " + Statistic(s.mean) +
            ", \"mkt\": " + OrNull(MktText(s)) + ", \"limits\": {";
    for (std::size_t i = 0; i < kLimits.size(); ++i)
        json += (i == 0 ? "\"" : ", \"") + std::string(kLimits[i].name) +
                "\": " + OrNull(LimitText(s.limits, kLimits[i].kind));
    json += "}, \"excursions\": [";
    for (std::size_t i = 0; i < s.excursions.size(); ++i) {
        const analysis::Excursion& e = s.excursions[i];
        json += (i == 0 ? "{\"kind\": " : ", {\"kind\": ") +
                Quoted(std::string(analysis::DefinitionOf(e.kind).name)) +
                ", \"from\": " + Quoted(Time(e.from)) + ", \"to\": " + Quoted(Time(e.to)) +
                ", \"seconds\": " + Seconds(e.seconds) + ", \"peak\": " + Reading(e.peak) +
                ", \"open\": " + (e.open ? "true" : "false") + "}";
    }
    json += "], \"seconds_beyond\": {";
    for (std::size_t i = 0; i < kBeyondOrder.size(); ++i)
        json += (i == 0 ? "\"" : ", \"") + std::string(analysis::DefinitionOf(kBeyondOrder[i]).name) +
                "\": " + Seconds(s.secondsBeyond[LimitIndex(kBeyondOrder[i])]);
    json += "}}";
}

// Rows of cells as columns padded to their widest cell, two spaces apart.
std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

}  // namespace

analysis::SensorSetups ReportSetups(const profiles::IniFile* profile,
                                    std::optional<settings::ChannelLayout> layout) {
    settings::SettingsModel model;
    if (profile != nullptr)
        profiles::LoadProfile(*profile, model);
    analysis::SensorSetups setups = analysis::SetupsFromSettings(model, layout);
    if (profile == nullptr)
        for (analysis::SensorSetup& setup : setups) setup.limits = {};
    return setups;
}

std::string ReportJson(const analysis::HistoryAnalysis& a, const analysis::ReportOrigin& origin) {
    const auto time = [](const std::optional<double>& t) {
        return t ? Quoted(Time(*t)) : std::string("null");
    };
    const exports::ExportManifest& m = origin.manifest;
    const auto known = [&origin](const std::string& text) {
        return origin.Known() && !text.empty() ? JsonString(text) : std::string("null");
    };
    std::string json =
        "{\"complete\": " +
        std::string(origin.Known() ? (m.complete ? "true" : "false") : "null") +
        ", \"ended_early_because\": " + (origin.EndedEarly() ? JsonString(m.endedEarly) : "null") +
        ", \"origin\": " + JsonString(OriginLines(origin).back()) +
        ", \"device_id\": " + known(m.deviceId) + ", \"model\": " + known(m.model) +
        ", \"firmware\": " + known(m.firmware) + ", \"range_from\": " + known(m.rangeFrom) +
        ", \"range_to\": " + known(m.rangeTo) + ", \"records\": " + std::to_string(a.records) +
                       ", \"untimed\": " + std::to_string(a.untimed) +
                       ", \"from\": " + time(a.from) + ", \"to\": " + time(a.to) +
                       ", \"interval_s\": " + (a.log.interval ? Seconds(*a.log.interval) : "null") +
                       ", \"gaps\": [";
    for (std::size_t i = 0; i < a.log.gaps.size(); ++i) {
        const analysis::LogGap& g = a.log.gaps[i];
        json += (i == 0 ? "{\"from\": " : ", {\"from\": ") + Quoted(Time(g.from)) +
                ", \"to\": " + Quoted(Time(g.to)) + ", \"seconds\": " + Seconds(g.seconds) + "}";
    }
    json += "], \"sensors\": [";
    for (std::size_t i = 0; i < a.sensors.size(); ++i) {
        if (i > 0)
            json += ", ";
        JsonSensor(a.sensors[i], json);
    }
    return json + "]}\n";
}

std::string ReportText(const analysis::HistoryAnalysis& a, const analysis::ReportOrigin& origin) {
    std::string text;
    for (const std::string& line : OriginLines(origin)) text += line + "\n";
    text += "\n" + Table({
        {"records", std::to_string(a.records)},
        {"untimed", std::to_string(a.untimed)},
        {"from", a.from ? Time(*a.from) : "-"},
        {"to", a.to ? Time(*a.to) : "-"},
        {"log interval", a.log.interval ? Seconds(*a.log.interval) + " s" : "-"},
        {"gaps", std::to_string(a.log.gaps.size())},
    });
    if (!a.log.gaps.empty()) {
        std::vector<std::vector<std::string>> rows{{"gap from", "to", "seconds"}};
        for (const analysis::LogGap& g : a.log.gaps)
            rows.push_back({Time(g.from), Time(g.to), Seconds(g.seconds)});
        text += "\n" + Table(rows);
    }
    if (a.sensors.empty())
        return text;

    std::vector<std::vector<std::string>> stats{
        {"sensor", "kind", "count", "not numbers", "min", "min time", "max", "max time", "mean", "MKT"}};
    std::vector<std::vector<std::string>> limits{{"sensor"}};
    for (const auto& limit : kLimits) limits[0].push_back(std::string(limit.name));
    for (const LimitKind kind : kBeyondOrder)
        limits[0].push_back("s " + std::string(analysis::DefinitionOf(kind).name));
    std::vector<std::vector<std::string>> excursions{
        {"sensor", "excursion", "from", "to", "seconds", "peak", ""}};
    for (const analysis::SensorStatistics& s : a.sensors) {
        const std::string sensor = std::to_string(s.sensor);
        stats.push_back({sensor, std::string(analysis::SensorKindName(s.kind)),
                         std::to_string(s.count), std::to_string(s.notNumbers), Reading(s.min), Time(s.minTime), Reading(s.max),
                         Time(s.maxTime), Statistic(s.mean), MktText(s).value_or("-")});
        std::vector<std::string> row{sensor};
        for (const auto& limit : kLimits)
            row.push_back(LimitText(s.limits, limit.kind).value_or("-"));
        for (const LimitKind kind : kBeyondOrder)
            row.push_back(Seconds(s.secondsBeyond[LimitIndex(kind)]));
        limits.push_back(row);
        for (const analysis::Excursion& e : s.excursions)
            excursions.push_back({sensor, std::string(analysis::DefinitionOf(e.kind).name), Time(e.from),
                                  Time(e.to), Seconds(e.seconds), Reading(e.peak),
                                  e.open ? "open" : ""});
    }
    text += "\n" + Table(stats) + "\n" + Table(limits);
    if (excursions.size() > 1)
        text += "\n" + Table(excursions);
    return text;
}

Outcome RunReport(const std::string& csvPath, const analysis::SensorSetups& setups, bool json,
                  std::ostream& out, std::ostream& notes) {
    const data::HistoryCsvRead read = data::ReadHistoryCsvFile(csvPath);
    if (!read.ok)
        return Outcome::Failed(kExitUsage, "cannot report on " + csvPath + ": " + read.error);
    if (!read.form.empty())
        notes << read.form << "\n";
    const analysis::ReportOrigin origin = analysis::FindReportOrigin(csvPath);
    analysis::HistoryAnalysis analysis = analysis::AnalyzeHistory(read.records, setups);
    analysis::AddMissingRange(origin, analysis);
    out << (json ? ReportJson(analysis, origin) : ReportText(analysis, origin));
    return {};
}

}  // namespace lgcset::cli
