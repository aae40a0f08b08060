#include "settings/channel_layout.h"

#include <vector>

#include "settings/settings_table.h"
#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

const std::vector<std::string> kTemperatureItems{"Centigrade", "Fahrenheit"};
const std::vector<std::string> kAnalogItems{"Ain"};

void Refill(SettingsView& view, int sensor, const std::vector<std::string>& items) {
    const SettingId list{Setting::SensorType, sensor};
    view.SetItems(list, items);
    view.SetItemIndex(list, 0);
}

enum class Kind { Temperature, Analog };

void Apply(SettingsView& view, CodeTables& codes, int channels, Kind kind) {
    const auto& items = kind == Kind::Analog ? kAnalogItems : kTemperatureItems;
    for (int sensor = 1; sensor <= channels; ++sensor) {
        Refill(view, sensor, items);
    }
    for (int sensor = 3; sensor <= kSensorCount; ++sensor) {
        SetSensorWidgetsEnabled(view, sensor, channels == 4);
    }
    if (kind == Kind::Analog) {
        codes.sensorTypeCodes[0] = 'B';
    } else {
        codes.sensorTypeCodes[0] = 'C';
        codes.sensorTypeCodes[1] = 'F';
    }
}

// Bytes from start up to, not including, the first 0x00 or the end of the image.
std::string ZeroEnded(const ParameterImage& image, std::size_t start, std::size_t& next) {
    const auto bytes = image.Bytes(start, ParameterImage::kSize);
    std::string text;
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] != 0x00) {
        AppendUtf8(text, CharacterOfByte(bytes[i]));
        ++i;
    }
    next = start + i + 1;  // past the 0x00; past the end when there was none
    return text;
}

// The shown part of a string: its characters up to a 0xFF byte (U+00FF once decoded).
std::string UpToNotSet(const std::string& text) {
    std::string shown;
    for (const char32_t c : DecodeUtf8(text)) {
        if (c == CharacterOfByte(0xFF)) {
            break;
        }
        AppendUtf8(shown, c);
    }
    return shown;
}

}  // namespace

DeviceIdentity ReadDeviceIdentity(const ParameterImage& image) {
    DeviceIdentity identity;
    std::size_t next = 0;
    identity.model = ZeroEnded(image, kLoginReplyAddress + 1, next);
    identity.firmware = ZeroEnded(image, next, next);
    return identity;
}

std::optional<ChannelLayout> LayoutForModel(const std::string& model) {
    if (model.size() < 4 || model.compare(0, 3, "R48") != 0) {
        return std::nullopt;
    }
    switch (model[3]) {
        case '0':
            return ChannelLayout::TwoTemperature;
        case '1':
            return ChannelLayout::FourTemperature;
        case '2':
            return ChannelLayout::TwoAnalog;
        case '3':
            return ChannelLayout::FourAnalog;
        default:
            return std::nullopt;
    }
}

void ApplyDeviceIdentity(SettingsView& view, const ParameterImage& image, CodeTables& codes) {
    const DeviceIdentity identity = ReadDeviceIdentity(image);
    if (const auto layout = LayoutForModel(identity.model)) {
        switch (*layout) {
            case ChannelLayout::TwoTemperature:
                SetTwoTemperatureChannels(view, codes);
                break;
            case ChannelLayout::FourTemperature:
                SetFourTemperatureChannels(view, codes);
                break;
            case ChannelLayout::TwoAnalog:
                SetTwoAnalogChannels(view, codes);
                break;
            case ChannelLayout::FourAnalog:
                SetFourAnalogChannels(view, codes);
                break;
        }
    }
    view.SetText(Setting::Model, UpToNotSet(identity.model));
    view.SetText(Setting::Firmware, UpToNotSet(identity.firmware));
}

void SetTwoTemperatureChannels(SettingsView& view, CodeTables& codes) {
    Apply(view, codes, 2, Kind::Temperature);
}
void SetFourTemperatureChannels(SettingsView& view, CodeTables& codes) {
    Apply(view, codes, 4, Kind::Temperature);
}
void SetTwoAnalogChannels(SettingsView& view, CodeTables& codes) {
    Apply(view, codes, 2, Kind::Analog);
}
void SetFourAnalogChannels(SettingsView& view, CodeTables& codes) {
    Apply(view, codes, 4, Kind::Analog);
}

void SetSensorWidgetsEnabled(SettingsView& view, int sensor, bool enabled) {
    for (const WidgetRow* def : WidgetsOfGroup(SensorGroup(sensor))) {
        view.SetEnabled(def->id, enabled);
    }
}

}  // namespace lgcset::settings
