// The session's resend timer on the window's event loop: tmr_cf itself, so that what the
// window shows of it (and what its tests watch) is the timer the session runs.
#pragma once

#include <QTimer>

#include "session/resend_timer.h"

namespace lgcset::ui {

class QtResendTimer final : public session::ResendTimer {
  public:
    explicit QtResendTimer(QTimer& timer) : timer_(timer) {}

    Clock::time_point Now() const override { return Clock::now(); }
    void Start(std::chrono::milliseconds interval) override {
        timer_.start(static_cast<int>(interval.count()));
    }
    void Stop() override { timer_.stop(); }
    bool Active() const override { return timer_.isActive(); }

  private:
    QTimer& timer_;
};

}  // namespace lgcset::ui
