#include "jobs/identify_job.h"

#include "protocol/command_codes.h"
#include "protocol/commands.h"
#include "session/device_identity.h"
#include "settings/settings_model.h"

namespace lgcset::jobs {

void LoginJob::Start() {
    result_ = {};
    device_.Operations().Login();
}

void LoginJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    if (Ended() || outcome.operation != protocol::Operation::Login)
        return;
    if (outcome.result != protocol::Result::Done) {
        result_.end = LoginResult::End::Refused;
        return;
    }
    result_.end = LoginResult::End::Done;
    // Read as the settings show them: into a scratch model, up to the first unset byte.
    settings::SettingsModel scratch;
    settings::CodeTables codes;
    session::ApplyIdentity(scratch, device_.LoginReply(), codes);
    result_.model = scratch.Text(settings::Setting::Model);
    result_.firmware = scratch.Text(settings::Setting::Firmware);
    settings::ParameterImage image;
    image.Store(protocol::kLoginReplyAddress, device_.LoginReply());
    result_.layout = settings::LayoutForModel(settings::ReadDeviceIdentity(image).model);
}

void LoginJob::OnLineEnded(LineEnd why) {
    if (Ended())
        return;
    result_.end = LoginResult::End::LineEnded;
    result_.line = why;
}

void DeviceIdJob::Start() {
    result_ = {};
    device_.Operations().ReadPageAlone(protocol::kSystemPage);
}

void DeviceIdJob::OnData(const protocol::ReceivedFrame& frame) {
    if (Ended() || frame.command() != protocol::code(protocol::Command::ReadPage))
        return;
    result_.end = DeviceIdResult::End::Read;
    result_.deviceId = session::DeviceIdOfSystemPage(device_.LoginReply(), frame.payload);
}

void DeviceIdJob::OnLineEnded(LineEnd why) {
    if (Ended())
        return;
    result_.end = DeviceIdResult::End::LineEnded;
    result_.line = why;
}

}  // namespace lgcset::jobs
