// Random settings a user could type: every field of a profile given a value within what
// its box takes and the logger keeps, so that "Save Settings" accepts it.
#pragma once

#include <random>
#include <string>

#include "settings/settings_model.h"

namespace lgcset::soak {

// Fills every profile field of `model` (whose channel lists the login has set) with a
// random value that the save check accepts.
void FillRandomSettings(std::mt19937_64& rng, settings::SettingsModel& model);

}  // namespace lgcset::soak
