#include "session/serial_link.h"

#include <limits>

#include "link/open_failure_reason.h"

namespace lgcset::session {

SerialReading SerialReading::WholeRuns() {
    // Each read returns at once with what has arrived (no interval wait), so a reply costs
    // a few events instead of one per byte.
    return {0, std::numeric_limits<std::uint32_t>::max()};
}

SerialLink::SerialLink(link::CommEventSink& sink, SerialReading reading) : comm_(sink) {
    comm_.setBaudRate(kBaudRate);
    comm_.setInputLen(reading.inputLen);  // 0: the whole input buffer
    comm_.setReadIntervalTimeout(reading.readIntervalTimeout);
    comm_.OnReceiveData = [this](link::TComm*, const std::uint8_t* buffer, std::uint16_t length) {
        if (buffer != nullptr && listener() != nullptr)
            listener()->OnReceived(std::span<const std::uint8_t>(buffer, length));
    };
    comm_.OnRequestHangup = [this](link::TComm*) {
        if (listener() != nullptr)
            listener()->OnLost();
    };
}

SerialLink::~SerialLink() {
    comm_.ClosePort();
}

std::optional<OpenFailure> SerialLink::Open(const std::string& name) {
    comm_.setCommName(name);
    const bool heldAlready = comm_.PortOpen();
    OpenFailure failure;
    try {
        comm_.OpenPort();
        if (!heldAlready && comm_.PortOpen())
            return std::nullopt;
        // An open that returns without a new port has failed just as one that raised. The
        // component returns with the system's error number only for a device that opened
        // but is not a serial line; without one, it could not start its signals or threads.
        if (heldAlready)
            failure.why = OpenFailure::Why::AlreadyOpen;
        else if (comm_.PortOpenSystemError() != 0)
            failure.why = OpenFailure::Why::NotSerialDevice;
        else
            failure.why = OpenFailure::Why::NotStarted;
        failure.detail = comm_.PortOpenError();
        comm_.ClosePort();
    } catch (const link::ECommsError& e) {
        failure.why = OpenFailure::Why::SystemRefused;
        failure.detail = e.what();
    }
    failure.systemError = comm_.PortOpenSystemError();
    failure.reason = link::OpenFailureReason(failure.systemError, name);
    return failure;
}

void SerialLink::Close() {
    comm_.ClosePort();
}

bool SerialLink::Write(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > std::numeric_limits<std::uint16_t>::max())
        return false;
    return comm_.WriteData(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
}

}  // namespace lgcset::session
