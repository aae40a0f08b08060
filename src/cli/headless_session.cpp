#include "cli/headless_session.h"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "data/printable_text.h"
#include "jobs/identify_job.h"
#include "protocol/commands.h"
#include "session/device_identity.h"
#include "settings/channel_layout.h"
#include "settings/page_layout.h"
#include "settings/parameter_image.h"

namespace lgcset::cli {

int Fail(std::ostream& err, const Outcome& outcome) {
    // One line whatever a file name or typed value in it holds.
    err << "lgcset-cli: " << data::PrintableText(outcome.error) << "\n";
    return outcome.status;
}

HeadlessSession::HeadlessSession(settings::SettingsModel& settings, int resendIntervalMs)
    : settings_(settings),
      serial_(loop_.Sink(), session::SerialReading::WholeRuns()),
      session_(loop_.Timer(), *this),
      device_(session_, settings_, *this) {
    session_.SetResendInterval(std::chrono::milliseconds(resendIntervalMs));
}

HeadlessSession::~HeadlessSession() = default;

Outcome HeadlessSession::Open(const std::string& port) {
    port_ = port;
    return Opened(session_.Open(serial_, port));
}

Outcome HeadlessSession::OpenSimulated(const sim::Options& logger, const std::string& name) {
    port_ = name;
    simulated_ = std::make_unique<session::SimulatedLink>(loop_.Sink(), logger);
    return Opened(session_.Open(*simulated_, name));
}

Outcome HeadlessSession::Opened(const std::optional<session::OpenFailure>& failure) {
    if (!failure)
        return {};
    // The reason the system gave says more than the component's own text; one of them.
    std::string reason = failure->HasSystemReason() ? failure->reason : failure->detail;
    while (!reason.empty() && reason.back() == ' ') reason.pop_back();
    return Outcome::Failed(kExitLink, "cannot open the port " + port_ + ": " + reason);
}

bool HeadlessSession::RunUntil(const std::function<bool()>& done) {
    loop_.RunUntil(session_, [&] { return done() || timedOut_ || session_.Lost(); });
    return done();
}

std::string HeadlessSession::LinkError() const {
    return LinkError(session_.Lost() ? jobs::LineEnd::Lost : jobs::LineEnd::Timeout);
}

std::string HeadlessSession::LinkError(jobs::LineEnd why) const {
    if (why != jobs::LineEnd::Timeout)
        return "the line to the logger on " + port_ + " was lost";
    return "no reply from the logger on " + port_ + " after " +
           std::to_string(protocol::ResendTracker::kMaxResends) + " resends (Send command timeout)";
}

Outcome HeadlessSession::Login() {
    jobs::LoginJob login(device_);
    Run(login);
    switch (login.Result().end) {
        case jobs::LoginResult::End::Done:
            return {};
        case jobs::LoginResult::End::Refused:
            return Outcome::Failed(kExitRefused,
                                   "wrong password: the logger refused the login (" +
                                       protocol::OutcomeMessage({protocol::Operation::Login,
                                                                 protocol::Result::Refused}) +
                                       ")");
        case jobs::LoginResult::End::Running:
        case jobs::LoginResult::End::LineEnded:
            break;
    }
    return Outcome::Failed(kExitLink, LinkError());
}

Outcome HeadlessSession::ReadDeviceId(std::string& id) {
    jobs::DeviceIdJob read(device_);
    Run(read);
    if (read.Result().end != jobs::DeviceIdResult::End::Read)
        return Outcome::Failed(kExitLink, LinkError() + " while reading the device ID");
    id = read.Result().deviceId;
    return {};
}

void HeadlessSession::Run(jobs::Job& job) {
    job_ = &job;
    job.Start();
    if (!RunUntil([&] { return job.Ended(); }) && !job.Ended())
        job.OnLineEnded(session_.Lost() ? jobs::LineEnd::Lost : jobs::LineEnd::Timeout);
    job_ = nullptr;
}

void HeadlessSession::OnFrame(const protocol::ReceivedFrame& frame) {
    device_.Dispatch(frame);
}

void HeadlessSession::OnTimeout() {
    timedOut_ = true;
}

void HeadlessSession::OnLinkLost() {
    // A line that went away answers nothing more: waiting out the re-sends would only
    // delay the same end.
    session_.Close();
}

// ---- protocol::DeviceObserver -------------------------------------------------------------

void HeadlessSession::Report(const protocol::OperationOutcome& outcome) {
    if (job_ != nullptr)
        job_->OnOutcome(outcome);
}

void HeadlessSession::ApplyDeviceIdentity() {
    settings::ApplyDeviceIdentity(settings_, device_.Image(), device_.Codes());
}

void HeadlessSession::OnHistoryCount(const protocol::ReceivedFrame& frame) {
    if (job_ != nullptr)
        job_->OnData(frame);
}

void HeadlessSession::OnHistoryRecord(const protocol::ReceivedFrame& frame) {
    if (job_ != nullptr)
        job_->OnData(frame);
}

void HeadlessSession::OnPage(const protocol::ReceivedFrame& frame) {
    if (job_ != nullptr)
        job_->OnData(frame);
}

void HeadlessSession::OnCurrentData(const protocol::ReceivedFrame& frame) {
    if (job_ != nullptr)
        job_->OnData(frame);
}

void HeadlessSession::ShowDeviceTime(const protocol::ReceivedFrame& frame) {
    if (job_ != nullptr)
        job_->OnData(frame);
}

}  // namespace lgcset::cli
