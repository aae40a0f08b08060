#include "session/session_loop.h"

#include "session/logger_session.h"

namespace lgcset::session {

void SessionLoop::RunUntil(LoggerSession& session, const std::function<bool()>& done) {
    while (!done()) {
        const auto deadline =
            timer_.Active() ? timer_.Next() : ResendTimer::Clock::time_point::max();
        if (queue_.DeliverUntil(deadline) > 0)
            continue;
        if (timer_.Active() && timer_.Now() >= timer_.Next()) {
            timer_.Advance();
            session.OnTimerTick();
        }
    }
}

}  // namespace lgcset::session
