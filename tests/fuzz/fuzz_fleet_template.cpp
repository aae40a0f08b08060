// A values file and a template on any bytes: the file is read or refused with a reason, never
// half; every row it gives has a field per column and a stored device ID; and each row's
// profile loads into the settings as any profile does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "profiles/fleet_template.h"
#include "settings/settings_model.h"

using namespace lgcset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const auto valuesBytes = in.Take(in.Word());
    const std::string_view valuesText(reinterpret_cast<const char*>(valuesBytes.data()),
                                      valuesBytes.size());
    const profiles::IniFile templateFile = profiles::IniFile::FromBytes(in.RestText());
    std::string error;
    const std::optional<profiles::ValuesFile> values = profiles::ReadValuesFile(valuesText, error);
    FUZZ_CHECK(values.has_value() == error.empty());
    if (!values)
        return 0;
    FUZZ_CHECK(values->rows.size() == values->deviceIds.size());
    profiles::TemplateMismatch(templateFile, &*values, "t.ini", "v.csv");
    for (std::size_t row = 0; row < values->rows.size(); ++row) {
        FUZZ_CHECK(values->rows[row].size() == values->columns.size());
        FUZZ_CHECK(profiles::RowFor(*values, values->deviceIds[row], "") == row);
        settings::SettingsModel logger;
        profiles::ApplyLoggerProfile(profiles::ProfileForLogger(templateFile, &*values, row),
                                     logger);
    }
    return 0;
}
