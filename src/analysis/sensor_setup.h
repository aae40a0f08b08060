// What the analysis needs to know of each sensor: its kind (from the sensor type list of the
// alarm settings) and its four alarm limits, any of which may be unset.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "data/history_record.h"
#include "settings/channel_layout.h"
#include "settings/settings_view.h"

namespace lgcset::analysis {

enum class SensorKind { Celsius, Fahrenheit, Analog };

// "C", "F", "analog".
std::string_view SensorKindName(SensorKind kind);

// The item index of a sensor type list (a profile's `flag`): 0 Centigrade, 1 Fahrenheit,
// 2 analog, as the lists stand before a login and after one to a temperature logger. No
// item selected is taken as Centigrade, the text the list shows then. Every channel of an
// analog logger is analog whatever its list holds.
SensorKind SensorKindOfItem(int index, std::optional<settings::ChannelLayout> layout);

enum class LimitKind { UltraLow, Low, High, UltraHigh };

struct LimitDefinition {
    LimitKind kind;
    std::string_view name;   // in reports: "ultra_low"
    settings::Setting setting;  // the limit's box among the alarm settings of each sensor
    bool above;              // an excursion lies above the limit (else below it)
};

// The four limits, in the order the alarm settings show them, lowest first.
inline constexpr std::array<LimitDefinition, 4> kLimits{{
    {LimitKind::UltraLow, "ultra_low", settings::Setting::SensorUltraLow, false},
    {LimitKind::Low, "low", settings::Setting::SensorLow, false},
    {LimitKind::High, "high", settings::Setting::SensorHigh, true},
    {LimitKind::UltraHigh, "ultra_high", settings::Setting::SensorUltraHigh, true},
}};

inline constexpr std::size_t LimitIndex(LimitKind kind) {
    return static_cast<std::size_t>(kind);
}
const LimitDefinition& DefinitionOf(LimitKind kind);

// Limits in the sensor's own unit, as the logger holds them: single precision. Unset when
// the box is empty (or holds no number).
using SensorLimits = std::array<std::optional<float>, kLimits.size()>;

struct SensorSetup {
    SensorKind kind = SensorKind::Celsius;
    SensorLimits limits{};
};
using SensorSetups = std::array<SensorSetup, data::kSensorCount>;

// The kinds and limits that the alarm settings of the view hold: the window's, or those a
// profile loaded into a settings model. `layout`: the logger's, when the model is known.
SensorSetups SetupsFromSettings(const settings::SettingsView& view,
                                std::optional<settings::ChannelLayout> layout);

// The limits on hand put on the records of a logger of `layout` (an archived logger's, from
// its model), which need not be the logger they were read for: every channel of an analog
// logger is analog; a temperature logger's keep their kinds.
SensorSetups SetupsOnLayout(SensorSetups setups, std::optional<settings::ChannelLayout> layout);

}  // namespace lgcset::analysis
