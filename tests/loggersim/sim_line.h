// The configurator's end of a line to an in-process simulated logger: requests are built
// with the project's frame codec, replies are taken apart by its frame assembler.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "loggersim/simulator.h"
#include "protocol/command_codes.h"
#include "protocol/frame_codec.h"

namespace lgcset::sim::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Stuffed request frame as the configurator sends it.
Bytes Request(protocol::Command command, const Bytes& payload = {});

class SimLine {
  public:
    // A socket pair, the simulator serving one end.
    explicit SimLine(Options options = {});
    // Our end of an existing descriptor (e.g. the slave side of a pseudo-terminal).
    SimLine(int fd, bool owns);
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    Simulator* simulator() { return simulator_.get(); }
    int fd() const { return fd_; }

    void Write(const Bytes& bytes);
    // Every byte arriving until nothing came for `quiet` (or `limit` has passed).
    Bytes ReadUntilQuiet(std::chrono::milliseconds quiet = 150ms,
                         std::chrono::milliseconds limit = 3000ms);
    // Bytes until they end with `tail` (or `limit` has passed).
    Bytes ReadUntilEndsWith(const Bytes& tail, std::chrono::milliseconds limit = 3000ms);
    // Bytes until `count` arrived or `limit` passed.
    Bytes ReadCount(std::size_t count, std::chrono::milliseconds limit = 3000ms);
    // True when the other end closed the line within `limit`.
    bool WaitForHangUp(std::chrono::milliseconds limit = 3000ms);

    // Frames the codec accepts from the next bytes, until `count` frames or `limit`.
    std::vector<protocol::ReceivedFrame> Frames(std::size_t count,
                                                std::chrono::milliseconds limit = 3000ms);
    // Sends a request and returns the payload of its one reply; nothing when no frame came.
    std::optional<Bytes> Ask(protocol::Command command, const Bytes& payload = {},
                             std::chrono::milliseconds limit = 2000ms);
    std::optional<Bytes> AskRaw(const Bytes& frame, std::chrono::milliseconds limit = 2000ms);

  private:
    // Reads what is there within `wait`; false on timeout or end of line.
    bool ReadSome(Bytes& out, std::chrono::milliseconds wait);

    std::unique_ptr<Simulator> simulator_;
    int fd_ = -1;
    bool owns_ = true;
    bool closed_ = false;
    protocol::FrameAssembler assembler_;
    std::vector<protocol::ReceivedFrame> pending_;
};

// The frame's payload as bytes to compare and keep.
Bytes PayloadOf(const protocol::ReceivedFrame& frame);

// Options with a history that ends at a fixed moment, for tests that count records.
Options FixedHistoryOptions(CivilTime end, int intervalMinutes, int days);

}  // namespace lgcset::sim::test
