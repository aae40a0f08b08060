// The queue through which a program without an event loop takes its lines' events.
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "link/comm_event_sink.h"

namespace lgcset::link {
namespace {

using namespace std::chrono_literals;
using Clock = BlockingCommQueue::Clock;

// Keeps the values of the events it is given, and the thread they ran on.
class Recorder final : public CommEventTarget {
  public:
    void Deliver(const CommEvent& event) override {
        values.push_back(event.value);
        threads.push_back(std::this_thread::get_id());
        if (onDeliver) {
            onDeliver(event);
        }
    }
    std::vector<std::uint32_t> values;
    std::vector<std::thread::id> threads;
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

TEST(BlockingCommQueueTest, EventsPostedElsewhereWakeAWaitAndRunHereInOrder) {
    BlockingCommQueue queue;
    auto target = std::make_shared<Recorder>();
    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        for (std::uint32_t value = 1; value <= 200; ++value) {
            queue.Post(EventFor(target, value));
        }
    });
    const auto start = Clock::now();
    std::size_t delivered = queue.DeliverUntil(start + 20s);
    EXPECT_GE(delivered, 1u);
    EXPECT_LT(Clock::now() - start, 10s);  // woken by the first post, not by the deadline
    poster.join();
    delivered += queue.DeliverPending();
    EXPECT_EQ(delivered, 200u);

    ASSERT_EQ(target->values.size(), 200u);
    for (std::uint32_t i = 0; i < 200; ++i) {
        EXPECT_EQ(target->values[i], i + 1);
        EXPECT_EQ(target->threads[i], std::this_thread::get_id());
    }
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
    EXPECT_EQ(queue.Size(), 1u);
    EXPECT_EQ(queue.DeliverPending(), 1u);
    EXPECT_EQ(target->values, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST(BlockingCommQueueTest, AnEventIsFreedOnceItHasRunAndQueuedOnesWithTheQueue) {
    auto target = std::make_shared<Recorder>();
    const std::weak_ptr<Recorder> watch = target;
    {
        BlockingCommQueue queue;
        queue.Post(EventFor(target, 1));
        queue.DeliverPending();
        EXPECT_EQ(target.use_count(), 1);
        queue.Post(EventFor(target, 2));
        target.reset();
    }
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace lgcset::link
