// What the window and lgcset-cli both learn from the logger outside of a settings read: the
// settings model a login leaves, and the device ID from a system page read on its own.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "settings/parameter_image.h"
#include "settings/settings_model.h"

namespace lgcset::session {

// A settings model as it stands after a login to the logger whose login reply is given:
// the model's lists and codes adapted to its channels, the codes in `codes`.
void ApplyIdentity(settings::SettingsModel& model, std::span<const std::uint8_t> loginReply,
                   settings::CodeTables& codes);

// The device ID of a system page, decoded into a scratch model after the login
// reply: whoever asked keeps its own settings as they were.
std::string DeviceIdOfSystemPage(std::span<const std::uint8_t> loginReply,
                                 std::span<const std::uint8_t> systemPage);

}  // namespace lgcset::session
