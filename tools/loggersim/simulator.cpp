#include "loggersim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>

#include "loggersim/trace.h"
#include "protocol/frame_codec.h"
#include "sim/device.h"
#include "sim/fault_injector.h"
#include "sim/request_frame.h"

namespace lgcset::sim {

namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// Bytes waiting for a reader beyond this are not queued: a line nobody reads loses them.
constexpr std::size_t kMaxQueuedBytes = 64 * 1024;
constexpr std::size_t kReadChunk = 4096;
// A line idle for longer than this starts afresh: pacing never bursts to catch up.
constexpr nanoseconds kPacingSlack = std::chrono::milliseconds(1);

std::string CommandNote(std::uint8_t command) {
    char text[16];
    std::snprintf(text, sizeof text, "cmd 0x%02X", command);
    return text;
}
}  // namespace

class Simulator::Loop {
  public:
    // `drainProbe`: a descriptor whose input queue shows the bytes not yet read by the other
    // end (the pseudo-terminal's slave), or -1.
    Loop(const Options& options, Counters& counters, std::mutex& deviceMutex,
         std::atomic<std::int64_t>& requestsToAnswer, int fd, int drainProbe)
        : options_(options),
          counters_(counters),
          deviceMutex_(deviceMutex),
          requestsToAnswer_(requestsToAnswer),
          trace_(options),
          device_(options, HostLocalSeconds()),
          faults_(options.faults),
          fd_(fd),
          drainProbe_(drainProbe),
          byteTime_(options.faults.baud > 0 ? nanoseconds(10'000'000'000LL / options.faults.baud)
                                            : nanoseconds(0)),
          debugInterval_(std::chrono::milliseconds(std::max(1, options.debugIntervalMs))) {
        assembler_.SetOnRawFrame([this](std::span<const std::uint8_t> raw) { OnRawFrame(raw); });
    }

    ~Loop() {
        CloseLine();
        for (int& end : wake_) {
            if (end >= 0) {
                ::close(end);
            }
        }
    }

    bool Prepare(std::string* error) {
        if (!trace_.ok()) {
            return Fail(error, trace_.error());
        }
        if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
            return Fail(error, std::string("pipe: ") + std::strerror(errno));
        }
        const int flags = fcntl(fd_, F_GETFL);
        if (flags < 0 || fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
            return Fail(error, std::string("fcntl: ") + std::strerror(errno));
        }
        return true;
    }

    void Run() {
        trace_.Note("logger " + options_.model + " " + options_.firmware + " serving");
        while (!stop_.load() && fd_ >= 0) {
            Clock::time_point now = Clock::now();
            TickDebug(now);
            Flush(now);
            if (fd_ < 0) {
                break;
            }
            pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0},
                             {wake_[0], POLLIN, 0}};
            timespec wait{};
            const int ready = ::ppoll(fds, 2, Timeout(Clock::now(), wait), nullptr);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                trace_.Note(std::string("poll failed: ") + std::strerror(errno));
                break;
            }
            if (fds[1].revents & POLLIN) {
                char drain[64];
                while (::read(wake_[0], drain, sizeof drain) > 0) {
                }
            }
            if (fds[0].revents & POLLOUT) {
                blocked_ = false;
            }
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                Receive();
            }
        }
        CloseLine();
    }

    // Callers hold the device mutex.
    const ParameterMemory& memory() const { return device_.memory(); }
    const Device& device() const { return device_; }

    void RequestStop() {
        stop_.store(true);
        if (wake_[1] >= 0) {
            const char b = 1;
            [[maybe_unused]] const ssize_t n = ::write(wake_[1], &b, 1);
        }
    }

  private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        Clock::time_point readyAt;
        bool isFrame = false;
        std::string note;
        std::size_t written = 0;
    };

    static bool Fail(std::string* error, const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    }

    void CloseLine() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    void LineClosed(const char* why) {
        trace_.Note(why);
        CloseLine();
    }

    // ---- receiving ----

    void Receive() {
        std::uint8_t buffer[kReadChunk];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n == 0) {
            LineClosed("line closed by the other end");
            return;
        }
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                LineClosed(std::strerror(errno));
            }
            return;
        }
        // On a paced line the bytes of a request arrive one byte time apart, so the reply
        // cannot start before the last of them has come in.
        const Clock::time_point now = Clock::now();
        Clock::time_point arrival = std::max(rxLineFree_, now);
        for (ssize_t i = 0; i < n && fd_ >= 0; ++i) {
            arrival += byteTime_;
            rxLineFree_ = byteTime_.count() > 0 ? arrival : now;
            assembler_.Feed(buffer[i]);
        }
    }

    void OnRawFrame(std::span<const std::uint8_t> raw) {
        const std::optional<Request> request = ParseRequest(raw);
        if (!request) {
            ++counters_.framesRejected;
            trace_.Line("RX", raw, "rejected: length or check");
            return;
        }
        if (!TakeRequest()) {
            trace_.Line("--", raw, "not taken: the line is dead");
            return;
        }
        ++counters_.framesReceived;
        trace_.Line(
            "RX", raw,
            CommandNote(request->command) + (request->shortLength ? ", short length field" : ""));
        std::optional<Reply> reply;
        {
            const std::lock_guard lock(deviceMutex_);
            reply = device_.Handle(*request, HostLocalSeconds());
        }
        if (!reply) {
            trace_.Note("no reply to " + CommandNote(request->command));
            return;
        }
        SendReply(*reply, rxLineFree_);
    }

    // False once the requests allowed by AnswerOnly() have been taken.
    bool TakeRequest() {
        std::int64_t left = requestsToAnswer_.load();
        while (left > 0 && !requestsToAnswer_.compare_exchange_weak(left, left - 1)) {
        }
        return left != 0;
    }

    // ---- sending ----

    void SendReply(const Reply& reply, Clock::time_point earliest) {
        ReplyPlan plan =
            faults_.Plan(protocol::EscapeFrame(protocol::BuildFrame(reply.command, reply.payload)));
        if (plan.drop) {
            ++counters_.repliesDropped;
            trace_.Line("--", plan.frame, "reply dropped");
            return;
        }
        const Clock::time_point readyAt = earliest + std::chrono::milliseconds(plan.delayMs);
        if (!plan.before.empty()) {
            Queue({plan.before, readyAt, false, "noise before the reply"});
        }
        if (plan.corrupted) {
            ++counters_.repliesCorrupted;
        }
        std::string note = CommandNote(reply.command);
        if (plan.corrupted) {
            note += ", one byte corrupted";
        }
        if (plan.delayMs > 0) {
            note += ", delayed " + std::to_string(plan.delayMs) + " ms";
        }
        Queue({plan.frame, readyAt, true, note});
        if (plan.copies > 1) {
            ++counters_.repliesDuplicated;
            Queue({plan.frame, readyAt, true, note + ", answered twice"});
        }
    }

    void Queue(Outgoing out) {
        if (queuedBytes_ + out.bytes.size() > kMaxQueuedBytes) {
            ++counters_.outputDiscarded;
            trace_.Line("--", out.bytes, "discarded: nobody reads the line");
            return;
        }
        queuedBytes_ += out.bytes.size();
        queue_.push_back(std::move(out));
    }

    void TickDebug(Clock::time_point now) {
        if (!device_.debugOn()) {
            nextDebug_.reset();
            return;
        }
        if (!nextDebug_) {
            nextDebug_ = now + debugInterval_;
            return;
        }
        if (now < *nextDebug_) {
            return;
        }
        *nextDebug_ += debugInterval_;
        if (*nextDebug_ <= now) {
            nextDebug_ = now + debugInterval_;  // fell behind: no burst of late frames
        }
        Reply frame;
        {
            const std::lock_guard lock(deviceMutex_);
            frame = device_.NextDebugFrame(HostLocalSeconds());
        }
        Queue({protocol::EscapeFrame(protocol::BuildFrame(frame.command, frame.payload)), now, true,
               "debug traffic"});
    }

    void Flush(Clock::time_point now) {
        while (!queue_.empty() && fd_ >= 0 && !blocked_) {
            Outgoing& head = queue_.front();
            if (now < head.readyAt) {
                return;
            }
            std::size_t allowed = head.bytes.size() - head.written;
            if (byteTime_.count() > 0) {
                txLineFree_ = std::max(txLineFree_, std::max(now - kPacingSlack, head.readyAt));
                if (now < txLineFree_) {
                    return;
                }
                allowed = std::min<std::size_t>(
                    allowed, static_cast<std::size_t>((now - txLineFree_) / byteTime_) + 1);
            }
            const ssize_t n = ::write(fd_, head.bytes.data() + head.written, allowed);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    blocked_ = true;  // wait for the reader
                } else if (errno != EINTR) {
                    LineClosed(std::strerror(errno));
                }
                return;
            }
            head.written += static_cast<std::size_t>(n);
            txLineFree_ += byteTime_ * n;
            if (head.written < head.bytes.size()) {
                continue;  // paced or partial: the loop decides when to go on
            }
            Outgoing done = std::move(head);
            queue_.pop_front();
            queuedBytes_ -= done.bytes.size();
            Sent(done);  // may hang up, which empties the queue
        }
    }

    void Sent(const Outgoing& out) {
        if (!out.isFrame) {
            trace_.Line("TX", out.bytes, out.note);
            return;
        }
        ++counters_.framesSent;
        ++framesSent_;
        trace_.Line("TX", out.bytes, out.note);
        const std::uint32_t hangUp = options_.faults.hangUpAfterFrames;
        if (hangUp > 0 && framesSent_ >= hangUp) {
            WaitUntilRead();
            LineClosed(("hanging up after " + std::to_string(framesSent_) + " frames").c_str());
            queue_.clear();
            queuedBytes_ = 0;
        }
    }

    // Closing a pseudo-terminal master throws away what the slave has not read yet, even
    // bytes still on their way into its input queue; a line that hangs up still delivers
    // the bytes already on it. So let the kernel move them (a short pause) and then wait,
    // for a while at most, until the reader has taken them.
    void WaitUntilRead() {
        if (drainProbe_ < 0) {
            return;  // a socket keeps its bytes readable after we close
        }
        ::poll(nullptr, 0, 20);
        const auto end = Clock::now() + std::chrono::milliseconds(1000);
        int pending = 0;
        while (!stop_.load() && Clock::now() < end && ioctl(drainProbe_, TIOCINQ, &pending) == 0 &&
               pending > 0) {
            ::poll(nullptr, 0, 5);
        }
    }

    // How long the loop may wait without a line or wake-up event, into `wait`; nullptr for
    // as long as it takes. Exact to the nanosecond: a pacing loop woken a millisecond late
    // at every step would fall behind the line and stretch each reply.
    const timespec* Timeout(Clock::time_point now, timespec& wait) const {
        std::optional<Clock::time_point> due = nextDebug_;
        if (!queue_.empty() && !blocked_) {
            Clock::time_point at = queue_.front().readyAt;
            if (byteTime_.count() > 0) {
                at = std::max(at, txLineFree_);
            }
            due = due ? std::min(*due, at) : at;
        }
        if (!due) {
            return nullptr;
        }
        const auto left =
            std::clamp<nanoseconds>(*due - now, nanoseconds(0), std::chrono::seconds(60));
        wait.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
        wait.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
        return &wait;
    }

    const Options& options_;
    Counters& counters_;
    std::mutex& deviceMutex_;
    std::atomic<std::int64_t>& requestsToAnswer_;
    Trace trace_;
    Device device_;
    FaultInjector faults_;
    protocol::FrameAssembler assembler_;
    int fd_;
    int drainProbe_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};

    const nanoseconds byteTime_;
    const nanoseconds debugInterval_;
    Clock::time_point rxLineFree_{};
    Clock::time_point txLineFree_{};
    std::optional<Clock::time_point> nextDebug_;

    std::deque<Outgoing> queue_;
    std::size_t queuedBytes_ = 0;
    bool blocked_ = false;
    std::uint32_t framesSent_ = 0;
};

Simulator::Simulator(Options options) : options_(std::move(options)) {
    lastMemory_.fill(0xFF);
}

ParameterMemory Simulator::Memory() const {
    const std::lock_guard lock(deviceMutex_);
    return loop_ ? loop_->memory() : lastMemory_;
}

std::optional<CivilTime> Simulator::DeviceClock() const {
    const std::lock_guard lock(deviceMutex_);
    if (!loop_) {
        return std::nullopt;
    }
    return FromSeconds(loop_->device().DeviceSeconds(HostLocalSeconds()));
}

bool Simulator::DebugModeOn() const {
    const std::lock_guard lock(deviceMutex_);
    return loop_ && loop_->device().debugOn();
}

std::vector<std::vector<std::uint8_t>> Simulator::RelayRequests() const {
    const std::lock_guard lock(deviceMutex_);
    return loop_ ? loop_->device().relayRequests() : std::vector<std::vector<std::uint8_t>>{};
}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start(int fd, std::string* error) {
    return StartLoop(fd, -1, error);
}

bool Simulator::StartLoop(int fd, int drainProbe, std::string* error) {
    if (thread_.joinable()) {
        ::close(fd);
        if (error != nullptr) {
            *error = "the simulator is already running";
        }
        return false;
    }
    // Owns fd from here.
    auto loop = std::make_unique<Loop>(options_, counters_, deviceMutex_, requestsToAnswer_, fd,
                                       drainProbe);
    if (!loop->Prepare(error)) {
        return false;
    }
    {
        const std::lock_guard lock(deviceMutex_);
        loop_ = std::move(loop);
    }
    finished_.store(false);
    thread_ = std::thread([this] {
        loop_->Run();
        finished_.store(true);
    });
    return true;
}

bool Simulator::StartOnPseudoTerminal(std::string* error) {
    if (thread_.joinable()) {
        if (error != nullptr) {
            *error = "the simulator is already running";
        }
        return false;
    }
    std::optional<PseudoTerminal> pty = PseudoTerminal::Open(error);
    if (!pty) {
        return false;
    }
    const int master = pty->ReleaseMaster();
    slavePath_ = pty->slavePath();
    pty_ = std::move(pty);
    return StartLoop(master, pty_->keptSlave(), error);
}

void Simulator::Stop() {
    if (loop_) {
        loop_->RequestStop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    {
        const std::lock_guard lock(deviceMutex_);
        if (loop_) {
            lastMemory_ = loop_->memory();
        }
        loop_.reset();
    }
    pty_.reset();
}

}  // namespace lgcset::sim
