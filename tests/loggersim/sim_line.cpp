#include "sim_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace lgcset::sim::test {

Bytes Request(protocol::Command command, const Bytes& payload) {
    return protocol::EscapeFrame(protocol::BuildFrame(protocol::code(command), payload));
}

Bytes PayloadOf(const protocol::ReceivedFrame& frame) {
    const auto payload = frame.Payload();
    return Bytes(payload.begin(), payload.end());
}

Options FixedHistoryOptions(CivilTime end, int intervalMinutes, int days) {
    Options o;
    o.historyEnd = end;
    o.logIntervalMinutes = intervalMinutes;
    o.days = days;
    return o;
}

SimLine::SimLine(Options options) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        throw std::runtime_error("socketpair");
    }
    fd_ = pair[0];
    simulator_ = std::make_unique<Simulator>(std::move(options));
    std::string error;
    if (!simulator_->Start(pair[1], &error)) {
        throw std::runtime_error("simulator start: " + error);
    }
    assembler_.SetOnFrame([this](const protocol::ReceivedFrame& f) { pending_.push_back(f); });
}

SimLine::SimLine(int fd, bool owns) : fd_(fd), owns_(owns) {
    assembler_.SetOnFrame([this](const protocol::ReceivedFrame& f) { pending_.push_back(f); });
}

SimLine::~SimLine() {
    if (simulator_) {
        simulator_->Stop();
    }
    if (owns_ && fd_ >= 0) {
        ::close(fd_);
    }
}

void SimLine::Write(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            throw std::runtime_error("write to the simulator failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

bool SimLine::ReadSome(Bytes& out, std::chrono::milliseconds wait) {
    if (closed_) {
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) {
        return false;
    }
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
        closed_ = n == 0 || errno == EIO;
        return false;
    }
    out.insert(out.end(), buffer, buffer + n);
    return true;
}

Bytes SimLine::ReadUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end && ReadSome(out, quiet)) {
    }
    return out;
}

Bytes SimLine::ReadUntilEndsWith(const Bytes& tail, std::chrono::milliseconds limit) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + limit;
    auto endsWithTail = [&] {
        return out.size() >= tail.size() &&
               std::equal(tail.begin(), tail.end(),
                          out.end() - static_cast<std::ptrdiff_t>(tail.size()));
    };
    while (!endsWithTail() && std::chrono::steady_clock::now() < end && !closed_) {
        ReadSome(out, 10ms);
    }
    return out;
}

Bytes SimLine::ReadCount(std::size_t count, std::chrono::milliseconds limit) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
        ReadSome(out, 10ms);
        if (closed_) {
            break;
        }
    }
    return out;
}

bool SimLine::WaitForHangUp(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    Bytes ignored;
    while (!closed_ && std::chrono::steady_clock::now() < end) {
        ReadSome(ignored, 10ms);
    }
    return closed_;
}

std::vector<protocol::ReceivedFrame> SimLine::Frames(std::size_t count,
                                                     std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (pending_.size() < count && std::chrono::steady_clock::now() < end && !closed_) {
        Bytes bytes;
        if (ReadSome(bytes, 10ms)) {
            assembler_.Feed(bytes);
        }
    }
    std::vector<protocol::ReceivedFrame> out;
    const std::size_t n = std::min(count, pending_.size());
    out.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

std::optional<Bytes> SimLine::Ask(protocol::Command command, const Bytes& payload,
                                  std::chrono::milliseconds limit) {
    return AskRaw(Request(command, payload), limit);
}

std::optional<Bytes> SimLine::AskRaw(const Bytes& frame, std::chrono::milliseconds limit) {
    Write(frame);
    const auto frames = Frames(1, limit);
    if (frames.empty()) {
        return std::nullopt;
    }
    return PayloadOf(frames.front());
}

}  // namespace lgcset::sim::test
