#include "session/device_identity.h"

#include "protocol/commands.h"
#include "settings/channel_layout.h"
#include "settings/page_layout.h"

namespace lgcset::session {

void ApplyIdentity(settings::SettingsModel& model, std::span<const std::uint8_t> loginReply,
                   settings::CodeTables& codes) {
    settings::ParameterImage image;
    image.Store(protocol::kLoginReplyAddress, loginReply);
    settings::ApplyDeviceIdentity(model, image, codes);
}

std::string DeviceIdOfSystemPage(std::span<const std::uint8_t> loginReply,
                                 std::span<const std::uint8_t> systemPage) {
    settings::SettingsModel scratch;
    settings::CodeTables codes;
    ApplyIdentity(scratch, loginReply, codes);
    settings::ParameterImage image;
    image.Store(settings::kSystemPageAddress, systemPage);
    settings::DecodePage(settings::kSystemPageAddress, scratch, image, codes);
    return scratch.Text(settings::Setting::DeviceId);
}

}  // namespace lgcset::session
