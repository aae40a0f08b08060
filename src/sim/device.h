// The logger itself, without a line: takes one request and tells what it answers, keeps the
// parameter memory, the clock, the relay, the history selection and the debug switch.
// Not thread-safe: the simulator's thread owns it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/debug_traffic.h"
#include "sim/factory_pages.h"
#include "sim/history_log.h"
#include "sim/options.h"
#include "sim/request_frame.h"

namespace lgcset::sim {

struct Reply {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;  // never more than 256 bytes
};

class Device {
  public:
    // `hostNow`: the host's local wall-clock seconds when the device starts; the device
    // clock starts equal to it.
    Device(const Options& options, std::int64_t hostNow);

    // The reply to a request, or nothing for a command the logger does not know (and for a
    // page read outside the four settings pages).
    std::optional<Reply> Handle(const Request& request, std::int64_t hostNow);

    bool debugOn() const { return debugOn_; }
    // The payloads of the relay control requests taken, oldest first (the newest 64).
    const std::vector<std::vector<std::uint8_t>>& relayRequests() const { return relayRequests_; }
    // The next frame of unasked debug traffic (command DebugData).
    Reply NextDebugFrame(std::int64_t hostNow);

    std::int64_t DeviceSeconds(std::int64_t hostNow) const { return hostNow + clockOffset_; }
    const ParameterMemory& memory() const { return memory_; }
    const HistoryLog& history() const { return history_; }

  private:
    Reply Login(const Request& r) const;
    std::optional<Reply> PageCommand(const Request& r);
    Reply HistoryCount(const Request& r);
    Reply HistoryRecord(const Request& r) const;
    // One past the last record (in the selection) of the reply that starts at `start`.
    std::uint32_t ReplyEnd(std::uint32_t start) const;
    Reply CurrentData(std::int64_t hostNow) const;
    Reply RelayControl(const Request& r, std::int64_t hostNow);
    Reply SetTime(const Request& r, std::int64_t hostNow);
    Reply ReadTime(std::int64_t hostNow) const;
    Reply DebugMode(const Request& r);
    bool RelayOn(std::int64_t deviceNow) const;

    Options options_;
    ChannelLayout layout_;
    ParameterMemory memory_{};
    std::int64_t clockOffset_ = 0;
    HistoryLog history_;
    HistoryLog::Range selection_;
    // Where each reply of the selection starts in it, and one past the last reply's end:
    // up to recordsPerReply records a reply, as many as fit in its payload.
    std::vector<std::uint32_t> replyStarts_;
    bool debugOn_ = false;
    DebugTraffic debugTraffic_;
    std::size_t debugScriptStep_ = 0;
    std::vector<std::vector<std::uint8_t>> relayRequests_;
    std::uint32_t erasesRefused_ = 0;

    // Relay test: on from relayStart_; 'C' for relayOnFor_ seconds, 'P' in relayCycles_ cycles
    // of relayOnFor_ on and relayOffFor_ off.
    std::int64_t relayStart_ = 0;
    std::int64_t relayOnFor_ = 0;
    std::int64_t relayOffFor_ = 0;
    std::int64_t relayCycles_ = 0;
};

}  // namespace lgcset::sim
