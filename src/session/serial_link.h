// The serial port as a session's line: the serial component with its two threads, whose
// events reach the owner through the sink it is built with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/SerialComm.h"
#include "link/comm_event_sink.h"
#include "session/link.h"

namespace lgcset::session {

// How the port hands over what it reads: the window takes the line one byte per event
// after a 100 ms interval; a program without a window takes whatever has arrived at once.
struct SerialReading {
    std::uint16_t inputLen = 1;
    std::uint32_t readIntervalTimeout = 100;

    static SerialReading OneByteAtATime() { return {}; }
    static SerialReading WholeRuns();
};

class SerialLink final : public Link {
  public:
    static constexpr std::uint32_t kBaudRate = 115200;

    // The sink must outlive the line.
    SerialLink(link::CommEventSink& sink, SerialReading reading);
    ~SerialLink() override;

    std::optional<OpenFailure> Open(const std::string& name) override;
    void Close() override;
    bool IsOpen() const override { return comm_.PortOpen(); }
    bool Write(std::span<const std::uint8_t> bytes) override;
    const std::string& Name() const override { return comm_.CommName(); }

    // The component itself, for whoever shows or tests its state.
    link::TComm& Comm() { return comm_; }

  private:
    link::TComm comm_;
};

}  // namespace lgcset::session
