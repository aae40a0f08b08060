#include "ui/profile_limits.h"

#include "settings/settings_model.h"

namespace lgcset::ui {

ProfileLimits ReadProfileLimits(const std::filesystem::path& path,
                                std::optional<settings::ChannelLayout> layout) {
    ProfileLimits read;
    settings::SettingsModel model;
    read.outcome = profiles::LoadProfileFile(path, model, read.error);
    if (read.outcome == profiles::ProfileLoad::Loaded)
        read.setups = analysis::SetupsFromSettings(model, layout);
    return read;
}

}  // namespace lgcset::ui
