// Knowing the logger on the line: the login, which names its model, firmware and channel
// layout, and the device ID of its system page, read on its own as any other request is.
#pragma once

#include <optional>
#include <string>

#include "jobs/job.h"
#include "session/device_session.h"
#include "settings/channel_layout.h"

namespace lgcset::jobs {

struct LoginResult {
    enum class End { Running, Done, Refused, LineEnded };
    End end = End::Running;
    LineEnd line = LineEnd::Timeout;  // with LineEnded
    // From the login reply, as the settings' model and firmware boxes show them.
    std::string model;
    std::string firmware;
    std::optional<settings::ChannelLayout> layout;  // none for a model of no known layout
};

// Logs in with the password of the session's settings.
class LoginJob final : public Job {
  public:
    explicit LoginJob(session::DeviceSession& device) : device_(device) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.end != LoginResult::End::Running; }
    const LoginResult& Result() const { return result_; }

  private:
    session::DeviceSession& device_;
    LoginResult result_;
};

struct DeviceIdResult {
    enum class End { Running, Read, LineEnded };
    End end = End::Running;
    LineEnd line = LineEnd::Timeout;  // with LineEnded
    std::string deviceId;             // with Read; all '0' when none was set
};

// Reads the system page on its own and decodes the device ID from it after the login
// reply; the settings stay as they are. Run after a login.
class DeviceIdJob final : public Job {
  public:
    explicit DeviceIdJob(session::DeviceSession& device) : device_(device) {}

    // Asks for the page; started again, asks again.
    void Start() override;
    void OnData(const protocol::ReceivedFrame& frame) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.end != DeviceIdResult::End::Running; }
    const DeviceIdResult& Result() const { return result_; }

  private:
    session::DeviceSession& device_;
    DeviceIdResult result_;
};

}  // namespace lgcset::jobs
