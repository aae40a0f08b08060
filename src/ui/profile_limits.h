// The sensors' kinds and alarm limits that a profile file holds, for charting a CSV file
// against the limits the logger had, without loading the profile into the window.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "analysis/sensor_setup.h"
#include "profiles/profile.h"

namespace lgcset::ui {

struct ProfileLimits {
    profiles::ProfileLoad outcome = profiles::ProfileLoad::Unreadable;
    analysis::SensorSetups setups{};  // when Loaded
    std::string error;                // when Unreadable or Unfit
};

ProfileLimits ReadProfileLimits(const std::filesystem::path& path,
                                std::optional<settings::ChannelLayout> layout);

}  // namespace lgcset::ui
