// The session's sense of time: a clock and the one timer that paces re-sends. The window
// runs the timer on its event loop, a program without a window on its own loop, and the
// tests in simulated time. The host calls LoggerSession::OnTimerTick when the timer fires.
#pragma once

#include <chrono>

namespace lgcset::session {

class ResendTimer {
  public:
    using Clock = std::chrono::steady_clock;

    virtual ~ResendTimer() = default;
    virtual Clock::time_point Now() const = 0;
    // Fires every `interval` from now on until stopped; a running timer starts afresh.
    virtual void Start(std::chrono::milliseconds interval) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

// A timer for a host that waits on its own: it only says when the next tick is due.
class DeadlineTimer final : public ResendTimer {
  public:
    Clock::time_point Now() const override { return Clock::now(); }
    void Start(std::chrono::milliseconds interval) override {
        interval_ = interval;
        next_ = Now() + interval;
        active_ = true;
    }
    void Stop() override { active_ = false; }
    bool Active() const override { return active_; }

    Clock::time_point Next() const { return next_; }
    // The host calls this before the tick it is about to run: the next one is an interval on.
    void Advance() { next_ += interval_; }

  private:
    std::chrono::milliseconds interval_{0};
    Clock::time_point next_{};
    bool active_ = false;
};

}  // namespace lgcset::session
