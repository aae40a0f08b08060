#include "profiles/fleet_template.h"

#include <algorithm>
#include <cctype>

#include "data/device_id.h"
#include "data/history_csv_layout.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "profiles/profile_check.h"
#include "profiles/text_encoding.h"

namespace lgcset::profiles {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool NameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
}

// Calls `name(text)` for each ${name} of the value and `literal(text)` for the text between;
// a "${" not closed by "}" over a name is text.
template <typename Name, typename Literal>
void ScanValue(std::string_view value, Name name, Literal literal) {
    std::size_t at = 0;
    while (at < value.size()) {
        const std::size_t open = value.find("${", at);
        if (open == std::string_view::npos)
            break;
        std::size_t end = open + 2;
        while (end < value.size() && NameCharacter(value[end])) ++end;
        if (end == open + 2 || end >= value.size() || value[end] != '}') {
            literal(value.substr(at, open + 2 - at));
            at = open + 2;
            continue;
        }
        literal(value.substr(at, open - at));
        name(value.substr(open + 2, end - open - 2));
        at = end + 1;
    }
    literal(value.substr(at));
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// ';' when the header holds one outside quotes and no ',', else ','.
char SeparatorOf(std::string_view header) {
    bool quoted = false, semicolon = false;
    for (const char c : header) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            return ',';
        else if (!quoted && c == ';')
            semicolon = true;
    }
    return semicolon ? ';' : ',';
}

std::string Trimmed(std::string_view text) {
    return std::string(TrimBlanks(text));
}

// The profile setting a column names: "section.key", or a key only one section has.
const settings::WidgetRow* ProfileKeyOf(std::string_view column) {
    const settings::WidgetRow* found = nullptr;
    int bare = 0;
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const std::string dotted = widget->profileSection + "." + widget->profileKey;
        if (SameName(column, dotted))
            return widget;
        if (SameName(column, widget->profileKey)) {
            found = widget;
            ++bare;
        }
    }
    return bare == 1 ? found : nullptr;
}

bool UsesName(const std::vector<std::string>& names, std::string_view column) {
    return std::find(names.begin(), names.end(), column) != names.end();
}

std::string Listed(const std::vector<std::string>& items, std::string_view before,
                   std::string_view after) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? " and " : ", ";
        text += std::string(before) + items[i] + std::string(after);
    }
    return text;
}

}  // namespace

std::optional<ValuesFile> ReadValuesFile(std::string_view bytes, std::string& error) {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    const std::string text = IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
    // Each line that is not blank, with its number in the file as an editor shows it.
    std::vector<std::pair<std::size_t, std::string_view>> lines;
    std::size_t number = 0;
    for (const std::string_view line : Lines(text)) {
        ++number;
        if (!TrimBlanks(line).empty())
            lines.emplace_back(number, line);
    }
    if (lines.empty()) {
        error = "it holds no header line";
        return std::nullopt;
    }
    const char separator = SeparatorOf(lines.front().second);
    ValuesFile values;
    std::vector<std::string> fields;
    if (!data::SplitCsvFields(lines.front().second, separator, fields)) {
        error = "line " + std::to_string(lines.front().first) + " has a misplaced quote";
        return std::nullopt;
    }
    for (const std::string& field : fields) values.columns.push_back(Trimmed(field));
    const auto idColumn =
        std::find_if(values.columns.begin(), values.columns.end(),
                     [](const std::string& c) { return SameName(c, kDeviceIdColumn); });
    if (idColumn == values.columns.end()) {
        error = "it has no column " + std::string(kDeviceIdColumn);
        return std::nullopt;
    }
    const auto id = static_cast<std::size_t>(idColumn - values.columns.begin());
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::string where = "line " + std::to_string(lines[n].first);
        if (!data::SplitCsvFields(lines[n].second, separator, fields)) {
            error = where + " has a misplaced quote or too many fields";
            return std::nullopt;
        }
        if (fields.size() != values.columns.size()) {
            error = where + " has " + std::to_string(fields.size()) +
                    (fields.size() == 1 ? " field" : " fields") + "; the header names " +
                    std::to_string(values.columns.size());
            return std::nullopt;
        }
        const data::DeviceIdText deviceId = data::NormalDeviceId(fields[id]);
        if (!deviceId.ok()) {
            error = where + ": " + deviceId.error;
            return std::nullopt;
        }
        if (std::find(values.deviceIds.begin(), values.deviceIds.end(), deviceId.id) !=
            values.deviceIds.end()) {
            error = where + " gives the device ID " + deviceId.id + " a second time";
            return std::nullopt;
        }
        values.deviceIds.push_back(deviceId.id);
        values.rows.push_back(fields);
    }
    return values;
}

std::optional<ValuesFile> ReadValuesFileAt(const std::filesystem::path& path, std::string& error) {
    std::string bytes;
    switch (ReadFileBytes(path, kMaxIniFileBytes, "the file is larger than a values file can be",
                          bytes, error)) {
        case ReadOutcome::Read:
            return ReadValuesFile(bytes, error);
        case ReadOutcome::Missing:
            error = kNoSuchFile;
            break;
        case ReadOutcome::Failed:
            break;
    }
    return std::nullopt;
}

std::vector<std::string> TemplateNames(const IniFile& templateFile) {
    std::vector<std::string> names;
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const auto value = templateFile.Read(widget->profileSection, widget->profileKey);
        if (!value)
            continue;
        ScanValue(
            *value,
            [&](std::string_view name) {
                if (!UsesName(names, name))
                    names.emplace_back(name);
            },
            [](std::string_view) {});
    }
    return names;
}

std::string TemplateMismatch(const IniFile& templateFile, const ValuesFile* values,
                             const std::string& templateName, const std::string& valuesName) {
    const std::vector<std::string> names = TemplateNames(templateFile);
    if (values == nullptr)
        return names.empty() ? std::string()
                             : "the template " + templateName + " uses " +
                                   Listed(names, "${", "}") + ", which only a values file can give";
    std::vector<std::string> missing, unused;
    for (const std::string& name : names)
        if (!UsesName(values->columns, name))
            missing.push_back(name);
    for (const std::string& column : values->columns)
        if (!SameName(column, kDeviceIdColumn) && !UsesName(names, column) &&
            ProfileKeyOf(column) == nullptr)
            unused.push_back(column);
    std::string why;
    if (!missing.empty())
        why = "the template " + templateName + " uses " + Listed(missing, "${", "}") + ", which " +
              valuesName + " has no column for";
    if (!unused.empty())
        why += (why.empty() ? "" : "; ") + valuesName + " has the column" +
               (unused.size() == 1 ? " " : "s ") + Listed(unused, "", "") + ", which " +
               (unused.size() == 1 ? "is" : "are") + " neither a name the template " +
               (why.empty() ? templateName + " " : "") + "uses nor a profile key";
    return why;
}

std::optional<std::size_t> RowFor(const ValuesFile& values, const std::string& deviceId,
                                  const std::string& defaultRow) {
    for (const std::string& wanted : {deviceId, defaultRow}) {
        if (wanted.empty())
            continue;
        const data::DeviceIdText id = data::NormalDeviceId(wanted);
        const auto found = std::find(values.deviceIds.begin(), values.deviceIds.end(), id.id);
        if (id.ok() && found != values.deviceIds.end())
            return static_cast<std::size_t>(found - values.deviceIds.begin());
    }
    return std::nullopt;
}

LoggerProfile ProfileForLogger(const IniFile& templateFile, const ValuesFile* values,
                               std::optional<std::size_t> row) {
    const std::vector<std::string>* fields =
        values != nullptr && row && *row < values->rows.size() ? &values->rows[*row] : nullptr;
    const auto field = [&](std::string_view column) -> std::optional<std::string> {
        if (fields == nullptr)
            return std::nullopt;
        for (std::size_t i = 0; i < values->columns.size(); ++i)
            if (values->columns[i] == column)
                return (*fields)[i];
        return std::nullopt;
    };
    LoggerProfile logger;
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const auto value = templateFile.Read(widget->profileSection, widget->profileKey);
        if (!value)
            continue;
        std::string filled;
        bool named = false;
        ScanValue(
            *value,
            [&](std::string_view name) {
                named = true;
                filled += field(name).value_or("${" + std::string(name) + "}");
            },
            [&](std::string_view text) { filled += text; });
        logger.profile.Write(widget->profileSection, widget->profileKey, filled);
        if (named && widget == &settings::RowOf(settings::Setting::DeviceId))
            logger.setsDeviceId = true;
    }
    if (fields == nullptr)
        return logger;
    const std::vector<std::string> names = TemplateNames(templateFile);
    for (std::size_t i = 0; i < values->columns.size(); ++i) {
        const settings::WidgetRow* widget = ProfileKeyOf(values->columns[i]);
        if (widget == nullptr || TrimBlanks((*fields)[i]).empty() ||
            UsesName(names, values->columns[i]))
            continue;
        logger.profile.Write(widget->profileSection, widget->profileKey, (*fields)[i]);
        if (widget == &settings::RowOf(settings::Setting::DeviceId))
            logger.setsDeviceId = true;
    }
    return logger;
}

void ApplyLoggerProfile(const LoggerProfile& logger, settings::SettingsView& target) {
    const std::string deviceId = target.Text(settings::Setting::DeviceId);
    const std::string password = target.Text(settings::Setting::LoginPassword);
    // The logger's own settings as a profile, with the template's keys over them: a key the
    // template lacks keeps the logger's value instead of a profile's default.
    IniFile merged;
    SaveProfile(target, merged);
    for (const settings::WidgetRow* widget : ProfileWidgets())
        if (const auto value = logger.profile.Read(widget->profileSection, widget->profileKey))
            merged.Write(widget->profileSection, widget->profileKey, *value);
    LoadProfile(merged, target);
    if (!logger.setsDeviceId)
        target.SetText(settings::Setting::DeviceId, deviceId);
    target.SetText(settings::Setting::LoginPassword, password);
}

LoggerTemplate TemplateForLogger(const IniFile& templateFile, const ValuesFile* values,
                                 const std::string& deviceId, const std::string& defaultRow) {
    LoggerTemplate result;
    std::optional<std::size_t> row;
    if (values != nullptr) {
        row = RowFor(*values, deviceId, defaultRow);
        if (!row) {
            result.end = LoggerTemplate::End::NotInValues;
            return result;
        }
    }
    result.logger = ProfileForLogger(templateFile, values, row);
    result.why = UnfitProfileValue(result.logger.profile);
    if (!result.why.empty())
        result.end = LoggerTemplate::End::Unfit;
    return result;
}

}  // namespace lgcset::profiles
