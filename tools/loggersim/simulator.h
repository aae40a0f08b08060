// A simulated R48x logger serving one byte stream (a pseudo-terminal master, a socket) on
// its own thread. Usage:
//
//   sim::Simulator simulator(options);
//   std::string error;
//   if (!simulator.StartOnPseudoTerminal(&error)) { ... }
//   OpenSerialPort(simulator.slavePath());
//   ...
//   simulator.Stop();
//
// or, with a descriptor of one's own: `simulator.Start(fd)`.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "loggersim/pseudo_terminal.h"
#include "sim/factory_pages.h"
#include "sim/options.h"

namespace lgcset::sim {

// What the simulator has done so far; readable from any thread while it runs.
struct Counters {
    std::atomic<std::uint32_t> framesReceived{0};  // complete frames with a valid check
    std::atomic<std::uint32_t> framesRejected{0};  // complete frames that failed the check
    std::atomic<std::uint32_t> framesSent{0};      // replies and debug frames fully written
    std::atomic<std::uint32_t> repliesDropped{0};
    std::atomic<std::uint32_t> repliesCorrupted{0};
    std::atomic<std::uint32_t> repliesDuplicated{0};
    std::atomic<std::uint32_t> outputDiscarded{0};  // frames lost because nobody read the line
};

class Simulator {
  public:
    explicit Simulator(Options options);
    ~Simulator();  // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Serves `fd` on a new thread and takes it over: the simulator closes it when it stops,
    // when it hangs up on purpose, or when the other end closes. The descriptor is made
    // non-blocking. False (and `error` says why) when already running or when the trace file
    // cannot be opened; the descriptor is closed then too.
    bool Start(int fd, std::string* error = nullptr);

    // Opens a pseudo-terminal pair and serves its master; slavePath() then names the port.
    // Prefer this to Start() with a master of one's own: a hang-up then waits for the
    // reader to take the bytes already sent, which closing a master would throw away.
    bool StartOnPseudoTerminal(std::string* error = nullptr);
    const std::string& slavePath() const { return slavePath_; }

    // Ends the thread and closes the line. Safe to call more than once.
    void Stop();

    bool running() const { return thread_.joinable() && !finished_.load(); }
    // True once the thread has ended on its own: hang-up fault or the line closed.
    bool finished() const { return finished_.load(); }

    const Counters& counters() const { return counters_; }

    // A copy of the logger's parameter memory as it stands; callable from any thread while
    // the simulator runs, and after it stopped (the memory as it was left). Before the
    // first start: the factory state is not known yet, every byte 0xFF.
    ParameterMemory Memory() const;

    // The logger's tools as they stand, callable from any thread: the device clock now and
    // whether debug mode is on (nothing and false while not running), and the payloads of
    // the relay control requests taken, oldest first (the newest 64).
    std::optional<CivilTime> DeviceClock() const;
    bool DebugModeOn() const;
    std::vector<std::vector<std::uint8_t>> RelayRequests() const;

    // A line that goes dead and comes back, switched from any thread while running: after
    // AnswerOnly(n) the logger takes the next n valid requests and then no more (they never
    // reach it, as with a cable pulled out) until AnswerAll().
    void AnswerOnly(std::uint32_t requests) { requestsToAnswer_.store(requests); }
    void AnswerAll() { requestsToAnswer_.store(-1); }

  private:
    class Loop;
    bool StartLoop(int fd, int drainProbe, std::string* error);

    Options options_;
    Counters counters_;
    std::optional<PseudoTerminal> pty_;
    std::string slavePath_;
    std::unique_ptr<Loop> loop_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    // Guards the device between the simulator's thread and Memory().
    mutable std::mutex deviceMutex_;
    std::atomic<std::int64_t> requestsToAnswer_{-1};  // -1: every request
    ParameterMemory lastMemory_{};
};

}  // namespace lgcset::sim
