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
    std::string reason = failure->reason.empty() ? failure->detail : failure->reason;
    while (!reason.empty() && reason.back() == ' ') reason.pop_back();
    return Outcome::Failed(kExitLink, "cannot open the port " + port_ + ": " + reason);
}

bool HeadlessSession::RunUntil(const std::function<bool()>& done) {
    loop_.RunUntil(session_, [&] { return done() || timedOut_ || session_.Lost(); });
    return done();
}

std::string HeadlessSession::LinkError() const {
    if (session_.Lost())
        return "the line to the logger on " + port_ + " was lost";
    return "no reply from the logger on " + port_ + " after " +
           std::to_string(protocol::ResendTracker::kMaxResends) + " resends (Send command timeout)";
}

const protocol::OperationOutcome* HeadlessSession::ReportedSince(
    std::size_t from, const std::function<bool(const protocol::OperationOutcome&)>& matches) const {
    const auto found = std::find_if(outcomes_.begin() + static_cast<std::ptrdiff_t>(from),
                                    outcomes_.end(), matches);
    return found == outcomes_.end() ? nullptr : &*found;
}

const protocol::OperationOutcome* HeadlessSession::ReportedSince(
    std::size_t from, protocol::Operation operation) const {
    return ReportedSince(from, [operation](const protocol::OperationOutcome& o) {
        return o.operation == operation;
    });
}

std::size_t HeadlessSession::RepliesOf(protocol::Command command) const {
    const auto found = replies_.find(protocol::code(command));
    return found == replies_.end() ? 0 : found->second;
}

void HeadlessSession::Run(jobs::Job& job) {
    job_ = &job;
    job.Start();
    if (!RunUntil([&] { return job.Ended(); }))
        job.OnLineEnded(session_.Lost() ? jobs::LineEnd::Lost : jobs::LineEnd::Timeout);
    job_ = nullptr;
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

Outcome HeadlessSession::ReadSettings() {
    const std::size_t from = outcomes_.size();
    device_.ForgetPages();
    operations().ReadSettings();
    if (!RunUntil(
            [&] { return ReportedSince(from, protocol::Operation::ReadSettings) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError() + " while reading page " +
                                              std::to_string(1024 * (ReadPages().size() + 1)));
    return {};
}

Outcome HeadlessSession::SaveSettings() {
    using protocol::Operation;
    using protocol::Result;
    const std::size_t from = outcomes_.size();
    device_.ForgetPages();
    operations().SaveSettings();
    if (const auto* refused = ReportedSince(from, Operation::SaveSettings);
        refused != nullptr && refused->result == Result::Invalid)
        return Outcome::Failed(kExitRefused, refused->detail);
    // A save ends refused, or with the reply to its closing request.
    const auto end = [](const protocol::OperationOutcome& o) {
        return (o.operation == Operation::SaveSettings && o.result != Result::Done) ||
               o.operation == Operation::FinishWrite;
    };
    if (!RunUntil([&] { return ReportedSince(from, end) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError() + " while writing the settings (" +
                                              std::to_string(WrittenPages().size()) +
                                              " of 4 pages written)");
    const protocol::OperationOutcome& ended = *ReportedSince(from, end);
    if (ended.result != Result::Done)
        return Outcome::Failed(kExitRefused, "the logger refused the settings write: " +
                                                 protocol::OutcomeMessage(ended));
    return {};
}

Outcome HeadlessSession::FactoryReset() {
    using protocol::Operation;
    const std::size_t from = outcomes_.size();
    operations().FactoryReset();  // AskYesNo answers yes: the command line has confirmed
    if (!RunUntil([&] { return ReportedSince(from, Operation::FactoryReset) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError());
    const protocol::OperationOutcome& reset = *ReportedSince(from, Operation::FactoryReset);
    if (reset.result == protocol::Result::Done)
        return {};
    return Outcome::Failed(
        kExitRefused, "the logger refused the factory reset: " + protocol::OutcomeMessage(reset));
}

Outcome HeadlessSession::ReadDeviceId(std::string& id) {
    jobs::DeviceIdJob read(device_);
    Run(read);
    if (read.Result().end != jobs::DeviceIdResult::End::Read)
        return Outcome::Failed(kExitLink, LinkError() + " while reading the device ID");
    id = read.Result().deviceId;
    return {};
}

Outcome HeadlessSession::Ask(std::uint8_t requestType, protocol::Command reply,
                             protocol::ReceivedFrame* frame,
                             std::optional<protocol::Operation> awaited) {
    const std::size_t from = outcomes_.size();
    const std::size_t before = RepliesOf(reply);
    device_.SendRequest(requestType);
    if (!RunUntil([&] { return RepliesOf(reply) > before; }))
        return Outcome::Failed(kExitLink, LinkError());
    if (frame != nullptr && lastFrame_)
        *frame = *lastFrame_;
    if (!awaited)
        return {};
    if (const auto* done = ReportedSince(from, *awaited);
        done != nullptr && done->result == protocol::Result::Done)
        return {};
    std::string shown = outcomes_.size() > from ? protocol::OutcomeMessage(outcomes_.back()) : "";
    if (shown.empty())
        shown = "no answer text";
    return Outcome::Failed(kExitRefused, "the logger refused: " + shown);
}

void HeadlessSession::OnFrame(const protocol::ReceivedFrame& frame) {
    lastFrame_ = frame;
    ++replies_[frame.command()];
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
    outcomes_.push_back(outcome);
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

}  // namespace lgcset::cli
