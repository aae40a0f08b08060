// The platform side of one open serial port, as the component and its two threads use it.
// A platform supplies OpenSerialDevice and one SerialDevice implementation; TComm and the
// thread classes stay the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/SerialComm.h"

namespace lgcset::link {

// One WriteData call on its way to the writer: the count and the block the writer owns.
// It travels by value: the block is the only allocation of a write.
struct WriteRequest {
    std::uint16_t count = 0;
    std::unique_ptr<std::uint8_t[]> block;
};

enum class OpenFailure {
    None,
    CannotOpen,         // the device cannot be opened (also: held by another opener)
    NotACommHandle,     // it opened but is not a serial line; already closed again
    CannotSetupBuffer,  // the driver refused its queue sizes; already closed again
};

// Outcome of one reader wait.
struct ReadOutcome {
    enum class Kind {
        Data,         // `count` bytes are in the caller's buffer
        LineError,    // `flags` holds kCommError* bits
        ModemChange,  // `flags` holds kModem* bits
        Closed,       // the close event is set: end quietly
        Lost,         // the port went away or failed: request a hang-up and end
    };
    Kind kind = Kind::Closed;
    std::size_t count = 0;
    std::uint32_t flags = 0;
};

// What one look at the driver's error flags and modem lines reports: the errors first, and
// modem changes found with them wait in `heldModem` for the reader's next call. False when
// there is nothing to report.
inline bool ReportLineLook(std::uint32_t errors, std::uint32_t modem, std::uint32_t& heldModem,
                           ReadOutcome& outcome) {
    if (errors != 0) {
        outcome = {ReadOutcome::Kind::LineError, 0, errors};
        heldModem |= modem;
        return true;
    }
    if (modem != 0) {
        outcome = {ReadOutcome::Kind::ModemChange, 0, modem};
        return true;
    }
    return false;
}

enum class WriteOutcome { Done, Closed, Lost };
enum class WriterWake { Queued, Closed, Lost };

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Called on the owner's thread; failures are ignored, as the line may not support a
    // setting (a pseudo-terminal has no modem lines).
    virtual void ApplyLineSettings(const TCommLineSettings& settings) = 0;
    virtual void ApplyTimeouts(const TCommTimeouts& timeouts) = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;

    // The close event and the writer's queue; false when either cannot be created.
    virtual bool CreateSignals() = 0;
    // Sets the close event. It stays set: every later wait of either thread ends at once.
    virtual void SignalClose() = 0;
    virtual bool CloseSignalled() const = 0;

    // Reader: waits for data, a line event or the close event. Data completes once at
    // least one byte is there, and holds at most `wanted` bytes (see ApplyTimeouts).
    virtual ReadOutcome Read(std::uint8_t* buffer, std::size_t wanted) = 0;
    // Reader: waits up to `milliseconds` for the close event; true when it is set.
    virtual bool WaitForClose(int milliseconds) = 0;

    // Any thread to the writer; false when the queue refuses the request (it is then freed).
    virtual bool QueueWrite(WriteRequest request) = 0;
    // Writer: the next queued request without waiting, or nothing.
    virtual std::optional<WriteRequest> TakeWrite() = 0;
    // Writer: waits for a queued request or the close event.
    virtual WriterWake WaitForWrite() = 0;
    // Writer: writes all bytes unless the close event comes first or the port fails.
    virtual WriteOutcome WriteAll(const std::uint8_t* data, std::size_t count) = 0;
    // Owner, after both threads ended: frees what is still queued.
    virtual void DiscardQueuedWrites() = 0;
};

// Raises the calling thread's scheduling priority by a few steps; silently does nothing
// where the system does not allow it.
void RaiseThreadPriority(int steps);

// Opens the port named by a CommName for exclusive read/write use. On failure systemError
// holds the system's error number (errno on Linux, GetLastError() on Windows).
OpenFailure OpenSerialDevice(const std::string& commName, std::unique_ptr<SerialDevice>& device,
                             int& systemError);

}  // namespace lgcset::link
