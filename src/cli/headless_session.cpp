#include "cli/headless_session.h"

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

// The dispatcher's texts for a request the logger refused.
constexpr std::array<std::string_view, 6> kRefusals{
    protocol::kLoginFailureMessage, protocol::kEraseFailureMessage,
    protocol::kSaveFailureMessage,  protocol::kOperateFailureMessage,
    protocol::kResetFailureMessage, protocol::kTimeSetFailureMessage};

}  // namespace

void ApplyIdentity(settings::SettingsModel& model, std::span<const std::uint8_t> loginReply,
                   settings::CodeTables& codes) {
    settings::ParameterImage image;
    image.Store(protocol::kLoginReplyAddress, loginReply);
    settings::ApplyDeviceIdentity(model, image, codes);
}

HeadlessSession::HeadlessSession(settings::SettingsModel& settings, int resendIntervalMs)
    : settings_(settings), resendInterval_(resendIntervalMs) {
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
        nextTick_.reset();
        resend_.Stop();
    });
    assembler_.SetOnFrame([this](const protocol::ReceivedFrame& frame) { OnFrame(frame); });
    // A line that went away answers nothing more: waiting out the resends would only delay
    // the same end.
    cm1_.OnRequestHangup = [this](link::TComm*) {
        lineLost_ = true;
        nextTick_.reset();
        resend_.Stop();
    };
}

HeadlessSession::~HeadlessSession() {
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
    using Clock = std::chrono::steady_clock;
    // Without a tick to wait for, the wait is cut short only to look at done() again.
    constexpr std::chrono::seconds kIdleWait{1};
    while (!done()) {
        if (timedOut_ || lineLost_)
            return false;
        lineEvents_.DeliverUntil(nextTick_.value_or(Clock::now() + kIdleWait));
        if (nextTick_ && Clock::now() >= *nextTick_) {
            nextTick_ = Clock::now() + resendInterval_;
            OnTick();
        }
    }
    return true;
}

std::string HeadlessSession::LinkError() const {
    if (lineLost_)
        return "the line to the logger on " + port_ + " was lost";
    return "no reply from the logger on " + port_ + " after " +
           std::to_string(protocol::ResendTracker::kMaxResends) + " resends (Send command timeout)";
}

bool HeadlessSession::ShownSince(std::size_t from, std::string_view text) const {
    return std::find(messages_.begin() + static_cast<std::ptrdiff_t>(from), messages_.end(),
                     text) != messages_.end();
}

std::optional<std::string> HeadlessSession::RefusalSince(std::size_t from) const {
    for (std::size_t i = from; i < messages_.size(); ++i)
        if (std::find(kRefusals.begin(), kRefusals.end(), messages_[i]) != kRefusals.end())
            return messages_[i];
    return std::nullopt;
}

std::size_t HeadlessSession::RepliesOf(protocol::Command command) const {
    const auto found = replies_.find(protocol::code(command));
    return found == replies_.end() ? 0 : found->second;
}

Outcome HeadlessSession::Login() {
    const std::size_t from = messages_.size();
    operations_.Login();
    const bool answered = RunUntil([&] { return messages_.size() > from; });
    if (!answered)
        return Outcome::Failed(kExitLink, LinkError());
    if (ShownSince(from, protocol::kLoginSuccessMessage))
        return {};
    return Outcome::Failed(kExitRefused, "wrong password: the logger refused the login (" +
                                             std::string(protocol::kLoginFailureMessage) + ")");
}

Outcome HeadlessSession::ReadSettings() {
    const std::size_t from = messages_.size();
    readPages_.clear();
    operations_.ReadSettings();
    if (!RunUntil([&] { return ShownSince(from, protocol::kReadDoneMessage); }))
        return Outcome::Failed(kExitLink, LinkError() + " while reading page " +
                                              std::to_string(1024 * (readPages_.size() + 1)));
    return {};
}

Outcome HeadlessSession::SaveSettings() {
    const std::size_t from = messages_.size();
    const std::size_t finished = RepliesOf(protocol::Command::FinishWrite);
    refusedSave_.reset();
    writtenPages_.clear();
    operations_.SaveSettings();
    if (refusedSave_)
        return Outcome::Failed(kExitRefused, *refusedSave_);
    const bool ended = RunUntil(
        [&] { return RefusalSince(from) || RepliesOf(protocol::Command::FinishWrite) > finished; });
    if (!ended)
        return Outcome::Failed(kExitLink, LinkError() + " while writing the settings (" +
                                              std::to_string(writtenPages_.size()) +
                                              " of 4 pages written)");
    if (const auto refusal = RefusalSince(from))
        return Outcome::Failed(kExitRefused, "the logger refused the settings write: " + *refusal);
    return {};
}

Outcome HeadlessSession::FactoryReset() {
    const std::size_t from = messages_.size();
    operations_.FactoryReset();  // AskYesNo answers yes: the command line has confirmed
    if (!RunUntil([&] { return messages_.size() > from; }))
        return Outcome::Failed(kExitLink, LinkError());
    if (ShownSince(from, protocol::kResetDoneMessage))
        return {};
    return Outcome::Failed(kExitRefused,
                           "the logger refused the factory reset: " + messages_.back());
}

Outcome HeadlessSession::Ask(std::uint8_t requestType, protocol::Command reply,
                             protocol::ReceivedFrame* frame,
                             std::vector<std::string_view> successTexts) {
    const std::size_t from = messages_.size();
    const std::size_t before = RepliesOf(reply);
    SendRequest(requestType);
    if (!RunUntil([&] { return RepliesOf(reply) > before; }))
        return Outcome::Failed(kExitLink, LinkError());
    if (frame != nullptr && lastFrame_)
        *frame = *lastFrame_;
    if (successTexts.empty())
        return {};
    for (const std::string_view text : successTexts)
        if (ShownSince(from, text))
            return {};
    const std::string shown = messages_.size() > from ? messages_.back() : "no answer text";
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
    resend_.OnSend(sendBuffer);
    nextTick_ = std::chrono::steady_clock::now() + resendInterval_;
}

void HeadlessSession::OnTick() {
    const protocol::ResendTick tick = resend_.OnTick();
    if (tick.timeout) {
        nextTick_.reset();
        timedOut_ = true;
    } else if (!tick.resend.empty()) {
        cm1_.WriteData(tick.resend.data(), static_cast<std::uint16_t>(tick.resend.size()));
    } else {
        nextTick_.reset();  // nothing outstanding
    }
}

// ---- protocol::DeviceHost ----------------------------------------------------------------

void HeadlessSession::ShowMessage(std::string_view text) {
    messages_.emplace_back(text);
}

bool HeadlessSession::AskYesNo(std::string_view, protocol::DefaultAnswer) {
    return true;
}

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
    refusedSave_ = settings::InvalidFieldsMessage(invalid);
    return refusedSave_;
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
