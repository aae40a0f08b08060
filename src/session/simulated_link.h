// The simulated logger inside the program, as a session's line: no port, no pseudo-
// terminal. Requests go to the logger's own thread; its replies and its unasked debug
// traffic come back through the same sink as a serial port's events, so the session
// cannot tell the two apart. Demo mode runs on it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/comm_event_sink.h"
#include "session/link.h"
#include "sim/factory_pages.h"
#include "sim/options.h"

namespace lgcset::sim {
class Device;
}

namespace lgcset::session {

class SimulatedLink final : public Link {
  public:
    // The logger keeps its memory from one open to the next, as a real one does. The sink
    // must outlive the line.
    SimulatedLink(link::CommEventSink& sink, sim::Options options);
    ~SimulatedLink() override;

    // Any name opens the logger.
    std::optional<OpenFailure> Open(const std::string& name) override;
    void Close() override;
    bool IsOpen() const override { return worker_.joinable(); }
    bool Write(std::span<const std::uint8_t> bytes) override;
    const std::string& Name() const override { return name_; }

    // The logger's parameter memory; while the line is closed only.
    sim::ParameterMemory Memory() const;

  private:
    class Target;
    void Run();
    void HandleRequest(std::span<const std::uint8_t> raw);
    void PostReply(std::uint8_t command, const std::vector<std::uint8_t>& payload);

    link::CommEventSink& sink_;
    sim::Options options_;
    std::unique_ptr<sim::Device> device_;
    std::shared_ptr<Target> target_;
    std::string name_;
    std::uint32_t session_ = 0;  // changed by the owner only while the worker is stopped

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::uint8_t> inbox_;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace lgcset::session
