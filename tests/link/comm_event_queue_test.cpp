// The queue through which a program without an event loop takes its lines' events.
#include <chrono>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "link/comm_event_sink.h"

namespace lgcset::link {
namespace {

using namespace std::chrono_literals;
using Clock = BlockingCommQueue::Clock;

// Keeps the values of the events it is given.
class Recorder final : public CommEventTarget {
  public:
    void Deliver(const CommEvent& event) override {
        values.push_back(event.value);
        if (onDeliver) {
            onDeliver(event);
        }
    }
    std::vector<std::uint32_t> values;
    std::function<void(const CommEvent&)> onDeliver;
};

CommEvent EventFor(const std::shared_ptr<Recorder>& target, std::uint32_t value) {
    CommEvent event;
    event.target = target;
    event.message = CommMessage::ModemStateChange;
    event.value = value;
    return event;
}

TEST(BlockingCommQueueTest, WithNothingQueuedAWaitEndsAtItsDeadlineAndNoWaitAtOnce) {
    BlockingCommQueue queue;
    const auto start = Clock::now();
    EXPECT_EQ(queue.DeliverUntil(start + 80ms), 0u);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 80ms);
    EXPECT_LT(waited, 5s);

    const auto again = Clock::now();
    EXPECT_EQ(queue.DeliverPending(), 0u);
    EXPECT_EQ(queue.DeliverUntil(again - 1s), 0u);  // a deadline already past
    EXPECT_LT(Clock::now() - again, 1s);
}

TEST(BlockingCommQueueTest, EventsPostedElsewhereWakeAWaitAndRunInOrder) {
    BlockingCommQueue queue;
    auto target = std::make_shared<Recorder>();
    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        for (std::uint32_t value = 1; value <= 200; ++value) {
            queue.Post(EventFor(target, value));
        }
    });
    const auto start = Clock::now();
    EXPECT_GE(queue.DeliverUntil(start + 20s), 1u);
    EXPECT_LT(Clock::now() - start, 10s);  // woken by the first post, not by the deadline
    poster.join();
    queue.DeliverPending();
    std::vector<std::uint32_t> posted(200);
    std::iota(posted.begin(), posted.end(), 1u);
    EXPECT_EQ(target->values, posted);
}

TEST(BlockingCommQueueTest, AnEventMayPostAndDeliverFromInsideItsOwnDelivery) {
    BlockingCommQueue queue;
    auto target = std::make_shared<Recorder>();
    target->onDeliver = [&](const CommEvent& event) {
        if (event.value == 1) {
            queue.DeliverPending();  // a nested wait takes the events queued after it
        } else if (event.value == 3) {
            queue.Post(EventFor(target, 4));  // runs at the next delivery, not this one
        }
    };
    queue.Post(EventFor(target, 1));
    queue.Post(EventFor(target, 2));
    queue.Post(EventFor(target, 3));
    EXPECT_EQ(queue.DeliverPending(), 1u);  // the other two ran in the nested delivery
    EXPECT_EQ(target->values, (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(queue.DeliverPending(), 1u);
    EXPECT_EQ(target->values, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace lgcset::link
