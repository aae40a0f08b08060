// One conversation with one logger: the line, the frames coming off it, and the single
// send path every request takes. A request is stuffed, written and echoed, and written
// again at each tick of the resend timer until a valid reply comes: three re-sends at most,
// the fourth tick gives up ("Send command timeout"). Only one request is outstanding: a
// new one replaces the one being re-sent. A reply ends the re-sends of the request that
// shares its command code; a frame with another code leaves them running.
//
// Plain C++ on the owner's thread: the host delivers the line's events and the timer's
// ticks there (the window from its event loop, lgcset-cli from a SessionLoop, the tests by
// hand in simulated time).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/transmission.h"
#include "session/link.h"
#include "session/resend_timer.h"

namespace lgcset::session {

// What the session tells its host. Every call runs on the owner's thread; a call may open
// a modal box (a nested event loop) in which the host closes the session.
class SessionObserver {
  public:
    virtual ~SessionObserver() = default;
    // A request as it went to the line, stuffed: the sent half of the traffic log.
    virtual void OnSent(std::span<const std::uint8_t> /*stuffed*/) {}
    // Every complete raw frame that came in, valid or not: the received half.
    virtual void OnRawFrame(std::span<const std::uint8_t> /*raw*/) {}
    // A valid reply; re-sending has stopped already.
    virtual void OnFrame(const protocol::ReceivedFrame& frame) = 0;
    // "resend:1" .. "resend:3": the request is being re-sent.
    virtual void OnResendStatus(const std::string& /*panelText*/) {}
    // The request went unanswered after its last re-send; the timer has stopped.
    virtual void OnTimeout() {}
    // The line went away by itself; the host closes the session.
    virtual void OnLinkLost() {}
};

class LoggerSession final : private LinkListener {
  public:
    static constexpr std::chrono::milliseconds kResendInterval{1000};

    LoggerSession(ResendTimer& timer, SessionObserver& observer);
    ~LoggerSession() override;
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    // Opens `name` on `line`, which the session then uses until Close. The session must
    // be closed, and the line must outlive it (or the next Open on another line).
    std::optional<OpenFailure> Open(Link& line, const std::string& name);
    // Ends what runs on the line (the request being re-sent, a frame half received) and
    // closes it. True when a request was still being re-sent.
    bool Close();
    bool IsOpen() const { return open_; }
    // True once the line of this open went away by itself.
    bool Lost() const { return lost_; }
    // The line of the last Open, null before the first.
    Link* CurrentLink() const { return link_; }

    // The send path for one unstuffed frame. A frame whose stuffed form the line cannot
    // take in one write is not sent.
    void Send(std::span<const std::uint8_t> frame);
    // The host's timer fired.
    void OnTimerTick();
    // No more re-sends of the outstanding request (Stop, or the host ends it).
    void StopResend();
    // From a frame's handling: the frame was not the outstanding request's reply, whose
    // re-sends (and timeout) go on where they stood.
    void ResumeResend();
    void SetResendInterval(std::chrono::milliseconds interval);

    bool Resending() const { return resend_.Active(); }
    int ResendCount() const { return resend_.ResendCount(); }
    std::span<const std::uint8_t> ResendCopy() const { return resend_.ResendCopy(); }
    protocol::FrameAssembler& Assembler() { return assembler_; }

  private:
    void OnReceived(std::span<const std::uint8_t> bytes) override;
    void OnLost() override;
    void Write(std::span<const std::uint8_t> stuffed);
    void ArmTimer();
    void StartTimer(std::chrono::milliseconds interval);

    ResendTimer& timer_;
    SessionObserver& observer_;
    Link* link_ = nullptr;
    bool open_ = false;
    bool lost_ = false;
    protocol::FrameAssembler assembler_;
    protocol::ResendTracker resend_;
    // The stuffed form of the request being sent, kept from request to request.
    std::vector<std::uint8_t> sendBuffer_;
    std::uint8_t outstandingCommand_ = 0;  // of the request last sent
    std::chrono::milliseconds interval_ = kResendInterval;
    // What the running timer was last started with, the time of the last send, and whether
    // the running timer's next tick comes before a full interval after that send.
    std::chrono::milliseconds timerInterval_{0};
    ResendTimer::Clock::time_point lastSend_{};
    bool tickEarly_ = false;
};

}  // namespace lgcset::session
