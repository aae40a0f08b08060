// The profile reader on any bytes (UTF-8, Windows-1252, byte order marks, any line ends)
// and the load of what it read into the in-memory settings. What the file holds must
// survive being stored again, and settings loaded from a profile must come back the same
// from a profile saved of them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "profiles/ini_file.h"
#include "profiles/profile.h"
#include "settings/settings_diff.h"
#include "settings/settings_model.h"

using namespace lgcset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const profiles::IniFile file = profiles::IniFile::FromBytes(in.RestText());
    const profiles::IniFile stored = profiles::IniFile::FromBytes(file.ToBytes());
    for (const settings::WidgetRow* widget : profiles::ProfileWidgets()) {
        const std::optional<std::string> value =
            file.Read(widget->profileSection, widget->profileKey);
        FUZZ_CHECK(value == stored.Read(widget->profileSection, widget->profileKey));
    }
    profiles::MissingProfileKeys(file);

    settings::SettingsModel loaded;
    profiles::LoadProfile(file, loaded);
    profiles::IniFile saved;
    profiles::SaveProfile(loaded, saved);
    settings::SettingsModel again;
    profiles::LoadProfile(profiles::IniFile::FromBytes(saved.ToBytes()), again);
    const auto differences = settings::DiffSettings(loaded, again);
    for (const auto& d : differences)
        std::fprintf(stderr, "%s: \"%s\" saved and loaded is \"%s\"\n", d.widget.c_str(),
                     d.left.c_str(), d.right.c_str());
    FUZZ_CHECK(differences.empty());
    return 0;
}
