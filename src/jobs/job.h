// A job: one thing asked of a logger, from its first request to its typed result. The
// window, lgcset-cli and collect run the same jobs: a host starts one, passes on what the
// conversation reports while it runs, and reads its result once it has ended. The window
// passes events on as they come; lgcset-cli runs the session's loop until Ended().
#pragma once

#include "protocol/frame_codec.h"
#include "protocol/operation_outcome.h"

namespace lgcset::jobs {

// Why the line ended a job before the logger did.
enum class LineEnd {
    Timeout,  // the logger stopped answering (Send command timeout)
    Lost,     // the line went away (a USB adapter pulled out)
    Closed,   // the user or the host closed the link
};

class Job {
  public:
    virtual ~Job() = default;

    // Sends the first request, or refuses at once (Ended() then holds).
    virtual void Start() = 0;
    // The end of a device operation, as protocol::DeviceObserver::Report tells it.
    virtual void OnOutcome([[maybe_unused]] const protocol::OperationOutcome& outcome) {}
    // A reply handed to whoever asked for it (a history count or record, current data,
    // the device's time, a page read on its own).
    virtual void OnData([[maybe_unused]] const protocol::ReceivedFrame& frame) {}
    // The job ends with what it has.
    virtual void OnLineEnded(LineEnd why) = 0;
    virtual bool Ended() const = 0;
};

}  // namespace lgcset::jobs
