// The session's timer in simulated time: Advance moves the clock on and fires every tick
// that falls due, so re-sends and timeouts are checked without waiting.
#pragma once

#include <chrono>

#include "session/logger_session.h"
#include "session/resend_timer.h"

namespace lgcset::support {

class FakeTimer final : public session::ResendTimer {
  public:
    Clock::time_point Now() const override { return now_; }
    void Start(std::chrono::milliseconds interval) override {
        ++starts;
        interval_ = interval;
        due_ = now_ + interval;
        active_ = true;
    }
    void Stop() override { active_ = false; }
    bool Active() const override { return active_; }

    // Moves simulated time on, firing the timer whenever it is due.
    void Advance(std::chrono::milliseconds by, session::LoggerSession& session) {
        const Clock::time_point end = now_ + by;
        while (active_ && due_ <= end) {
            now_ = due_;
            due_ += interval_;
            session.OnTimerTick();
        }
        now_ = end;
    }
    int starts = 0;

  private:
    Clock::time_point now_{};
    Clock::time_point due_{};
    std::chrono::milliseconds interval_{0};
    bool active_ = false;
};

}  // namespace lgcset::support
