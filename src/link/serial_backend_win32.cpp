// Serial ports on Windows: a COM device opened for overlapped I/O. The close event is a
// manual-reset event that stays set once set; every wait of both threads includes it, so
// closing never waits for the line. The reader keeps one overlapped ReadFile outstanding, for
// what the driver holds or else one byte, and, when it starts one and between its waits,
// collects the driver's error flags (ClearCommError) and modem lines. It
// does not wait in WaitCommEvent: some drivers (Wine's on a pseudo-terminal among them) end
// such a wait at once with ERROR_OPERATION_ABORTED.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

#include "link/serial_dcb_win32.h"
#include "link/serial_device.h"

namespace lgcset::link {

namespace {

using Clock = std::chrono::steady_clock;

// How often the reader looks at the driver's error flags and modem lines.
constexpr DWORD kLineCheckPeriodMs = 100;
// The driver's input and output queues.
constexpr DWORD kDriverQueueSize = 4096;
// The writer's queue refuses a request beyond this many bytes waiting.
constexpr std::size_t kMaxQueuedBytes = std::size_t{1} << 20;
// A cancelled operation is waited for this long, asking again every kCancelRetryMs: Wine
// sometimes lets a cancel pass by an operation that is just starting.
constexpr DWORD kCancelRetryMs = 50;
constexpr int kCancelTries = 40;

constexpr std::pair<DWORD, std::uint32_t> kErrorFlags[] = {
    {CE_RXOVER, kCommErrorRxOver}, {CE_OVERRUN, kCommErrorOverrun},
    {CE_RXPARITY, kCommErrorParity}, {CE_FRAME, kCommErrorFrame},
    {CE_BREAK, kCommErrorBreak},
};

// A name that already starts with "\\" is a device path as it stands; any other name is a
// device in the Win32 device namespace ("COM12" -> "\\.\COM12", which works above COM9).
std::string DevicePath(const std::string& commName) {
    if (commName.rfind("\\\\", 0) == 0) {
        return commName;
    }
    return "\\\\.\\" + commName;
}

// The errors with which a call on a port that went away fails (a USB adapter pulled out,
// a driver that failed); any other failure is taken as "the driver cannot do this".
bool MeansLineLost(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_GEN_FAILURE:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_READY:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_BROKEN_PIPE:
            return true;
        default:
            return false;
    }
}

// One overlapped operation: its structure and its manual-reset event.
struct Overlapped {
    OVERLAPPED ov{};
    bool pending = false;

    bool Create() {
        ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return ov.hEvent != nullptr;
    }
    void Start() {
        const HANDLE event = ov.hEvent;
        ov = OVERLAPPED{};
        ov.hEvent = event;
        ::ResetEvent(event);
    }
};

class Win32SerialDevice final : public SerialDevice {
  public:
    explicit Win32SerialDevice(HANDLE handle) : handle_(handle) { ProbeModemLines(); }

    ~Win32SerialDevice() override {
        DiscardQueuedWrites();
        // Closing the handle ends whatever is still outstanding; its structures must stay
        // until the driver has let go of them.
        ::CloseHandle(handle_);
        for (Overlapped* op : {&read_, &write_}) {
            if (op->pending) {
                ::WaitForSingleObject(op->ov.hEvent, kCancelRetryMs * kCancelTries);
            }
        }
        for (HANDLE event : {closeEvent_, queueEvent_, read_.ov.hEvent, write_.ov.hEvent}) {
            if (event != nullptr) {
                ::CloseHandle(event);
            }
        }
    }

    void ApplyLineSettings(const TCommLineSettings& s) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle_, &dcb)) {
            return;
        }
        FillDcb(s, dcb);
        ::SetCommState(handle_, &dcb);
    }

    void ApplyTimeouts(const TCommTimeouts& t) override {
        COMMTIMEOUTS timeouts{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                              t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                              t.WriteTotalTimeoutConstant};
        // "Return at once with what is there" would hand the reader empty reads in a tight
        // loop. The shortest interval timeout waits for the first byte and returns once the
        // line is quiet for a moment. (The driver's own "wait for the first byte" variant,
        // MAXDWORD for interval and multiplier, never completes under Wine.)
        const bool atOnce = t.ReadIntervalTimeout == MAXDWORD &&
                            t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
        if (atOnce) {
            timeouts.ReadIntervalTimeout = 1;
        }
        readAtOnce_.store(atOnce, std::memory_order_relaxed);
        ::SetCommTimeouts(handle_, &timeouts);
    }

    void PurgeInput() override { ::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR); }
    void PurgeOutput() override { ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR); }

    bool CreateSignals() override {
        closeEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        queueEvent_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const bool operations = read_.Create() && write_.Create();
        return closeEvent_ != nullptr && queueEvent_ != nullptr && operations;
    }
    void SignalClose() override {
        closing_.store(true, std::memory_order_release);
        ::SetEvent(closeEvent_);
    }
    bool CloseSignalled() const override { return closing_.load(std::memory_order_acquire); }

    ReadOutcome Read(std::uint8_t* buffer, std::size_t wanted) override;
    bool WaitForClose(int milliseconds) override {
        ::WaitForSingleObject(closeEvent_, static_cast<DWORD>(std::max(milliseconds, 0)));
        return CloseSignalled();
    }

    bool QueueWrite(WriteRequest request) override;
    std::optional<WriteRequest> TakeWrite() override;
    WriterWake WaitForWrite() override;
    WriteOutcome WriteAll(const std::uint8_t* data, std::size_t count) override;
    void DiscardQueuedWrites() override {
        const std::lock_guard lock(queueMutex_);
        queue_.clear();
        queuedBytes_ = 0;
    }

  private:
    void ProbeModemLines();
    std::uint32_t TakeErrorFlags(COMSTAT& status, bool& lost);
    DWORD ReadSize(DWORD wanted);
    bool CheckLines(ReadOutcome& outcome);
    ReadOutcome FinishRead(std::uint8_t* buffer, DWORD got);
    void Cancel(Overlapped& op);

    const HANDLE handle_;
    HANDLE closeEvent_ = nullptr;
    HANDLE queueEvent_ = nullptr;
    std::atomic<bool> closing_{false};
    // Set by the owner, read by the reader: reads return at once with what is there.
    std::atomic<bool> readAtOnce_{false};

    // Reader's own state. The outstanding read fills staging_, never the caller's buffer,
    // so that the reader may return a line event while its read goes on.
    Overlapped read_;
    std::vector<std::uint8_t> staging_;
    DWORD requested_ = 0;
    bool haveModemLines_ = false;
    bool haveErrorFlags_ = true;
    std::uint32_t pendingErrors_ = 0;  // taken from the driver when a read started
    DWORD modemStatus_ = 0;
    std::uint32_t pendingModem_ = 0;
    Clock::time_point nextLineCheck_{};

    // Writer's own state.
    Overlapped write_;

    // The writer's queue, shared by the threads that write and the writer.
    std::mutex queueMutex_;
    std::deque<WriteRequest> queue_;
    std::size_t queuedBytes_ = 0;
};

void Win32SerialDevice::ProbeModemLines() {
    haveModemLines_ = ::GetCommModemStatus(handle_, &modemStatus_) != FALSE;
}

// The driver's error flags, cleared, with its queue counts in `status`; `lost` when the
// port has gone away.
std::uint32_t Win32SerialDevice::TakeErrorFlags(COMSTAT& status, bool& lost) {
    lost = false;
    std::uint32_t errors = 0;
    DWORD flags = 0;
    if (::ClearCommError(handle_, &flags, &status)) {
        for (const auto& [driverFlag, flag] : kErrorFlags) {
            if (flags & driverFlag) {
                errors |= flag;
            }
        }
    } else if (MeansLineLost(::GetLastError())) {
        lost = true;
    } else {
        haveErrorFlags_ = false;
    }
    return errors;
}

// The count to ask a new read for, when reads return at once with what is there: what the
// driver holds already, or one byte when it holds nothing. A read for more than that ends only when the interval timeout runs out
// after the line went quiet, which under Wine comes a millisecond or more after a reply's
// last byte, once per request and reply; a read of one byte ends as the byte arrives.
// Without the queue count (or with the port gone, which the next look reports) it asks
// for `wanted`.
DWORD Win32SerialDevice::ReadSize(DWORD wanted) {
    // With an interval or total timeout the caller asked for reads of up to `wanted` bytes
    // that end by those timeouts: they keep their size.
    if (!readAtOnce_.load(std::memory_order_relaxed) || !haveErrorFlags_) {
        return wanted;
    }
    COMSTAT status{};
    bool lost = false;
    pendingErrors_ |= TakeErrorFlags(status, lost);
    if (lost || !haveErrorFlags_) {
        return wanted;
    }
    return status.cbInQue > 0 ? std::min(wanted, status.cbInQue) : 1;
}

// Collects the driver's error flags and compares the modem lines with the last look.
// Returns true with an outcome to report; a port gone away is reported as Lost.
bool Win32SerialDevice::CheckLines(ReadOutcome& outcome) {
    std::uint32_t errors = std::exchange(pendingErrors_, 0);
    std::uint32_t modem = 0;
    if (haveErrorFlags_) {
        COMSTAT status{};
        bool lost = false;
        errors |= TakeErrorFlags(status, lost);
        if (lost) {
            outcome = {ReadOutcome::Kind::Lost, 0, 0};
            return true;
        }
    }
    if (haveModemLines_) {
        DWORD now = 0;
        if (::GetCommModemStatus(handle_, &now)) {
            if ((now ^ modemStatus_) & MS_RLSD_ON) {
                modem |= kModemCarrierDetectChanged;
            }
            if ((now & MS_RING_ON) && !(modemStatus_ & MS_RING_ON)) {
                modem |= kModemRing;  // the ring indicator came on
            }
            modemStatus_ = now;
        } else if (MeansLineLost(::GetLastError())) {
            outcome = {ReadOutcome::Kind::Lost, 0, 0};
            return true;
        } else {
            haveModemLines_ = false;  // a pseudo-terminal behind Wine has no modem lines
        }
    }
    return ReportLineLook(errors, modem, pendingModem_, outcome);
}

// Ends an outstanding operation: asks the driver to cancel it and waits until it has
// ended, one way or the other.
void Win32SerialDevice::Cancel(Overlapped& op) {
    if (!op.pending) {
        return;
    }
    for (int attempt = 0; attempt < kCancelTries; ++attempt) {
        ::CancelIoEx(handle_, &op.ov);
        if (::WaitForSingleObject(op.ov.hEvent, kCancelRetryMs) == WAIT_OBJECT_0) {
            DWORD ignored = 0;
            ::GetOverlappedResult(handle_, &op.ov, &ignored, FALSE);
            op.pending = false;
            return;
        }
    }
    // Still outstanding: the destructor waits for it once more after closing the handle.
}

ReadOutcome Win32SerialDevice::FinishRead(std::uint8_t* buffer, DWORD got) {
    std::copy_n(staging_.data(), got, buffer);
    return {ReadOutcome::Kind::Data, got, 0};
}

ReadOutcome Win32SerialDevice::Read(std::uint8_t* buffer, std::size_t wanted) {
    // The caller asks for the same count every time; a read still outstanding from the last
    // call was started with it.
    const DWORD size = static_cast<DWORD>(
        std::min<std::size_t>(std::max<std::size_t>(wanted, 1), std::numeric_limits<DWORD>::max()));
    for (;;) {
        if (CloseSignalled()) {
            Cancel(read_);
            return {ReadOutcome::Kind::Closed, 0, 0};
        }
        if (pendingModem_ != 0) {
            const std::uint32_t bits = std::exchange(pendingModem_, 0);
            return {ReadOutcome::Kind::ModemChange, 0, bits};
        }
        if (pendingErrors_ != 0) {
            // Flags taken when the last read started, reported right after its bytes.
            return {ReadOutcome::Kind::LineError, 0, std::exchange(pendingErrors_, 0)};
        }
        if (!read_.pending) {
            if (staging_.size() < size) {
                staging_.resize(size);
            }
            read_.Start();
            requested_ = ReadSize(size);
            DWORD got = 0;
            if (::ReadFile(handle_, staging_.data(), requested_, &got, &read_.ov)) {
                if (got > 0) {
                    return FinishRead(buffer, got);
                }
                // Done at once but empty: nothing arrived yet; look at the lines first.
            } else {
                const DWORD error = ::GetLastError();
                if (error == ERROR_IO_PENDING) {
                    read_.pending = true;
                } else if (error != ERROR_OPERATION_ABORTED) {
                    return {ReadOutcome::Kind::Lost, 0, 0};
                }
            }
        }

        const auto now = Clock::now();
        if (now >= nextLineCheck_) {
            nextLineCheck_ = now + std::chrono::milliseconds(kLineCheckPeriodMs);
            ReadOutcome outcome;
            if (CheckLines(outcome)) {
                if (outcome.kind == ReadOutcome::Kind::Lost) {
                    Cancel(read_);
                }
                return outcome;
            }
        }
        if (!read_.pending) {
            // Empty at once, or aborted by the driver before it began: wait a little for the
            // close event before starting again.
            ::WaitForSingleObject(closeEvent_, 1);
            continue;
        }
        const auto untilCheck =
            std::chrono::ceil<std::chrono::milliseconds>(nextLineCheck_ - now).count();
        const HANDLE handles[2] = {closeEvent_, read_.ov.hEvent};
        const DWORD woke = ::WaitForMultipleObjects(
            2, handles, FALSE, static_cast<DWORD>(std::clamp<long long>(untilCheck, 0, kLineCheckPeriodMs)));
        if (woke == WAIT_OBJECT_0) {
            Cancel(read_);
            return {ReadOutcome::Kind::Closed, 0, 0};
        }
        if (woke != WAIT_OBJECT_0 + 1) {
            continue;  // time for a look at the lines
        }
        DWORD got = 0;
        const BOOL done = ::GetOverlappedResult(handle_, &read_.ov, &got, FALSE);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        if (!done && error == ERROR_IO_INCOMPLETE) {
            continue;
        }
        read_.pending = false;
        if (done && got > 0) {
            return FinishRead(buffer, std::min(got, requested_));
        }
        // Empty (the total timeout ran out) or aborted (Wine ends some reads early): start
        // again. Anything else means the port has gone away.
        if (!done && error != ERROR_OPERATION_ABORTED) {
            return {ReadOutcome::Kind::Lost, 0, 0};
        }
    }
}

bool Win32SerialDevice::QueueWrite(WriteRequest request) {
    {
        const std::lock_guard lock(queueMutex_);
        if (queuedBytes_ + request.count > kMaxQueuedBytes) {
            return false;
        }
        queuedBytes_ += request.count;
        queue_.push_back(std::move(request));
    }
    ::SetEvent(queueEvent_);
    return true;
}

std::optional<WriteRequest> Win32SerialDevice::TakeWrite() {
    const std::lock_guard lock(queueMutex_);
    if (queue_.empty()) {
        return std::nullopt;
    }
    WriteRequest request = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= request.count;
    return request;
}

WriterWake Win32SerialDevice::WaitForWrite() {
    const HANDLE handles[2] = {closeEvent_, queueEvent_};
    switch (::WaitForMultipleObjects(2, handles, FALSE, INFINITE)) {
        case WAIT_OBJECT_0:
            return WriterWake::Closed;
        case WAIT_OBJECT_0 + 1:
            return WriterWake::Queued;  // may find the queue already taken: it looks again
        default:
            return WriterWake::Lost;
    }
}

WriteOutcome Win32SerialDevice::WriteAll(const std::uint8_t* data, std::size_t count) {
    std::size_t offset = 0;
    while (offset < count) {
        if (CloseSignalled()) {
            return WriteOutcome::Closed;
        }
        const DWORD size = static_cast<DWORD>(
            std::min<std::size_t>(count - offset, std::numeric_limits<DWORD>::max()));
        write_.Start();
        DWORD written = 0;
        if (!::WriteFile(handle_, data + offset, size, &written, &write_.ov)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_OPERATION_ABORTED) {
                continue;  // ended by the driver before it began: try again
            }
            if (error != ERROR_IO_PENDING) {
                return WriteOutcome::Lost;
            }
            write_.pending = true;
            const HANDLE handles[2] = {closeEvent_, write_.ov.hEvent};
            if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                Cancel(write_);
                return WriteOutcome::Closed;
            }
            write_.pending = false;
            if (!::GetOverlappedResult(handle_, &write_.ov, &written, FALSE)) {
                if (::GetLastError() != ERROR_OPERATION_ABORTED) {
                    return WriteOutcome::Lost;
                }
            }
        }
        // A write timeout ends a write early; the rest goes out with the next one.
        offset += std::min<std::size_t>(written, size);
    }
    return WriteOutcome::Done;
}

}  // namespace

void RaiseThreadPriority(int steps) {
    const HANDLE thread = ::GetCurrentThread();
    const int current = ::GetThreadPriority(thread);
    if (current != THREAD_PRIORITY_ERROR_RETURN) {
        ::SetThreadPriority(thread, std::min(current + steps, int{THREAD_PRIORITY_HIGHEST}));
    }
}

OpenFailure OpenSerialDevice(const std::string& commName, std::unique_ptr<SerialDevice>& device,
                             int& systemError) {
    device.reset();
    systemError = 0;
    const std::string path = DevicePath(commName);
    // Share mode 0: one opener at a time, as the driver of a COM port demands anyway.
    const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        systemError = static_cast<int>(::GetLastError());
        return OpenFailure::CannotOpen;
    }
    if (::GetFileType(handle) != FILE_TYPE_CHAR) {
        ::CloseHandle(handle);
        systemError = ERROR_BAD_DEV_TYPE;
        return OpenFailure::NotACommHandle;
    }
    if (!::SetupComm(handle, kDriverQueueSize, kDriverQueueSize)) {
        systemError = static_cast<int>(::GetLastError());
        ::CloseHandle(handle);
        return OpenFailure::CannotSetupBuffer;
    }
    device = std::make_unique<Win32SerialDevice>(handle);
    return OpenFailure::None;
}

}  // namespace lgcset::link
