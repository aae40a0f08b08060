// Adapting the sensor channels to the logger model named in the login reply: the model and
// firmware boxes, the items of the four sensor type lists, the codes stored for them, and
// whether the widgets of sensors 3 and 4 can be used.
#pragma once

#include <optional>
#include <string>

#include "settings/parameter_image.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

// The two strings of a login reply stored in the image at 5120: byte 0 the status, from
// byte 1 the model up to the first 0x00, then the firmware up to the next 0x00. A string
// without its 0x00 ends at the end of the image.
struct DeviceIdentity {
    std::string model;  // raw bytes as characters (Latin-1 to UTF-8), up to the 0x00
    std::string firmware;
};
DeviceIdentity ReadDeviceIdentity(const ParameterImage& image);

enum class ChannelLayout {
    TwoTemperature,   // "R480"
    FourTemperature,  // "R481"
    TwoAnalog,        // "R482"
    FourAnalog,       // "R483"
};

// The layout that the first four characters of a model string select, if any.
std::optional<ChannelLayout> LayoutForModel(const std::string& model);

// Called once after every successful login: shows the model and the firmware (each up to a
// 0xFF byte), and applies the model's layout; a model that matches none
// leaves the lists, the codes and the enabled states as they were.
void ApplyDeviceIdentity(SettingsView& view, const ParameterImage& image, CodeTables& codes);

// The four layouts. Refilling a list sets its items and selects item 0.
void SetTwoTemperatureChannels(SettingsView& view, CodeTables& codes);
void SetFourTemperatureChannels(SettingsView& view, CodeTables& codes);
void SetTwoAnalogChannels(SettingsView& view, CodeTables& codes);
void SetFourAnalogChannels(SettingsView& view, CodeTables& codes);

// Enables or disables every widget of the alarm group of sensor n.
void SetSensorWidgetsEnabled(SettingsView& view, int sensor, bool enabled);

}  // namespace lgcset::settings
