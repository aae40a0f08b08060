// How a line's events travel from the threads that notice them to the thread that owns the
// line. The threads post; a sink queues; the owner's thread delivers, one event at a time,
// in the order posted. The window's sink posts into Qt's event queue; a program without a
// window takes them from a BlockingCommQueue.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace lgcset::link {

enum class CommMessage : int {
    ReceiveData = 1025,       // byte count and block
    ReceiveError = 1026,      // line error flags
    RequestHangup = 1027,     // the line has gone away
    ModemStateChange = 1028,  // modem bits
    SendDataEmpty = 1029,     // the writer has nothing left to send
};

struct CommEvent;

// Whoever an event is for. Held shared by the events: one that is still queued when its
// owner has gone keeps the target alive, and the target then delivers nothing.
class CommEventTarget {
  public:
    virtual ~CommEventTarget() = default;
    // On the owner's thread.
    virtual void Deliver(const CommEvent& event) = 0;
};

// One posted event; the block (count bytes and a zero after them) belongs to the event.
struct CommEvent {
    std::shared_ptr<CommEventTarget> target;
    CommMessage message = CommMessage::ReceiveData;
    std::unique_ptr<std::uint8_t[]> block;
    std::uint16_t count = 0;
    std::uint32_t value = 0;

    void Deliver() const { target->Deliver(*this); }
};

class CommEventSink {
  public:
    virtual ~CommEventSink() = default;
    // Any thread. The event is delivered later on the owner's thread, never inside Post.
    virtual void Post(CommEvent event) = 0;
};

// A sink for an owner without an event loop: events wait in a queue until the owner's
// thread asks for them.
class BlockingCommQueue final : public CommEventSink {
  public:
    using Clock = std::chrono::steady_clock;

    void Post(CommEvent event) override;
    // Delivers every event queued; when none is, first waits for one until `deadline`.
    // Returns the number delivered. An event that posts another (or destroys its line)
    // is safe: each is taken off the queue before it runs. Events posted meanwhile wait
    // for the next call.
    std::size_t DeliverUntil(Clock::time_point deadline);
    // Delivers what is queued without waiting.
    std::size_t DeliverPending();
    std::size_t Size() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<CommEvent> events_;
    std::uint64_t taken_ = 0;  // events taken off the queue so far
};

}  // namespace lgcset::link
