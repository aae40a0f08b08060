#include "analysis/sensor_setup.h"

#include "settings/number_text.h"
#include "settings/settings_table.h"

namespace lgcset::analysis {

std::string_view SensorKindName(SensorKind kind) {
    switch (kind) {
        case SensorKind::Celsius:
            return "C";
        case SensorKind::Fahrenheit:
            return "F";
        case SensorKind::Analog:
            break;
    }
    return "analog";
}

namespace {

bool AnalogLayout(std::optional<settings::ChannelLayout> layout) {
    return layout == settings::ChannelLayout::TwoAnalog ||
           layout == settings::ChannelLayout::FourAnalog;
}

}  // namespace

SensorKind SensorKindOfItem(int index, std::optional<settings::ChannelLayout> layout) {
    if (AnalogLayout(layout))
        return SensorKind::Analog;
    switch (index) {
        case 1:
            return SensorKind::Fahrenheit;
        case 2:
            return SensorKind::Analog;
        default:
            return SensorKind::Celsius;
    }
}

const LimitDefinition& DefinitionOf(LimitKind kind) {
    return kLimits[LimitIndex(kind)];
}

namespace {

constexpr float kThresholdNotSet = 999.0f;

}  // namespace

SensorSetups SetupsFromSettings(const settings::SettingsView& view,
                                std::optional<settings::ChannelLayout> layout) {
    SensorSetups setups;
    for (int n = 1; n <= data::kSensorCount; ++n) {
        SensorSetup& setup = setups[static_cast<std::size_t>(n - 1)];
        setup.kind = SensorKindOfItem(view.ItemIndex({settings::Setting::SensorType, n}), layout);
        for (const LimitDefinition& limit : kLimits) {
            std::optional<float> value = settings::ToFloat(view.Text({limit.setting, n}));
            // An empty threshold box is written to the logger as 999.0 and read back as
            // 999.00: a logger's limit that was never set, not a limit at 999.
            if (value == kThresholdNotSet)
                value.reset();
            setup.limits[LimitIndex(limit.kind)] = value;
        }
    }
    return setups;
}

SensorSetups SetupsOnLayout(SensorSetups setups, std::optional<settings::ChannelLayout> layout) {
    if (AnalogLayout(layout))
        for (SensorSetup& setup : setups) setup.kind = SensorKind::Analog;
    return setups;
}

}  // namespace lgcset::analysis
