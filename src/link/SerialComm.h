// TComm: one serial port with a reader and a writer thread. Everything that happens on the
// line comes back as events through the owner's sink (link/comm_event_sink.h); they run on
// the thread that delivers the sink's events, one at a time, in the order the threads
// posted them. The component is driven from that thread only.
//
// Naming: each property keeps its established name as the getter (BaudRate()) and gets a
// setter with a "set" prefix (setBaudRate()). Events are public std::function members.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace lgcset::link {

// Raised by OpenPort when the device cannot be opened; carries the message text only.
class ECommsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Ordinals from 0; the enable value comes first, unlike the driver's own numbering.
enum class TDtrControl : std::uint8_t { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl : std::uint8_t {
    RtsEnable,
    RtsDisable,
    RtsHandshake,
    RtsTransmissionAvailable
};
enum class TByteSize : std::uint8_t { _5, _6, _7, _8 };
enum class TParity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class TStopBits : std::uint8_t { _1, _1_5, _2 };

// The line setup that ApplyLineSettings hands to the port as one unit.
struct TCommLineSettings {
    std::uint32_t BaudRate = 9600;
    bool ParityCheck = false;
    bool Outx_CtsFlow = false;
    bool Outx_DsrFlow = false;
    TDtrControl DtrControl = TDtrControl::DtrDisable;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = false;
    bool Outx_XonXoffFlow = false;
    bool Inx_XonXoffFlow = false;
    bool ReplaceWhenParityError = false;
    bool IgnoreNullChar = false;
    TRtsControl RtsControl = TRtsControl::RtsDisable;
    std::uint16_t XonLimit = 500;
    std::uint16_t XoffLimit = 500;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
    std::uint8_t XonChar = 0x11;
    std::uint8_t XoffChar = 0x13;
    std::uint8_t ReplacedChar = 0x00;

    bool operator==(const TCommLineSettings&) const = default;
};

// Read and write timeouts in milliseconds, handed to the port as one unit.
struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 100;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const TCommTimeouts&) const = default;
};

// Line error flags given to OnReceiveError (bit set).
inline constexpr std::uint32_t kCommErrorRxOver = 0x0001;   // input buffer overflow
inline constexpr std::uint32_t kCommErrorOverrun = 0x0002;  // hardware overrun
inline constexpr std::uint32_t kCommErrorParity = 0x0004;
inline constexpr std::uint32_t kCommErrorFrame = 0x0008;
inline constexpr std::uint32_t kCommErrorBreak = 0x0010;

// Modem bits given to OnModemStateChange; both may be set together.
inline constexpr std::uint32_t kModemCarrierDetectChanged = 8;
inline constexpr std::uint32_t kModemRing = 4;

class TComm;
class TReadThread;
class TWriteThread;
class CommNotifier;
class CommEventSink;
class SerialDevice;

// The buffer is valid only during the call and is followed by a zero byte.
using TReceiveDataEvent =
    std::function<void(TComm* sender, const std::uint8_t* buffer, std::uint16_t bufferLength)>;
using TReceiveErrorEvent = std::function<void(TComm* sender, std::uint32_t eventMask)>;
using TModemStateChangeEvent = std::function<void(TComm* sender, std::uint32_t modemEvent)>;
using TNotifyEvent = std::function<void(TComm* sender)>;
using TSendDataEmptyEvent = std::function<void(TComm* sender)>;

class TComm {
  public:
    // The line's events are posted to `sink`, which must outlive the component.
    explicit TComm(CommEventSink& sink);
    // An open port is closed first.
    ~TComm();
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Opens CommName and starts both threads. Throws ECommsError ("Error opening serial
    // port") when the device cannot be opened; other failures set PortOpenError and return.
    // When it returns with the port open, the writer already accepts WriteData.
    void OpenPort();
    // Stops both threads and closes the port; never throws, never waits for the line.
    void ClosePort();
    // False when the port is closed (no running writer) or count is 0. Otherwise the bytes
    // are copied, queued for the writer in call order, and the caller's buffer is free again.
    bool WriteData(const std::uint8_t* data, std::uint16_t count);
    // The bytes on the line since the component was made: those WriteData took for the
    // writer, and those delivered as received data (whether or not OnReceiveData is bound).
    // For the owner's thread, as the events.
    std::uint64_t BytesSent() const { return bytesSent_; }
    std::uint64_t BytesReceived() const { return bytesReceived_; }

    // Properties, in their declared order.
    bool PortOpen() const;  // true while a port handle is held
    void setPortOpen(bool open);
    std::uint8_t CommPort() const { return commPort_; }
    void setCommPort(std::uint8_t port);  // not 0 and different: CommName becomes "COM<n>"
    const std::string& PortOpenError() const { return portOpenError_; }
    // The system's error number behind the last failed open (errno on Linux, GetLastError()
    // on Windows); 0 after an open that did not fail in a system call.
    int PortOpenSystemError() const { return portOpenSystemError_; }
    const std::string& Output() const { return output_; }
    void setOutput(const std::string& text);  // stores and sends the bytes
    std::uint16_t InputLen() const { return inputLen_; }
    void setInputLen(std::uint16_t length);  // 0: InBufferSize; above InBufferSize: ignored
    std::uint16_t InBufferSize() const { return inBufferSize_; }
    void setInBufferSize(std::uint16_t size);  // 0: 1
    const std::string& CommName() const { return commName_; }
    void setCommName(const std::string& name);  // used at the next open

    // Line properties: an equal value does nothing; a new one is stored and, while open,
    // the whole line setup is applied again at once.
    std::uint32_t BaudRate() const { return line_.BaudRate; }
    void setBaudRate(std::uint32_t value);
    bool ParityCheck() const { return line_.ParityCheck; }
    void setParityCheck(bool value);
    bool Outx_CtsFlow() const { return line_.Outx_CtsFlow; }
    void setOutx_CtsFlow(bool value);
    bool Outx_DsrFlow() const { return line_.Outx_DsrFlow; }
    void setOutx_DsrFlow(bool value);
    TDtrControl DtrControl() const { return line_.DtrControl; }
    void setDtrControl(TDtrControl value);
    bool DsrSensitivity() const { return line_.DsrSensitivity; }
    void setDsrSensitivity(bool value);
    bool TxContinueOnXoff() const { return line_.TxContinueOnXoff; }
    void setTxContinueOnXoff(bool value);
    bool Outx_XonXoffFlow() const { return line_.Outx_XonXoffFlow; }
    void setOutx_XonXoffFlow(bool value);
    bool Inx_XonXoffFlow() const { return line_.Inx_XonXoffFlow; }
    void setInx_XonXoffFlow(bool value);
    bool ReplaceWhenParityError() const { return line_.ReplaceWhenParityError; }
    void setReplaceWhenParityError(bool value);
    bool IgnoreNullChar() const { return line_.IgnoreNullChar; }
    void setIgnoreNullChar(bool value);
    TRtsControl RtsControl() const { return line_.RtsControl; }
    void setRtsControl(TRtsControl value);
    std::uint16_t XonLimit() const { return line_.XonLimit; }
    void setXonLimit(std::uint16_t value);
    std::uint16_t XoffLimit() const { return line_.XoffLimit; }
    void setXoffLimit(std::uint16_t value);
    TByteSize ByteSize() const { return line_.ByteSize; }
    void setByteSize(TByteSize value);
    TParity Parity() const { return line_.Parity; }
    void setParity(TParity value);
    TStopBits StopBits() const { return line_.StopBits; }
    void setStopBits(TStopBits value);
    std::uint8_t XonChar() const { return line_.XonChar; }
    void setXonChar(std::uint8_t value);
    std::uint8_t XoffChar() const { return line_.XoffChar; }
    void setXoffChar(std::uint8_t value);
    std::uint8_t ReplacedChar() const { return line_.ReplacedChar; }
    void setReplacedChar(std::uint8_t value);

    // Timeouts: an equal value does nothing; a new one is applied at once while open.
    std::uint32_t ReadIntervalTimeout() const { return timeouts_.ReadIntervalTimeout; }
    void setReadIntervalTimeout(std::uint32_t value);
    std::uint32_t ReadTotalTimeoutMultiplier() const {
        return timeouts_.ReadTotalTimeoutMultiplier;
    }
    void setReadTotalTimeoutMultiplier(std::uint32_t value);
    std::uint32_t ReadTotalTimeoutConstant() const { return timeouts_.ReadTotalTimeoutConstant; }
    void setReadTotalTimeoutConstant(std::uint32_t value);
    std::uint32_t WriteTotalTimeoutMultiplier() const {
        return timeouts_.WriteTotalTimeoutMultiplier;
    }
    void setWriteTotalTimeoutMultiplier(std::uint32_t value);
    std::uint32_t WriteTotalTimeoutConstant() const { return timeouts_.WriteTotalTimeoutConstant; }
    void setWriteTotalTimeoutConstant(std::uint32_t value);

    // Events; each runs on the thread that delivers the sink's events. Unbound events are
    // skipped. A handler may destroy the component; its events still queued then run nothing.
    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    // At most once per open session, when the line has gone away (the far end hung up, the
    // device was removed or failed); the port stays held until ClosePort. A request that is
    // still queued when its session is closed is not delivered.
    TNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;

  private:
    friend class CommNotifier;  // counts the bytes it delivers

    template <typename T>
    void SetLineField(T TCommLineSettings::*field, T value);
    void SetTimeoutField(std::uint32_t TCommTimeouts::*field, std::uint32_t value);

    std::uint64_t bytesSent_ = 0;
    std::uint64_t bytesReceived_ = 0;
    std::uint8_t commPort_ = 1;
    std::string portOpenError_;
    int portOpenSystemError_ = 0;
    std::string output_;
    std::uint16_t inputLen_ = 1;
    std::uint16_t inBufferSize_ = 2048;
    std::string commName_ = "COM1";
    TCommLineSettings line_;
    TCommTimeouts timeouts_;

    // Receiver of the threads' messages; shared with the messages still queued.
    std::shared_ptr<CommNotifier> notifier_;
    std::unique_ptr<SerialDevice> device_;
    std::unique_ptr<TReadThread> reader_;
    std::unique_ptr<TWriteThread> writer_;
};

}  // namespace lgcset::link
