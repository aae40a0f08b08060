// Serial ports on Linux: a tty device opened non-blocking, exclusive and raw. The close
// event is an eventfd that stays readable once written; every poll of both threads
// includes it, so closing never waits for the line. The writer's queue is a pipe that
// carries each request's block pointer and count, so no lock is shared between the
// threads.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "link/serial_device.h"
#include "link/serial_termios.h"

namespace lgcset::link {

bool SetCustomBaudRate(int fd, std::uint32_t rate);  // serial_custom_baud_linux.cpp

namespace {

using Clock = std::chrono::steady_clock;

// How often the reader looks at the driver's error and modem counters, where it has them.
constexpr auto kLineCheckPeriod = std::chrono::milliseconds(100);
// Bytes the reader takes from the driver at once; split into reads of InputLen bytes.
constexpr std::size_t kStagingSize = 4096;
// The writer's queue holds up to this many bytes of queued requests (the kernel may allow
// less).
constexpr int kQueuePipeSize = 1 << 20;

// The driver's counters and what a change of each one reports.
struct CounterFlag {
    int serial_icounter_struct::*counter;
    std::uint32_t flag;
};
constexpr CounterFlag kErrorCounters[] = {
    {&serial_icounter_struct::buf_overrun, kCommErrorRxOver},
    {&serial_icounter_struct::overrun, kCommErrorOverrun},
    {&serial_icounter_struct::parity, kCommErrorParity},
    {&serial_icounter_struct::frame, kCommErrorFrame},
    {&serial_icounter_struct::brk, kCommErrorBreak},
};
constexpr CounterFlag kModemCounters[] = {
    {&serial_icounter_struct::dcd, kModemCarrierDetectChanged},
    {&serial_icounter_struct::rng, kModemRing},
};

// A name with a '/' is a path as it stands; any other name is a device under /dev.
std::string DevicePath(const std::string& commName) {
    if (commName.find('/') != std::string::npos) {
        return commName;
    }
    return "/dev/" + commName;
}

int MillisecondsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::min<long long>(ms, std::numeric_limits<int>::max()));
}

class PosixSerialDevice final : public SerialDevice {
  public:
    explicit PosixSerialDevice(int fd) : fd_(fd) { ProbeLineEvents(); }

    ~PosixSerialDevice() override {
        DiscardQueuedWrites();
        for (int descriptor : {closeFd_, queueRead_, queueWrite_}) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        }
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    void ApplyLineSettings(const TCommLineSettings& s) override;
    void ApplyTimeouts(const TCommTimeouts& t) override {
        readInterval_.store(t.ReadIntervalTimeout, std::memory_order_relaxed);
        readTotalMultiplier_.store(t.ReadTotalTimeoutMultiplier, std::memory_order_relaxed);
        readTotalConstant_.store(t.ReadTotalTimeoutConstant, std::memory_order_relaxed);
        // Writes always complete in full (the writer goes on with the rest after a timeout
        // anyway), so the write timeouts have nothing to bound here.
    }
    void PurgeInput() override { ::tcflush(fd_, TCIFLUSH); }
    void PurgeOutput() override { ::tcflush(fd_, TCOFLUSH); }

    bool CreateSignals() override;
    void SignalClose() override {
        closing_.store(true, std::memory_order_release);
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(closeFd_, &one, sizeof one);
    }
    bool CloseSignalled() const override { return closing_.load(std::memory_order_acquire); }

    ReadOutcome Read(std::uint8_t* buffer, std::size_t wanted) override;
    bool WaitForClose(int milliseconds) override;

    bool QueueWrite(WriteRequest request) override;
    std::optional<WriteRequest> TakeWrite() override;
    WriterWake WaitForWrite() override;
    WriteOutcome WriteAll(const std::uint8_t* data, std::size_t count) override;
    void DiscardQueuedWrites() override {
        if (queueRead_ >= 0) {
            while (TakeWrite()) {
            }
        }
    }

  private:
    void ProbeLineEvents();
    bool CheckLines(ReadOutcome& outcome);
    void ApplyModemLines(const TCommLineSettings& s);
    Clock::time_point PartialDeadline(std::size_t wanted) const;
    ReadOutcome TakeStaged(std::uint8_t* buffer, std::size_t count);

    const int fd_;
    int closeFd_ = -1;
    int queueRead_ = -1;
    int queueWrite_ = -1;
    std::atomic<bool> closing_{false};

    // Set by the owner, read by the reader.
    std::atomic<std::uint32_t> readInterval_{0};
    std::atomic<std::uint32_t> readTotalMultiplier_{0};
    std::atomic<std::uint32_t> readTotalConstant_{0};
    std::atomic<bool> ignoreNull_{false};

    // Reader's own state.
    std::vector<std::uint8_t> staging_;
    std::size_t stageBegin_ = 0;
    std::size_t stageEnd_ = 0;
    Clock::time_point firstByteAt_{};
    Clock::time_point lastByteAt_{};
    bool haveCounters_ = false;
    bool haveModemBits_ = false;
    serial_icounter_struct counters_{};
    int modemBits_ = 0;
    std::uint32_t pendingModem_ = 0;
    Clock::time_point nextLineCheck_{};
};

void PosixSerialDevice::ApplyLineSettings(const TCommLineSettings& s) {
    ignoreNull_.store(s.IgnoreNullChar, std::memory_order_relaxed);
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        return;
    }
    FillTermios(s, t);
    const std::optional<speed_t> standard = StandardSpeed(s.BaudRate);
    if (standard) {
        ::cfsetispeed(&t, *standard);
        ::cfsetospeed(&t, *standard);
    }
    // The C library reports a failure when the driver keeps some flags of its own (a
    // pseudo-terminal keeps 8 bits, no parity) although the rest was applied; go on.
    ::tcsetattr(fd_, TCSANOW, &t);
    if (!standard && s.BaudRate != 0) {  // 0 is no speed: the current one stays
        SetCustomBaudRate(fd_, s.BaudRate);
    }
    ApplyModemLines(s);
}

// DTR and RTS as steady levels. Handshake and toggle modes that the driver cannot run
// itself leave the line asserted. Refusals (a pseudo-terminal has no modem lines) are
// ignored.
void PosixSerialDevice::ApplyModemLines(const TCommLineSettings& s) {
    int dtr = TIOCM_DTR;
    ::ioctl(fd_, s.DtrControl == TDtrControl::DtrDisable ? TIOCMBIC : TIOCMBIS, &dtr);
    int rts = TIOCM_RTS;
    ::ioctl(fd_, s.RtsControl == TRtsControl::RtsDisable ? TIOCMBIC : TIOCMBIS, &rts);
}

bool PosixSerialDevice::CreateSignals() {
    closeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (closeFd_ < 0) {
        return false;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    queueRead_ = ends[0];
    queueWrite_ = ends[1];
    ::fcntl(queueWrite_, F_SETPIPE_SZ, kQueuePipeSize);  // a smaller queue still works
    return true;
}

void PosixSerialDevice::ProbeLineEvents() {
    haveCounters_ = ::ioctl(fd_, TIOCGICOUNT, &counters_) == 0;
    haveModemBits_ = ::ioctl(fd_, TIOCMGET, &modemBits_) == 0;
}

// A look at the lines failed: either the port has gone away (reported as Lost) or the
// driver does not offer it, and it is not asked for again.
bool LookFailed(bool& available, ReadOutcome& outcome) {
    if (errno == EIO || errno == ENODEV) {
        outcome = {ReadOutcome::Kind::Lost, 0, 0};
        return true;
    }
    available = false;
    return false;
}

// Compares the driver's counters (or, lacking them, the modem bits) with the last look.
// Returns true with an outcome to report; a port gone away is reported as Lost.
bool PosixSerialDevice::CheckLines(ReadOutcome& outcome) {
    std::uint32_t errors = 0;
    std::uint32_t modem = 0;
    if (haveCounters_) {
        serial_icounter_struct now{};
        if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) {
            return LookFailed(haveCounters_, outcome);
        }
        for (const auto& [counter, flag] : kErrorCounters) {
            if (now.*counter != counters_.*counter) {
                errors |= flag;
            }
        }
        for (const auto& [counter, flag] : kModemCounters) {
            if (now.*counter != counters_.*counter) {
                modem |= flag;
            }
        }
        counters_ = now;
    } else if (haveModemBits_) {
        int bits = 0;
        if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
            return LookFailed(haveModemBits_, outcome);
        }
        if ((bits ^ modemBits_) & TIOCM_CD) {
            modem |= kModemCarrierDetectChanged;
        }
        if ((bits & TIOCM_RI) && !(modemBits_ & TIOCM_RI)) {
            modem |= kModemRing;  // the ring indicator came on
        }
        modemBits_ = bits;
    }
    return ReportLineLook(errors, modem, pendingModem_, outcome);
}

// When a read that holds some bytes but fewer than wanted completes anyway: after
// ReadIntervalTimeout without a new byte, or after the total timeout counted from its
// first byte. With neither, it waits for all `wanted` bytes.
Clock::time_point PosixSerialDevice::PartialDeadline(std::size_t wanted) const {
    const std::uint32_t interval = readInterval_.load(std::memory_order_relaxed);
    if (interval == std::numeric_limits<std::uint32_t>::max()) {
        return lastByteAt_;  // return at once with what is there
    }
    auto deadline = Clock::time_point::max();
    if (interval != 0) {
        deadline = lastByteAt_ + std::chrono::milliseconds(interval);
    }
    const std::uint64_t total =
        std::uint64_t{readTotalMultiplier_.load(std::memory_order_relaxed)} * wanted +
        readTotalConstant_.load(std::memory_order_relaxed);
    if (total != 0) {
        deadline = std::min(deadline, firstByteAt_ + std::chrono::milliseconds(total));
    }
    return deadline;
}

ReadOutcome PosixSerialDevice::TakeStaged(std::uint8_t* buffer, std::size_t count) {
    std::memcpy(buffer, staging_.data() + stageBegin_, count);
    stageBegin_ += count;
    if (stageBegin_ == stageEnd_) {
        stageBegin_ = stageEnd_ = 0;
    }
    return {ReadOutcome::Kind::Data, count, 0};
}

ReadOutcome PosixSerialDevice::Read(std::uint8_t* buffer, std::size_t wanted) {
    if (staging_.size() < std::max(wanted, kStagingSize)) {
        staging_.resize(std::max(wanted, kStagingSize));
    }
    for (;;) {
        if (CloseSignalled()) {
            return {ReadOutcome::Kind::Closed, 0, 0};
        }
        if (pendingModem_ != 0) {
            const std::uint32_t bits = std::exchange(pendingModem_, 0);
            return {ReadOutcome::Kind::ModemChange, 0, bits};
        }
        const std::size_t staged = stageEnd_ - stageBegin_;
        if (staged >= wanted) {
            return TakeStaged(buffer, wanted);
        }
        const auto now = Clock::now();
        const auto deadline = staged > 0 ? PartialDeadline(wanted) : Clock::time_point::max();
        if (staged > 0 && now >= deadline) {
            return TakeStaged(buffer, staged);
        }
        int timeoutMs = staged > 0 ? MillisecondsUntil(deadline, now) : -1;
        if (haveCounters_ || haveModemBits_) {
            if (now >= nextLineCheck_) {
                nextLineCheck_ = now + kLineCheckPeriod;
                ReadOutcome outcome;
                if (CheckLines(outcome)) {
                    return outcome;
                }
            }
            const int untilCheck = MillisecondsUntil(nextLineCheck_, now);
            timeoutMs = timeoutMs < 0 ? untilCheck : std::min(timeoutMs, untilCheck);
        }

        pollfd fds[2] = {{closeFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {ReadOutcome::Kind::Lost, 0, 0};
        }
        if (ready == 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            return {ReadOutcome::Kind::Closed, 0, 0};
        }
        const short events = fds[1].revents;
        if (events & POLLNVAL) {
            return {ReadOutcome::Kind::Lost, 0, 0};
        }
        if (!(events & (POLLIN | POLLHUP | POLLERR))) {
            continue;
        }
        if (stageBegin_ > 0) {
            std::memmove(staging_.data(), staging_.data() + stageBegin_, staged);
            stageBegin_ = 0;
            stageEnd_ = staged;
        }
        const ssize_t got = ::read(fd_, staging_.data() + stageEnd_, staging_.size() - stageEnd_);
        if (got > 0) {
            auto* first = staging_.data() + stageEnd_;
            auto* last = first + got;
            if (ignoreNull_.load(std::memory_order_relaxed)) {
                last = std::remove(first, last, std::uint8_t{0});
            }
            if (last != first) {
                const auto at = Clock::now();
                if (staged == 0) {
                    firstByteAt_ = at;
                }
                lastByteAt_ = at;
                stageEnd_ += static_cast<std::size_t>(last - first);
            }
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR) && !(events & (POLLHUP | POLLERR))) {
            continue;
        }
        // End of file, EIO, or a hang-up without data: the port is gone.
        return {ReadOutcome::Kind::Lost, 0, 0};
    }
}

bool PosixSerialDevice::WaitForClose(int milliseconds) {
    pollfd fd{closeFd_, POLLIN, 0};
    ::poll(&fd, 1, milliseconds);
    return CloseSignalled();
}

namespace {

// A queued request as it crosses the pipe.
struct QueuedWrite {
    std::uint8_t* block;
    std::uint16_t count;
};

}  // namespace

bool PosixSerialDevice::QueueWrite(WriteRequest request) {
    QueuedWrite message{};  // padding included: the pipe carries every byte
    message.block = request.block.get();
    message.count = request.count;
    // Writes to a pipe up to PIPE_BUF bytes are atomic, so each message arrives whole.
    if (::write(queueWrite_, &message, sizeof message) == static_cast<ssize_t>(sizeof message)) {
        static_cast<void>(request.block.release());  // the writer's now
        return true;
    }
    return false;
}

std::optional<WriteRequest> PosixSerialDevice::TakeWrite() {
    QueuedWrite message{};
    if (::read(queueRead_, &message, sizeof message) == static_cast<ssize_t>(sizeof message)) {
        WriteRequest request;
        request.count = message.count;
        request.block.reset(message.block);
        return request;
    }
    return std::nullopt;
}

WriterWake PosixSerialDevice::WaitForWrite() {
    for (;;) {
        pollfd fds[2] = {{closeFd_, POLLIN, 0}, {queueRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return WriterWake::Lost;
        }
        if (fds[0].revents != 0) {
            return WriterWake::Closed;
        }
        if (fds[1].revents & POLLIN) {
            return WriterWake::Queued;
        }
        if (fds[1].revents != 0) {
            return WriterWake::Lost;
        }
    }
}

WriteOutcome PosixSerialDevice::WriteAll(const std::uint8_t* data, std::size_t count) {
    std::size_t offset = 0;
    while (offset < count) {
        if (CloseSignalled()) {
            return WriteOutcome::Closed;
        }
        const ssize_t written = ::write(fd_, data + offset, count - offset);
        if (written > 0) {
            offset += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno == EAGAIN) {
            pollfd fds[2] = {{closeFd_, POLLIN, 0}, {fd_, POLLOUT, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
                return WriteOutcome::Lost;
            }
            if (fds[0].revents != 0) {
                return WriteOutcome::Closed;
            }
            if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) && !(fds[1].revents & POLLOUT)) {
                return WriteOutcome::Lost;
            }
            continue;
        }
        return WriteOutcome::Lost;  // EIO and the like: the port is gone
    }
    return WriteOutcome::Done;
}

}  // namespace

void RaiseThreadPriority(int steps) {
    // Per-thread nice value on Linux; lowering it needs CAP_SYS_NICE, so it may be refused.
    const auto thread = static_cast<id_t>(::gettid());
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, thread);
    if (errno == 0) {
        ::setpriority(PRIO_PROCESS, thread, current - steps);
    }
}

OpenFailure OpenSerialDevice(const std::string& commName, std::unique_ptr<SerialDevice>& device,
                             int& systemError) {
    device.reset();
    systemError = 0;
    const std::string path = DevicePath(commName);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        systemError = errno;
        return OpenFailure::CannotOpen;
    }
    if (!::isatty(fd)) {
        systemError = errno;
        ::close(fd);
        return OpenFailure::NotACommHandle;
    }
    // One opener at a time: the advisory lock stops every other TComm (root included),
    // TIOCEXCL every other program that opens the device without privileges.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        systemError = errno;
        ::close(fd);
        return OpenFailure::CannotOpen;
    }
    ::ioctl(fd, TIOCEXCL);
    device = std::make_unique<PosixSerialDevice>(fd);
    return OpenFailure::None;
}

}  // namespace lgcset::link
