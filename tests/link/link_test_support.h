// Shared by the link tests: a queue for the component's events, a wait that serves it, and
// a pseudo-terminal whose master end plays the far end of the line.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/comm_event_sink.h"

namespace lgcset::link::testing {

inline constexpr std::chrono::seconds kDeadline{20};

// Delivers the owner's events until the condition holds; false at the deadline. The
// condition is looked at every millisecond or so, events or not.
template <typename Condition>
bool ServeUntil(BlockingCommQueue& events, Condition condition,
                std::chrono::milliseconds limit = kDeadline) {
    using Clock = BlockingCommQueue::Clock;
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        const auto now = Clock::now();
        if (now > deadline) {
            return false;
        }
        events.DeliverUntil(now + std::chrono::milliseconds(1));
    }
    return true;
}

// Serves the events for a while, for checks that something does NOT happen.
inline void ServeFor(BlockingCommQueue& events, std::chrono::milliseconds span) {
    ServeUntil(
        events, [] { return false; }, span);
}

class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            char name[128] = {};
            if (::ptsname_r(master_, name, sizeof name) == 0) {
                slaveName_ = name;
            }
        }
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !slaveName_.empty(); }
    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }

    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    // Writes all bytes from the far end, waiting while the line is full.
    bool Send(const std::uint8_t* data, std::size_t count) const {
        std::size_t offset = 0;
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (offset < count) {
            const ssize_t n = ::write(master_, data + offset, count - offset);
            if (n > 0) {
                offset += static_cast<std::size_t>(n);
                continue;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            pollfd fd{master_, POLLOUT, 0};
            ::poll(&fd, 1, 10);
        }
        return true;
    }
    bool Send(const std::vector<std::uint8_t>& bytes) const {
        return Send(bytes.data(), bytes.size());
    }
    bool Send(const std::string& text) const {
        return Send(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }

    // Appends whatever the far end has received, waiting up to `milliseconds` for it.
    void Receive(std::vector<std::uint8_t>& into, int milliseconds = 1) const {
        pollfd fd{master_, POLLIN, 0};
        if (::poll(&fd, 1, milliseconds) <= 0) {
            return;
        }
        std::uint8_t chunk[4096];
        for (;;) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) {
                return;
            }
            into.insert(into.end(), chunk, chunk + n);
        }
    }

  private:
    int master_ = -1;
    std::string slaveName_;
};

// A test with the owner's event queue and a pseudo-terminal whose slave the component
// opens. The queue outlives every component the test makes.
class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }

    template <typename Condition>
    bool ServeUntil(Condition condition, std::chrono::milliseconds limit = kDeadline) {
        return testing::ServeUntil(events, condition, limit);
    }
    void ServeFor(std::chrono::milliseconds span) { testing::ServeFor(events, span); }

    BlockingCommQueue events;
    PtyPair pty;
};

inline std::vector<std::uint8_t> Pattern(std::size_t count, unsigned seed) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace lgcset::link::testing
