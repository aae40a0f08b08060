// One configuration for many loggers: a template, which is a profile whose values may name a
// column of a values file as ${name}, and the values file, a CSV table with one row per logger
// keyed by its device ID. Together they give each logger its own profile.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/ini_file.h"
#include "settings/settings_view.h"

namespace lgcset::profiles {

inline constexpr std::string_view kDeviceIdColumn = "device_id";

struct ValuesFile {
    std::vector<std::string> columns;            // as the header names them, UTF-8
    std::vector<std::vector<std::string>> rows;  // a field per column
    std::vector<std::string> deviceIds;          // each row's, in the logger's stored form
};

// A values file from its bytes: UTF-8 (a byte order mark is skipped) or else Windows-1252;
// fields parted by ';' when the header holds one outside quotes and no ',', else by ','; a
// field may be quoted, "" standing for a quote; lines end in CR LF, LF or CR, and blank lines
// are skipped. Nothing, with why in `error` ("line 4 has 3 fields; the header names 5"), for
// a file without a device_id column, a row with another number of fields, a quote that is
// misplaced, a device ID that is none, or a device ID given twice.
std::optional<ValuesFile> ReadValuesFile(std::string_view bytes, std::string& error);

// A values file read from disk as ReadValuesFile reads its bytes; a file that is not there,
// no regular file, or larger than any values file, is refused with why ("no such file").
std::optional<ValuesFile> ReadValuesFileAt(const std::filesystem::path& path, std::string& error);

// The ${name} placeholders the profile settings of `templateFile` use, each once, in the
// order of the profile's keys.
std::vector<std::string> TemplateNames(const IniFile& templateFile);

// Empty when the template and the values file go together: each ${name} is a column, and each
// column besides device_id is a name the template uses or a profile key ("TEL.tel1", or a
// key that only one section has, "tel1"; either in any case). Else why, naming the names and
// the columns that do not fit, the files as `templateName` and `valuesName` say:
// "the template t.ini uses ${alarm_sms}, which loggers.csv has no column for; loggers.csv has
// the column alarm_sm, which is neither a name the template uses nor a profile key".
// Without a values file (`values` null) every ${name} is one nothing fills:
// "the template t.ini uses ${alarm_sms}, which only a values file can give".
std::string TemplateMismatch(const IniFile& templateFile, const ValuesFile* values,
                             const std::string& templateName, const std::string& valuesName);

// The row of the logger whose device ID is `deviceId`, else the row of `defaultRow` (a device
// ID, empty for none); nothing: the logger is not in the values file.
std::optional<std::size_t> RowFor(const ValuesFile& values, const std::string& deviceId,
                                  const std::string& defaultRow);

struct LoggerProfile {
    IniFile profile;            // the template's profile settings, the row's values in place
    bool setsDeviceId = false;  // the row names the logger's device ID itself
};

// One logger's profile: every profile setting of the template with each ${name} replaced by
// the row's field, and each of the row's profile-key columns that is not empty in place of the
// template's value. Without `row` (no values file), the template's settings as they are.
LoggerProfile ProfileForLogger(const IniFile& templateFile, const ValuesFile* values,
                               std::optional<std::size_t> row);

// `target`, holding the logger's settings as read, with every setting of `logger` loaded over
// it as a profile is loaded; a setting the template does not hold keeps the logger's value
// (a template of a few keys changes only those), the logger keeps its own device ID unless
// the row named one, and the login password stays as it is (it is no setting of the logger).
void ApplyLoggerProfile(const LoggerProfile& logger, settings::SettingsView& target);

// One logger's part of a template: its profile, or why it gets none. The hosts say why in
// their own words from `end`; `why` holds the value that does not fit.
struct LoggerTemplate {
    enum class End { Ready, NotInValues, Unfit };
    End end = End::Ready;
    LoggerProfile logger;
    std::string why;  // Unfit: the message of profile_check.h
};
// For the logger whose device ID is `deviceId`: its row (or `defaultRow`'s) of `values`, or
// none without a values file; the template with it; refused when a value does not fit.
LoggerTemplate TemplateForLogger(const IniFile& templateFile, const ValuesFile* values,
                                 const std::string& deviceId, const std::string& defaultRow);

}  // namespace lgcset::profiles
