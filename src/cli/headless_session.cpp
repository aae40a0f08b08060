#include "cli/headless_session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <limits>

#include "link/open_failure_reason.h"
#include "protocol/commands.h"
#include "settings/channel_layout.h"

namespace lgcset::cli {

namespace {

// The port takes at most this many bytes per write.
constexpr std::size_t kMaxWrite = std::numeric_limits<std::uint16_t>::max();

}  // namespace

void ApplyIdentity(settings::SettingsModel& model, std::span<const std::uint8_t> loginReply,
                   settings::CodeTables& codes) {
    settings::ParameterImage image;
    image.Store(protocol::kLoginReplyAddress, loginReply);
    settings::ApplyDeviceIdentity(model, image, codes);
}

HeadlessSession::HeadlessSession(settings::SettingsModel& settings, int resendIntervalMs)
    : settings_(settings) {
    tmr_cf_.setInterval(resendIntervalMs);
    QObject::connect(&tmr_cf_, &QTimer::timeout, [this] { OnTick(); });
    // The device link at the window's line settings. The window takes the line one byte
    // per event; here each read returns at once with whatever has arrived (no interval
    // wait), so a reply costs a few events instead of one per byte.
    cm1_.setBaudRate(115200);
    cm1_.setInputLen(cm1_.InBufferSize());
    cm1_.setReadIntervalTimeout(std::numeric_limits<std::uint32_t>::max());
    cm1_.OnReceiveData = [this](link::TComm*, const std::uint8_t* buffer, std::uint16_t length) {
        if (buffer != nullptr)
            assembler_.Feed(std::span<const std::uint8_t>(buffer, length));
    };
    assembler_.SetOnAccepted([this] {
        tmr_cf_.stop();
        resend_.Stop();
    });
    assembler_.SetOnFrame([this](const protocol::ReceivedFrame& frame) { OnFrame(frame); });
    // A line that went away answers nothing more: waiting out the resends would only delay
    // the same end.
    cm1_.OnRequestHangup = [this](link::TComm*) {
        lineLost_ = true;
        tmr_cf_.stop();
        resend_.Stop();
    };
}

HeadlessSession::~HeadlessSession() {
    tmr_cf_.stop();
    cm1_.ClosePort();
}

Outcome HeadlessSession::Open(const std::string& port) {
    port_ = port;
    std::string detail;
    int error = 0;
    try {
        cm1_.setCommName(port);
        errno = 0;
        cm1_.OpenPort();
        error = errno;
        if (cm1_.PortOpenError().empty())
            return {};
        detail = cm1_.PortOpenError();
        cm1_.ClosePort();
    } catch (const std::exception& e) {
        error = errno;
        detail = e.what();
    }
    // The reason the system gave says more than the component's own text; one of them.
    std::string reason = link::OpenFailureReason(error, port);
    if (reason.empty())
        reason = detail;
    while (!reason.empty() && reason.back() == ' ') reason.pop_back();
    return Outcome::Failed(kExitLink, "cannot open the port " + port + ": " + reason);
}

bool HeadlessSession::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (timedOut_ || lineLost_)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::string HeadlessSession::LinkError() const {
    if (lineLost_)
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

Outcome HeadlessSession::Login() {
    using protocol::Operation;
    const std::size_t from = outcomes_.size();
    operations_.Login();
    if (!RunUntil([&] { return ReportedSince(from, Operation::Login) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError());
    if (ReportedSince(from, Operation::Login)->result == protocol::Result::Done)
        return {};
    return Outcome::Failed(
        kExitRefused, "wrong password: the logger refused the login (" +
                          protocol::OutcomeMessage({Operation::Login, protocol::Result::Refused}) +
                          ")");
}

Outcome HeadlessSession::ReadSettings() {
    const std::size_t from = outcomes_.size();
    readPages_.clear();
    operations_.ReadSettings();
    if (!RunUntil(
            [&] { return ReportedSince(from, protocol::Operation::ReadSettings) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError() + " while reading page " +
                                              std::to_string(1024 * (readPages_.size() + 1)));
    return {};
}

Outcome HeadlessSession::SaveSettings() {
    using protocol::Operation;
    using protocol::Result;
    const std::size_t from = outcomes_.size();
    writtenPages_.clear();
    operations_.SaveSettings();
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
                                              std::to_string(writtenPages_.size()) +
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
    operations_.FactoryReset();  // AskYesNo answers yes: the command line has confirmed
    if (!RunUntil([&] { return ReportedSince(from, Operation::FactoryReset) != nullptr; }))
        return Outcome::Failed(kExitLink, LinkError());
    const protocol::OperationOutcome& reset = *ReportedSince(from, Operation::FactoryReset);
    if (reset.result == protocol::Result::Done)
        return {};
    return Outcome::Failed(
        kExitRefused, "the logger refused the factory reset: " + protocol::OutcomeMessage(reset));
}

Outcome HeadlessSession::Ask(std::uint8_t requestType, protocol::Command reply,
                             protocol::ReceivedFrame* frame,
                             std::optional<protocol::Operation> awaited) {
    const std::size_t from = outcomes_.size();
    const std::size_t before = RepliesOf(reply);
    SendRequest(requestType);
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
    try {
        operations_.DispatchResponse(frame);
    } catch (...) {
        // An exception must not unwind through the event loop that delivered the bytes;
        // the operation then does not advance and ends in the timeout.
    }
}

void HeadlessSession::TransmitFrame(std::span<const std::uint8_t> frame) {
    const std::vector<std::uint8_t> sendBuffer = protocol::EscapeFrame(frame);
    if (sendBuffer.size() > kMaxWrite)
        return;
    cm1_.WriteData(sendBuffer.data(), static_cast<std::uint16_t>(sendBuffer.size()));
    // The first re-send comes a full interval after this send.
    tmr_cf_.stop();
    resend_.OnSend(sendBuffer);
    tmr_cf_.start();
}

void HeadlessSession::OnTick() {
    const protocol::ResendTick tick = resend_.OnTick();
    if (tick.timeout) {
        tmr_cf_.stop();
        timedOut_ = true;
    } else if (!tick.resend.empty()) {
        cm1_.WriteData(tick.resend.data(), static_cast<std::uint16_t>(tick.resend.size()));
    } else {
        tmr_cf_.stop();  // nothing outstanding
    }
}

// ---- protocol::DeviceRequests -------------------------------------------------------------

void HeadlessSession::SendLogin() {
    TransmitFrame(protocol::BuildLogin(settings_.Text("edt_setpwd")));
}

void HeadlessSession::SendReadPage(std::uint32_t address) {
    TransmitFrame(protocol::BuildReadPage(address));
}

void HeadlessSession::SendErasePage(std::uint32_t address) {
    TransmitFrame(protocol::BuildErasePage(address));
}

void HeadlessSession::SendWritePage(std::uint32_t address) {
    Page& page = writtenPages_[address];
    const auto bytes = image_.Bytes(address, page.size());
    std::copy(bytes.begin(), bytes.end(), page.begin());
    TransmitFrame(protocol::BuildWritePage(address, image_.All()));
}

void HeadlessSession::SendRequest(std::uint8_t requestType) {
    if (const auto frame = protocol::BuildRequest(requestType, params_))
        TransmitFrame(*frame);
}

void HeadlessSession::ClearImage() {
    settings::ClearImage(image_);
}

void HeadlessSession::StoreReplyPage(std::uint32_t address, const protocol::ReceivedFrame& frame) {
    // The whole payload area: bytes past the reply's payload are 0xFF.
    image_.Store(address, frame.payload);
    if (address == protocol::kLoginReplyAddress) {
        loginReply_.assign(frame.payload.begin(), frame.payload.end());
    } else {
        Page& page = readPages_[address];
        std::copy_n(frame.payload.begin(), page.size(), page.begin());
    }
}

void HeadlessSession::EncodePage(std::uint32_t address) {
    settings::EncodePage(address, settings_, image_, codes_);
}

void HeadlessSession::DecodePage(std::uint32_t address) {
    settings::DecodePage(address, settings_, image_, codes_);
}

std::optional<std::string> HeadlessSession::InvalidSettingsMessage() {
    const std::vector<settings::InvalidField> invalid = settings::ValidateForSave(settings_);
    if (invalid.empty())
        return std::nullopt;
    return settings::InvalidFieldsMessage(invalid);
}

// ---- protocol::DeviceObserver -------------------------------------------------------------

void HeadlessSession::Report(const protocol::OperationOutcome& outcome) {
    outcomes_.push_back(outcome);
}

void HeadlessSession::ApplyDeviceIdentity() {
    settings::ApplyDeviceIdentity(settings_, image_, codes_);
}

void HeadlessSession::OnHistoryCount(const protocol::ReceivedFrame& frame) {
    if (onHistoryCount)
        onHistoryCount(frame);
}

void HeadlessSession::OnHistoryRecord(const protocol::ReceivedFrame& frame) {
    if (onHistoryRecord)
        onHistoryRecord(frame);
}

}  // namespace lgcset::cli
