#include "link/SerialComm.h"

#include <algorithm>
#include <system_error>

#include "link/comm_notifier.h"
#include "link/comm_threads.h"
#include "link/serial_device.h"

namespace lgcset::link {

namespace {

// Texts left in PortOpenError.
constexpr const char* kAlreadyOpen = "This serial port already opened";
constexpr const char* kCannotOpen = "Error opening serial port";
constexpr const char* kNotACommHandle = "File handle is not a comm handle ";
constexpr const char* kCannotSetupBuffer = "Cannot setup comm buffer";
constexpr const char* kCannotCreateEvent = "Unable to create event";
constexpr const char* kCannotCreateReader = "Unable to create read thread";
constexpr const char* kCannotCreateWriter = "Unable to create write thread";

}  // namespace

TComm::TComm(CommEventSink& sink) : notifier_(std::make_shared<CommNotifier>(this, sink)) {}

TComm::~TComm() {
    ClosePort();
    notifier_->Detach();
}

void TComm::OpenPort() {
    portOpenError_.clear();
    portOpenSystemError_ = 0;
    if (device_) {
        portOpenError_ = kAlreadyOpen;
        return;
    }

    std::unique_ptr<SerialDevice> device;
    switch (OpenSerialDevice(commName_, device, portOpenSystemError_)) {
        case OpenFailure::None:
            break;
        case OpenFailure::CannotOpen:
            portOpenError_ = kCannotOpen;
            throw ECommsError(kCannotOpen);
        case OpenFailure::NotACommHandle:
            portOpenError_ = kNotACommHandle;
            return;
        case OpenFailure::CannotSetupBuffer:
            portOpenError_ = kCannotSetupBuffer;
            throw ECommsError(kCannotSetupBuffer);
    }

    device->PurgeInput();
    device->PurgeOutput();
    device->ApplyTimeouts(timeouts_);
    device->ApplyLineSettings(line_);
    if (!device->CreateSignals()) {
        portOpenError_ = kCannotCreateEvent;
        return;  // the device closes itself
    }

    // The reader asks for InputLen bytes into a buffer of InBufferSize bytes.
    inputLen_ = std::min(inputLen_, inBufferSize_);
    notifier_->BeginSession();

    auto reader = std::make_unique<TReadThread>(*device, *notifier_, inputLen_, inBufferSize_);
    try {
        reader->Start();
    } catch (const std::system_error&) {
        notifier_->EndSession();
        portOpenError_ = kCannotCreateReader;
        return;
    }
    auto writer = std::make_unique<TWriteThread>(*device, *notifier_);
    try {
        writer->Start();
    } catch (const std::system_error&) {
        device->SignalClose();
        device->PurgeInput();
        reader->Join();
        notifier_->EndSession();
        portOpenError_ = kCannotCreateWriter;
        return;
    }
    // Once OpenPort returns, WriteData is accepted.
    writer->WaitUntilRunning();

    device_ = std::move(device);
    reader_ = std::move(reader);
    writer_ = std::move(writer);
}

void TComm::ClosePort() {
    portOpenError_.clear();
    if (!device_) {
        return;
    }
    device_->SignalClose();
    device_->PurgeInput();
    reader_.reset();  // joins
    device_->PurgeOutput();
    writer_.reset();  // joins
    device_->DiscardQueuedWrites();
    device_.reset();
    notifier_->EndSession();  // a hang-up still queued asked to end this session only
}

bool TComm::WriteData(const std::uint8_t* data, std::uint16_t count) {
    if (!writer_ || !writer_->Queue(data, count))
        return false;
    bytesSent_ += count;
    return true;
}

bool TComm::PortOpen() const {
    return device_ != nullptr;
}

void TComm::setPortOpen(bool open) {
    if (open) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void TComm::setCommPort(std::uint8_t port) {
    if (port == 0 || port == commPort_) {
        return;
    }
    commPort_ = port;
    commName_ = "COM" + std::to_string(port);
}

void TComm::setOutput(const std::string& text) {
    output_ = text;
    // Longer texts go out as several blocks rather than losing everything past 65535 bytes.
    constexpr std::size_t kMaxBlock = 0xFFFF;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(output_.data());
    for (std::size_t offset = 0; offset < output_.size(); offset += kMaxBlock) {
        const auto count = static_cast<std::uint16_t>(std::min(kMaxBlock, output_.size() - offset));
        if (!WriteData(bytes + offset, count)) {
            break;
        }
    }
}

void TComm::setInputLen(std::uint16_t length) {
    if (length == 0) {
        inputLen_ = inBufferSize_;
    } else if (length <= inBufferSize_) {
        inputLen_ = length;
    }
}

void TComm::setInBufferSize(std::uint16_t size) {
    inBufferSize_ = size == 0 ? 1 : size;
}

void TComm::setCommName(const std::string& name) {
    commName_ = name;
}

template <typename T>
void TComm::SetLineField(T TCommLineSettings::*field, T value) {
    if (line_.*field == value) {
        return;
    }
    line_.*field = value;
    if (device_) {
        device_->ApplyLineSettings(line_);
    }
}

void TComm::SetTimeoutField(std::uint32_t TCommTimeouts::*field, std::uint32_t value) {
    if (timeouts_.*field == value) {
        return;
    }
    timeouts_.*field = value;
    if (device_) {
        device_->ApplyTimeouts(timeouts_);
    }
}

void TComm::setBaudRate(std::uint32_t value) {
    SetLineField(&TCommLineSettings::BaudRate, value);
}
void TComm::setParityCheck(bool value) {
    SetLineField(&TCommLineSettings::ParityCheck, value);
}
void TComm::setOutx_CtsFlow(bool value) {
    SetLineField(&TCommLineSettings::Outx_CtsFlow, value);
}
void TComm::setOutx_DsrFlow(bool value) {
    SetLineField(&TCommLineSettings::Outx_DsrFlow, value);
}
void TComm::setDtrControl(TDtrControl value) {
    SetLineField(&TCommLineSettings::DtrControl, value);
}
void TComm::setDsrSensitivity(bool value) {
    SetLineField(&TCommLineSettings::DsrSensitivity, value);
}
void TComm::setTxContinueOnXoff(bool value) {
    SetLineField(&TCommLineSettings::TxContinueOnXoff, value);
}
void TComm::setOutx_XonXoffFlow(bool value) {
    SetLineField(&TCommLineSettings::Outx_XonXoffFlow, value);
}
void TComm::setInx_XonXoffFlow(bool value) {
    SetLineField(&TCommLineSettings::Inx_XonXoffFlow, value);
}
void TComm::setReplaceWhenParityError(bool value) {
    SetLineField(&TCommLineSettings::ReplaceWhenParityError, value);
}
void TComm::setIgnoreNullChar(bool value) {
    SetLineField(&TCommLineSettings::IgnoreNullChar, value);
}
void TComm::setRtsControl(TRtsControl value) {
    SetLineField(&TCommLineSettings::RtsControl, value);
}
void TComm::setXonLimit(std::uint16_t value) {
    SetLineField(&TCommLineSettings::XonLimit, value);
}
void TComm::setXoffLimit(std::uint16_t value) {
    SetLineField(&TCommLineSettings::XoffLimit, value);
}
void TComm::setByteSize(TByteSize value) {
    SetLineField(&TCommLineSettings::ByteSize, value);
}
void TComm::setParity(TParity value) {
    SetLineField(&TCommLineSettings::Parity, value);
}
void TComm::setStopBits(TStopBits value) {
    SetLineField(&TCommLineSettings::StopBits, value);
}
void TComm::setXonChar(std::uint8_t value) {
    SetLineField(&TCommLineSettings::XonChar, value);
}
void TComm::setXoffChar(std::uint8_t value) {
    SetLineField(&TCommLineSettings::XoffChar, value);
}
void TComm::setReplacedChar(std::uint8_t value) {
    SetLineField(&TCommLineSettings::ReplacedChar, value);
}

void TComm::setReadIntervalTimeout(std::uint32_t value) {
    SetTimeoutField(&TCommTimeouts::ReadIntervalTimeout, value);
}
void TComm::setReadTotalTimeoutMultiplier(std::uint32_t value) {
    SetTimeoutField(&TCommTimeouts::ReadTotalTimeoutMultiplier, value);
}
void TComm::setReadTotalTimeoutConstant(std::uint32_t value) {
    SetTimeoutField(&TCommTimeouts::ReadTotalTimeoutConstant, value);
}
void TComm::setWriteTotalTimeoutMultiplier(std::uint32_t value) {
    SetTimeoutField(&TCommTimeouts::WriteTotalTimeoutMultiplier, value);
}
void TComm::setWriteTotalTimeoutConstant(std::uint32_t value) {
    SetTimeoutField(&TCommTimeouts::WriteTotalTimeoutConstant, value);
}

}  // namespace lgcset::link
