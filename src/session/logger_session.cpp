#include "session/logger_session.h"

#include <limits>
#include <utility>

namespace lgcset::session {

namespace {

// A line takes at most this many bytes per write.
constexpr std::size_t kMaxWrite = std::numeric_limits<std::uint16_t>::max();

}  // namespace

LoggerSession::LoggerSession(ResendTimer& timer, SessionObserver& observer)
    : timer_(timer), observer_(observer) {
    assembler_.SetOnRawFrame(
        [this](std::span<const std::uint8_t> raw) { observer_.OnRawFrame(raw); });
    // A request and its reply share their command code. Only a reply with the code of the
    // request being re-sent ends its re-sends: a stray frame (a late or doubled reply to an
    // earlier request, a debug frame the logger sends unasked) must not leave the request
    // waiting without re-sends or timeout when its own reply is lost.
    assembler_.SetOnFrame([this](const protocol::ReceivedFrame& frame) {
        if (frame.command() == outstandingCommand_)
            resend_.Stop();
        observer_.OnFrame(frame);
        // The timer runs on only for a request that the reply's handling sent.
        if (!resend_.Active())
            timer_.Stop();
    });
}

LoggerSession::~LoggerSession() {
    Close();
    if (link_ != nullptr)
        link_->SetListener(nullptr);
}

std::optional<OpenFailure> LoggerSession::Open(Link& line, const std::string& name) {
    if (link_ != nullptr && link_ != &line)
        link_->SetListener(nullptr);
    link_ = &line;
    link_->SetListener(this);
    lost_ = false;
    std::optional<OpenFailure> failure = link_->Open(name);
    open_ = !failure;
    return failure;
}

bool LoggerSession::Close() {
    if (!open_)
        return false;
    open_ = false;
    const bool resending = resend_.Active();
    StopResend();
    link_->Close();
    // A reply cut off by the close must not take in the first bytes of the next line.
    assembler_.Reset();
    return resending;
}

void LoggerSession::Send(std::span<const std::uint8_t> frame) {
    sendBuffer_.clear();
    protocol::EscapeFrame(frame, sendBuffer_);
    if (sendBuffer_.size() > kMaxWrite)
        return;
    Write(sendBuffer_);
    outstandingCommand_ = frame.size() > 3 ? frame[3] : 0;
    resend_.OnSend(sendBuffer_);
    ArmTimer();
}

void LoggerSession::Write(std::span<const std::uint8_t> stuffed) {
    // A line that refuses the bytes is not asked again at once: the re-sends try, and the
    // request times out as one that got no answer.
    if (link_ != nullptr)
        link_->Write(stuffed);
    observer_.OnSent(stuffed);
}

void LoggerSession::ArmTimer() {
    // The first re-send comes a full interval after this send. A timer still running, as
    // it is when a reply's handling sends the next request, is not started afresh (that
    // costs the window an allocation at every record of a history transfer): its next tick,
    // now early, only waits for the rest of the interval.
    lastSend_ = timer_.Now();
    if (timer_.Active()) {
        tickEarly_ = true;
        return;
    }
    tickEarly_ = false;
    StartTimer(interval_);
}

void LoggerSession::StartTimer(std::chrono::milliseconds interval) {
    timerInterval_ = interval;
    timer_.Start(interval);
}

void LoggerSession::OnTimerTick() {
    if (std::exchange(tickEarly_, false) && resend_.Active()) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(lastSend_ + interval_ - timer_.Now());
        if (left.count() > 0) {
            StartTimer(left);
            return;
        }
    }
    if (timerInterval_ != interval_ && timer_.Active())
        StartTimer(interval_);  // after the rest of an interval, whole ones
    const protocol::ResendTick tick = resend_.OnTick();
    if (tick.panelText)
        observer_.OnResendStatus(*tick.panelText);
    if (tick.timeout) {
        timer_.Stop();
        observer_.OnTimeout();
    } else if (!tick.resend.empty()) {
        Write(tick.resend);
    } else {
        timer_.Stop();  // nothing outstanding
    }
}

void LoggerSession::ResumeResend() {
    if (!open_)
        return;
    resend_.Resume();
    if (resend_.Active() && !timer_.Active())
        StartTimer(interval_);
}

void LoggerSession::StopResend() {
    timer_.Stop();
    resend_.Stop();
}

void LoggerSession::SetResendInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    if (timer_.Active())
        StartTimer(interval);
}

void LoggerSession::OnReceived(std::span<const std::uint8_t> bytes) {
    // Bytes still queued when the line was closed come from a line no longer held (the
    // last ones of a lost line, behind its hang-up): they answer nothing.
    if (!open_)
        return;
    assembler_.Feed(bytes);
}

void LoggerSession::OnLost() {
    if (!open_ || lost_)
        return;
    lost_ = true;
    observer_.OnLinkLost();
}

}  // namespace lgcset::session
