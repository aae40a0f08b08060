#include "profiles/profile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "profiles/ini_storage.h"
#include "profiles/profile_check.h"
#include "profiles/profile_values.h"
#include "settings/settings_rules.h"

namespace lgcset::profiles {
namespace {

using settings::SettingsView;
using settings::WidgetRow;

// The report mode as a load leaves it: "Timer" enables the interval and disables every
// schedule (their check states stay as loaded); "Schedule" disables the interval and makes
// schedule 1 available, the others as the chain left them.
void ApplyReportModeRule(SettingsView& view) {
    using settings::Setting;
    const int mode = view.ItemIndex(Setting::ReportMode);
    if (mode == 0) {
        view.SetEnabled(Setting::ReportInterval, true);
        for (int k = 1; k <= 4; ++k) {
            view.SetEnabled({Setting::ScheduleEnabled, k}, false);
            view.SetEnabled({Setting::ScheduleTime, k}, false);
        }
    } else if (mode == 1) {
        view.SetEnabled(Setting::ReportInterval, false);
        view.SetEnabled({Setting::ScheduleEnabled, 1}, true);
        view.SetEnabled({Setting::ScheduleTime, 1}, true);
    }
}

// One step of a load: the keys at profile positions first..last, or a rule.
struct LoadStep {
    int first = 0;
    int last = 0;
    void (*rule)(SettingsView&) = nullptr;
};

// The order matters: the schedule chain runs while keys 43 to 46 are set, the upload timer
// check when key 38 is, and the mode rules see the modes loaded before them.
constexpr std::array kLoadSteps{
    LoadStep{1, 1},    // login password
    LoadStep{2, 7},    // numbers
    LoadStep{8, 19},   // their codes
    LoadStep{20, 26},  // GPRS connection
    LoadStep{32, 32},  // GPS enable
    LoadStep{27, 30},  // time mode, SIM number, device password, device ID
    LoadStep{37, 37},  // upload mode
    LoadStep{38, 38},  // upload timer
    LoadStep{39, 39},  // upload time
    LoadStep{0, 0, settings::cbb_gprsupmodeChange},
    LoadStep{40, 40},  // PIN verification
    LoadStep{41, 41},  // PIN code
    LoadStep{35, 35},  // report mode
    LoadStep{42, 42},  // report interval
    LoadStep{43, 46},  // schedules on
    LoadStep{47, 50},  // schedule times
    LoadStep{31, 31},  // log interval
    LoadStep{36, 36},  // relay time
    LoadStep{33, 33},  // GPRS failure number
    LoadStep{34, 34},  // report number
    LoadStep{51, 98},  // sensors 1 to 4
    LoadStep{0, 0, ApplyReportModeRule},
};

std::string EncodeValue(const SettingsView& view, const WidgetRow& widget) {
    switch (EncodingOf(widget)) {
        case ValueEncoding::Text:
            return view.Text(widget.id);
        case ValueEncoding::Index:
            return std::to_string(view.ItemIndex(widget.id));
        case ValueEncoding::Flag:
            return view.Checked(widget.id) ? "1" : "0";
        case ValueEncoding::Time:
            return FormatTime(view.Time(widget.id));
    }
    return {};
}

void ApplyValue(const std::optional<std::string>& value, const WidgetRow& widget,
                SettingsView& view) {
    switch (EncodingOf(widget)) {
        case ValueEncoding::Text:
            view.SetText(widget.id, value.value_or(widget.profileDefaultText));
            break;
        case ValueEncoding::Index:
            view.SetItemIndex(widget.id, value ? ParseIndex(*value) : 0);
            break;
        case ValueEncoding::Flag:
            view.SetChecked(widget.id, value && ParseIndex(*value) != 0);
            break;
        case ValueEncoding::Time:
            if (const auto time = value ? ParseTime(*value) : std::nullopt) {
                view.SetTime(widget.id, *time);
            }
            break;
    }
}

bool SaveInto(const SettingsView& view, const ProfileOrigin* origin,
              const std::filesystem::path& path, std::string& error) {
    IniFile file;
    if (ReadIniFile(path, file, error) == ReadOutcome::Failed) {
        return false;  // what the file holds besides the keys would be lost
    }
    SaveProfile(view, file);
    if (origin != nullptr) {
        WriteOrigin(file, *origin);
    }
    return WriteIniFile(path, file, error);
}

std::vector<const WidgetRow*> BuildProfileWidgets() {
    std::vector<const WidgetRow*> widgets(kProfileKeyCount, nullptr);
    for (const WidgetRow& def : settings::SettingsTable()) {
        if (def.profileOrder == 0) {
            continue;
        }
        const auto at = static_cast<std::size_t>(def.profileOrder - 1);
        if (def.profileOrder < 0 || at >= widgets.size() || widgets[at] != nullptr) {
            throw std::logic_error("profile position " + std::to_string(def.profileOrder) + " of " +
                                   def.name + " is not free");
        }
        widgets[at] = &def;
    }
    if (std::find(widgets.begin(), widgets.end(), nullptr) != widgets.end()) {
        throw std::logic_error("the settings table leaves a profile position empty");
    }
    return widgets;
}

}  // namespace

const std::vector<const WidgetRow*>& ProfileWidgets() {
    static const std::vector<const WidgetRow*> widgets = BuildProfileWidgets();
    return widgets;
}

void SaveProfile(const SettingsView& view, IniFile& file) {
    for (const WidgetRow* widget : ProfileWidgets()) {
        file.Write(widget->profileSection, widget->profileKey, EncodeValue(view, *widget));
    }
}

void LoadProfile(const IniFile& file, SettingsView& view) {
    const auto& widgets = ProfileWidgets();
    for (const LoadStep& step : kLoadSteps) {
        if (step.rule != nullptr) {
            step.rule(view);
            continue;
        }
        for (int position = step.first; position <= step.last; ++position) {
            const WidgetRow& widget = *widgets[static_cast<std::size_t>(position - 1)];
            ApplyValue(file.Read(widget.profileSection, widget.profileKey), widget, view);
        }
    }
}

bool SaveProfileFile(const SettingsView& view, const std::filesystem::path& path,
                     std::string& error) {
    return SaveInto(view, nullptr, path, error);
}

bool SaveProfileFile(const SettingsView& view, const ProfileOrigin& origin,
                     const std::filesystem::path& path, std::string& error) {
    return SaveInto(view, &origin, path, error);
}

int MissingProfileKeys(const IniFile& file) {
    const auto& widgets = ProfileWidgets();
    return static_cast<int>(std::count_if(widgets.begin(), widgets.end(), [&](const auto* w) {
        return !file.Read(w->profileSection, w->profileKey).has_value();
    }));
}

std::string NoSettingsMessage(const std::string& file) {
    return file + " holds no settings of this program.";
}

std::string UnreadableProfileMessage(const std::string& file, const std::string& why) {
    return "cannot read the profile " + file + ": " + why;
}

std::string MissingKeysMessage(const std::string& file, int missing) {
    return file + " lacks " + std::to_string(missing) + " of the " +
           std::to_string(kProfileKeyCount) + " settings; they take their defaults.";
}

ProfileLoad LoadProfileFile(const std::filesystem::path& path, SettingsView& view,
                            std::string& error) {
    return LoadProfileFile(path, view, LoggerIdentity{}, LoadAnyway{}, error);
}

ProfileLoad LoadProfileFile(const std::filesystem::path& path, SettingsView& view,
                            const LoggerIdentity& logger, const LoadAnyway& loadAnyway,
                            std::string& error) {
    IniFile file;
    switch (ReadIniFile(path, file, error)) {
        case ReadOutcome::Read:
            break;
        case ReadOutcome::Missing:
            error = kNoSuchFile;
            return ProfileLoad::Unreadable;
        case ReadOutcome::Failed:
            return ProfileLoad::Unreadable;
    }
    if (MissingProfileKeys(file) == kProfileKeyCount) {
        return ProfileLoad::NoSettings;
    }
    if (error = UnfitProfileValue(file); !error.empty()) {
        return ProfileLoad::Unfit;
    }
    if (const auto mismatch = OriginMismatch(file, logger);
        mismatch && (!loadAnyway || !loadAnyway(*mismatch))) {
        return ProfileLoad::Declined;
    }
    LoadProfile(file, view);
    return ProfileLoad::Loaded;
}

}  // namespace lgcset::profiles
