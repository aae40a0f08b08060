// lgcset-cli's host of the conversation with the logger, over the in-memory settings model.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "data/history_query.h"
#include "jobs/job.h"
#include "protocol/device_host.h"
#include "protocol/frame_codec.h"
#include "protocol/operation_outcome.h"
#include "protocol/request_params.h"
#include "session/device_identity.h"
#include "session/device_session.h"
#include "session/logger_session.h"
#include "session/serial_link.h"
#include "session/session_loop.h"
#include "session/simulated_link.h"
#include "settings/settings_model.h"
#include "sim/options.h"

namespace lgcset::cli {

// Exit statuses of the program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitRefused = 1,  // the logger refused, a check failed, or settings differ
    kExitUsage = 2,    // the command line or a file named on it is wrong
    kExitLink = 3,     // the port cannot be opened or the logger does not answer
};

// What an operation came to: kExitOk, or a status and the one line that says why.
struct Outcome {
    int status = kExitOk;
    std::string error;
    bool ok() const { return status == kExitOk; }
    static Outcome Failed(int status, std::string error) { return {status, std::move(error)}; }
};

// Says why on `err` as lgcset-cli says it; the outcome's status.
int Fail(std::ostream& err, const Outcome& outcome);

using Page = session::Page;

// The logger's line, the conversation on it and the device operations, hosted without a
// window: each operation runs the session's loop until the logger has given the reply that
// ends it, refused, or stopped answering.
class HeadlessSession final : public protocol::DeviceObserver, private session::SessionObserver {
  public:
    // The settings the operations read and write; it must outlive the session.
    explicit HeadlessSession(settings::SettingsModel& settings, int resendIntervalMs = 1000);
    ~HeadlessSession() override;

    Outcome Open(const std::string& port);
    // The simulated logger inside the program (demo mode), named `name` in messages.
    Outcome OpenSimulated(const sim::Options& logger, const std::string& name);
    // Logs in with the password in the settings' login box.
    Outcome Login();
    // The device ID from the system page, read on its own and decoded into a
    // scratch model: the settings do not change.
    Outcome ReadDeviceId(std::string& id);
    protocol::RequestParams& Params() { return device_.Params(); }
    const std::vector<std::uint8_t>& LoginReply() const { return device_.LoginReply(); }
    const std::map<std::uint32_t, Page>& ReadPages() const { return device_.ReadPages(); }
    const std::map<std::uint32_t, Page>& WrittenPages() const { return device_.WrittenPages(); }

    // Starts the job and runs the session's loop until it has ended, passing on what the
    // conversation reports; a request that timed out or a lost line ends it.
    void Run(jobs::Job& job);
    // The device operations' host, for a job.
    session::DeviceSession& Device() { return device_; }

    // Runs the session's loop until done() holds, a request timed out or the line was
    // lost; false on the timeout or the loss.
    bool RunUntil(const std::function<bool()>& done);
    // The one line for a request that got no reply: the line was lost, or the logger did
    // not answer.
    std::string LinkError() const;
    std::string LinkError(jobs::LineEnd why) const;

    // protocol::DeviceObserver
    void Report(const protocol::OperationOutcome& outcome) override;
    // The command line has confirmed beforehand what the window asks.
    bool AskYesNo(std::string_view, protocol::DefaultAnswer) override { return true; }
    void ApplyDeviceIdentity() override;
    void OnHistoryCount(const protocol::ReceivedFrame& frame) override;
    void OnHistoryRecord(const protocol::ReceivedFrame& frame) override;
    void OnCurrentData(const protocol::ReceivedFrame& frame) override;
    void ShowDeviceTime(const protocol::ReceivedFrame& frame) override;
    void OnPage(const protocol::ReceivedFrame& frame) override;

  private:
    // session::SessionObserver
    void OnFrame(const protocol::ReceivedFrame& frame) override;
    void OnTimeout() override;
    void OnLinkLost() override;

    Outcome Opened(const std::optional<session::OpenFailure>& failure);
    protocol::DeviceOperations& operations() { return device_.Operations(); }

    settings::SettingsModel& settings_;
    session::SessionLoop loop_;
    session::SerialLink serial_;
    std::unique_ptr<session::SimulatedLink> simulated_;
    session::LoggerSession session_;
    session::DeviceSession device_;
    std::string port_;
    jobs::Job* job_ = nullptr;  // the one Run runs
    bool timedOut_ = false;
};

using session::ApplyIdentity;

}  // namespace lgcset::cli
