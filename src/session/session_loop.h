// The owner's loop of a program without a window: it delivers the line's events from a
// BlockingCommQueue and runs the resend timer's ticks when they are due, until the host's
// condition holds.
#pragma once

#include <functional>

#include "link/comm_event_sink.h"
#include "session/resend_timer.h"

namespace lgcset::session {

class LoggerSession;

class SessionLoop {
  public:
    link::BlockingCommQueue& Sink() { return queue_; }
    ResendTimer& Timer() { return timer_; }

    // Runs until done() holds. done() is asked before anything runs and after every event
    // and tick; `session` gets the ticks. Waits for ever while nothing is due: the caller
    // asks only for what a request outstanding (with its timeout) or a line will end.
    void RunUntil(LoggerSession& session, const std::function<bool()>& done);

  private:
    link::BlockingCommQueue queue_;
    DeadlineTimer timer_;
};

}  // namespace lgcset::session
