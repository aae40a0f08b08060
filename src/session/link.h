// A line to one logger, as the session sees it: opened by name, written whole requests,
// and heard from through a listener on the thread that owns the session. The serial port
// is one kind of line; the simulated logger inside the program is another.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lgcset::session {

// Why a line could not be opened. Callers decide by `why` and `systemError`; the two texts
// are only shown.
struct OpenFailure {
    enum class Why {
        AlreadyOpen,      // the line is open already
        SystemRefused,    // the system would not open the device (systemError says why)
        NotSerialDevice,  // the device opened but is not a serial line
        NotStarted,       // the line opened but could not be made ready to carry bytes
    };
    Why why = Why::SystemRefused;
    // The system's error number behind the failure (errno, GetLastError()); 0 when it gave
    // none.
    int systemError = 0;
    std::string detail;  // the line's own words
    std::string reason;  // the system's reason in words; empty when systemError is 0

    bool HasSystemReason() const { return systemError != 0; }
};

class LinkListener {
  public:
    virtual ~LinkListener() = default;
    // Bytes as they came off the line, on the owner's thread.
    virtual void OnReceived(std::span<const std::uint8_t> bytes) = 0;
    // The line went away by itself (the far end hung up, the adapter was pulled out); at
    // most once per open. The line stays held until Close.
    virtual void OnLost() = 0;
};

class Link {
  public:
    virtual ~Link() = default;

    // Opens the named line; nothing when it is open.
    virtual std::optional<OpenFailure> Open(const std::string& name) = 0;
    // Never throws, never waits for the far end; closing a closed line does nothing.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // False when the line does not take the bytes (closed, or its queue is full).
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // The name of the last Open.
    virtual const std::string& Name() const = 0;

    void SetListener(LinkListener* listener) { listener_ = listener; }

  protected:
    LinkListener* listener() const { return listener_; }

  private:
    LinkListener* listener_ = nullptr;
};

}  // namespace lgcset::session
