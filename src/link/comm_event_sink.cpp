#include "link/comm_event_sink.h"

#include <utility>

namespace lgcset::link {

void BlockingCommQueue::Post(CommEvent event) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = events_.empty();
        events_.push_back(std::move(event));
    }
    // Only an empty queue has someone waiting on it.
    if (wasEmpty) {
        posted_.notify_all();
    }
}

std::size_t BlockingCommQueue::DeliverUntil(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (events_.empty() && Clock::now() < deadline) {
        posted_.wait_until(lock, deadline, [this] { return !events_.empty(); });
    }
    // Those queued now, and no more: a line that keeps posting must not keep the owner
    // from looking at anything else. A delivery nested in one of them may take some.
    const std::uint64_t last = taken_ + events_.size();
    std::size_t delivered = 0;
    while (taken_ < last && !events_.empty()) {
        CommEvent event = std::move(events_.front());
        events_.pop_front();
        ++taken_;
        lock.unlock();
        event.Deliver();
        ++delivered;
        event = CommEvent{};  // its block and target go before the lock is taken again
        lock.lock();
    }
    return delivered;
}

std::size_t BlockingCommQueue::DeliverPending() {
    return DeliverUntil(Clock::time_point::min());
}

std::size_t BlockingCommQueue::Size() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

}  // namespace lgcset::link
