// The tools' jobs on the connected logger: its clock read and set, the relay test and the
// current data. Each sends one request and ends with its reply.
#pragma once

#include <optional>

#include "data/current_data.h"
#include "data/device_clock.h"
#include "data/relay_test.h"
#include "jobs/job.h"
#include "session/device_session.h"

namespace lgcset::jobs {

// A tool that ends with the logger's yes or no (set the clock, the relay test).
struct ToolResult {
    enum class End { Done, Refused, LineEnded };
    End end = End::Done;
    LineEnd line = LineEnd::Closed;
};

struct ClockReadResult {
    enum class End { Read, LineEnded };
    End end = End::Read;
    data::ClockReply reply;  // Read: its kind says whether it is a time
    LineEnd line = LineEnd::Closed;
};

// The logger's clock as its reply gives it. Replies are taken by their code alone: the
// window shows one that nobody waited for as well, through the same decoding.
ClockReadResult ClockOfReply(const protocol::ReceivedFrame& frame);

class ClockReadJob final : public Job {
  public:
    explicit ClockReadJob(session::DeviceSession& device) : device_(device) {}

    void Start() override;
    void OnData(const protocol::ReceivedFrame& frame) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const ClockReadResult& Result() const { return *result_; }

  private:
    session::DeviceSession& device_;
    std::optional<ClockReadResult> result_;
};

// Sets the logger's clock to `clock` (data::StoreClockFromPickers, StoreClockFromNow).
class ClockSetJob final : public Job {
  public:
    ClockSetJob(session::DeviceSession& device, const protocol::ClockSetting& clock)
        : device_(device), clock_(clock) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const ToolResult& Result() const { return *result_; }
    const protocol::ClockSetting& Clock() const { return clock_; }

  private:
    session::DeviceSession& device_;
    protocol::ClockSetting clock_;
    std::optional<ToolResult> result_;
};

// Starts (NC/NO, pulses) or stops the relay; a stop sends no times and keeps those stored.
class RelayJob final : public Job {
  public:
    RelayJob(session::DeviceSession& device, const data::RelayTestRequest& request)
        : device_(device), request_(request) {}

    void Start() override;
    void OnOutcome(const protocol::OperationOutcome& outcome) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const ToolResult& Result() const { return *result_; }

  private:
    session::DeviceSession& device_;
    data::RelayTestRequest request_;
    std::optional<ToolResult> result_;
};

struct CurrentDataResult {
    enum class End { Read, LineEnded };
    End end = End::Read;
    data::CurrentReading reading;
    bool undefinedItem = false;  // an item of unknown tag ended the decoding
    LineEnd line = LineEnd::Closed;
};

// The present readings as a current-data reply gives them (taken by code, as the clock).
CurrentDataResult CurrentDataOfReply(const protocol::ReceivedFrame& frame);

class CurrentDataJob final : public Job {
  public:
    explicit CurrentDataJob(session::DeviceSession& device) : device_(device) {}

    void Start() override;
    void OnData(const protocol::ReceivedFrame& frame) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.has_value(); }
    const CurrentDataResult& Result() const { return *result_; }

  private:
    session::DeviceSession& device_;
    std::optional<CurrentDataResult> result_;
};

}  // namespace lgcset::jobs
