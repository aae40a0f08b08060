// Ending a link: closing under load, the far end going away, destroying the component.
#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "link/SerialComm.h"
#include "link_test_support.h"

namespace lgcset::link {
namespace {

using namespace std::chrono_literals;
using testing::Pattern;

class TCommShutdownTest : public testing::PtyTest {
  protected:
    // Waits, without delivering anything, until at least `count` events are queued.
    bool QueueHolds(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + testing::kDeadline;
        while (events.Size() < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
};

// Floods the line from the far end and drains what the component sends, until stopped.
class FarEndFlood {
  public:
    explicit FarEndFlood(int master)
        : thread_([this, master] {
              const auto bytes = Pattern(4096, 9);
              std::uint8_t sink[4096];
              while (!stop_.load()) {
                  const ssize_t written = ::write(master, bytes.data(), bytes.size());
                  const ssize_t read = ::read(master, sink, sizeof sink);
                  if (written <= 0 && read <= 0) {
                      std::this_thread::sleep_for(1ms);
                  }
              }
          }) {}
    ~FarEndFlood() {
        stop_.store(true);
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(TCommShutdownTest, ClosingDuringHeavyTrafficBothWays) {
    FarEndFlood flood(pty.master());
    TComm comm(events);
    comm.setCommName(pty.slaveName());
    std::size_t received = 0;
    comm.OnReceiveData = [&](TComm*, const std::uint8_t*, std::uint16_t n) { received += n; };
    const auto block = Pattern(4096, 10);
    for (int cycle = 0; cycle < 4; ++cycle) {
        comm.OpenPort();
        ASSERT_TRUE(comm.PortOpen()) << comm.PortOpenError();
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(comm.WriteData(block.data(), static_cast<std::uint16_t>(block.size())));
        }
        const std::size_t before = received;
        ASSERT_TRUE(ServeUntil([&] { return received > before + 1000; }));
        comm.ClosePort();  // with bytes still queued for the writer and arriving
        EXPECT_FALSE(comm.PortOpen());
        EXPECT_FALSE(comm.WriteData(block.data(), 1));
    }
    ServeFor(50ms);  // messages posted before the close are still delivered safely
}

TEST_F(TCommShutdownTest, FarEndClosingRequestsHangupOnce) {
    TComm comm(events);
    comm.setCommName(pty.slaveName());
    int hangups = 0;
    int sendEmpty = 0;
    comm.OnRequestHangup = [&](TComm* sender) {
        EXPECT_EQ(sender, &comm);
        ++hangups;
    };
    comm.OnSendDataEmpty = [&](TComm*) { ++sendEmpty; };
    comm.OpenPort();
    ASSERT_TRUE(comm.PortOpen());
    ASSERT_TRUE(ServeUntil([&] { return sendEmpty == 1; }));

    pty.CloseMaster();
    ASSERT_TRUE(ServeUntil([&] { return hangups == 1; }));
    const std::uint8_t bytes[] = {1, 2, 3};
    comm.WriteData(bytes, 3);  // may or may not be taken; must not bring a second hang-up
    ServeFor(300ms);
    EXPECT_EQ(hangups, 1);
    EXPECT_TRUE(comm.PortOpen());  // held until the owner closes it
    comm.ClosePort();
    EXPECT_FALSE(comm.PortOpen());
}

TEST_F(TCommShutdownTest, AHangupStillQueuedAtCloseNeverEndsTheNextSession) {
    TComm comm(events);
    comm.setCommName(pty.slaveName());
    int hangups = 0;
    int sendEmpty = 0;
    comm.OnRequestHangup = [&](TComm*) { ++hangups; };
    comm.OnSendDataEmpty = [&](TComm*) { ++sendEmpty; };
    comm.OpenPort();
    ASSERT_TRUE(ServeUntil([&] { return sendEmpty == 1; }));

    // The line goes away and the owner closes before it has served the request.
    pty.CloseMaster();
    std::this_thread::sleep_for(200ms);
    comm.ClosePort();

    // A new session on another line: the old request asks nothing of it ...
    testing::PtyPair next;
    ASSERT_TRUE(next.ok());
    comm.setCommName(next.slaveName());
    comm.OpenPort();
    ASSERT_TRUE(comm.PortOpen()) << comm.PortOpenError();
    ServeFor(200ms);
    EXPECT_EQ(hangups, 0);
    // ... and its own loss is still reported, once.
    next.CloseMaster();
    ASSERT_TRUE(ServeUntil([&] { return hangups == 1; }));
    ServeFor(100ms);
    EXPECT_EQ(hangups, 1);
    comm.ClosePort();
}

TEST_F(TCommShutdownTest, DestroyingAnOpenComponentClosesItAndDropsItsMessages) {
    int calls = 0;
    {
        TComm comm(events);
        comm.setCommName(pty.slaveName());
        comm.OnReceiveData = [&](TComm*, const std::uint8_t*, std::uint16_t) { ++calls; };
        comm.OpenPort();
        ASSERT_TRUE(comm.PortOpen());
        ASSERT_TRUE(pty.Send(Pattern(2000, 11)));
        ASSERT_TRUE(QueueHolds(100));  // messages pile up without being served
        const auto block = Pattern(1000, 12);
        comm.WriteData(block.data(), 1000);
    }
    EXPECT_GE(events.Size(), 100u);
    ServeFor(100ms);  // they are still delivered, to nobody
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(events.Size(), 0u);

    TComm next(events);  // the port was released
    next.setCommName(pty.slaveName());
    next.OpenPort();
    EXPECT_TRUE(next.PortOpen()) << next.PortOpenError();
}

TEST_F(TCommShutdownTest, AHandlerMayDestroyItsComponentWhileMoreOfItsEventsAreQueued) {
    auto comm = std::make_unique<TComm>(events);
    comm->setCommName(pty.slaveName());
    int calls = 0;
    comm->OnReceiveData = [&](TComm* sender, const std::uint8_t*, std::uint16_t) {
        ++calls;
        EXPECT_EQ(sender, comm.get());
        comm.reset();
    };
    comm->OpenPort();
    ASSERT_TRUE(comm->PortOpen());
    ASSERT_TRUE(pty.Send(Pattern(50, 13)));
    ASSERT_TRUE(QueueHolds(50));  // one event a byte
    events.DeliverPending();      // the first destroys the component; the rest run nothing
    EXPECT_EQ(comm, nullptr);
    ServeFor(100ms);
    EXPECT_EQ(calls, 1);
}

// A handler that delivers events itself (a modal wait) in which a later event destroys
// the component: the outer handler still returns into a live receiver.
TEST_F(TCommShutdownTest, AComponentDestroyedInsideANestedDeliveryOutlivesTheOuterHandler) {
    auto comm = std::make_unique<TComm>(events);
    comm->setCommName(pty.slaveName());
    int calls = 0;
    const auto nestedLoop = [this](auto done) { return testing::ServeUntil(events, done); };
    comm->OnReceiveData = [&](TComm*, const std::uint8_t*, std::uint16_t) {
        if (++calls == 1) {
            EXPECT_TRUE(nestedLoop([&] { return comm == nullptr; }));
            int turns = 0;
            nestedLoop([&] { return ++turns > 50; });  // goes on after the destruction
        } else {
            comm.reset();
        }
    };
    comm->OpenPort();
    ASSERT_TRUE(comm->PortOpen());
    ASSERT_TRUE(pty.Send(Pattern(50, 15)));
    ASSERT_TRUE(ServeUntil([&] { return comm == nullptr && calls >= 2; }));
    ServeFor(50ms);
    EXPECT_EQ(calls, 2);
}

TEST_F(TCommShutdownTest, MessagesWithoutHandlersAreFreed) {
    TComm comm(events);  // no handler bound: the blocks must still be released
    comm.setCommName(pty.slaveName());
    comm.OpenPort();
    ASSERT_TRUE(comm.PortOpen());
    ASSERT_TRUE(pty.Send(Pattern(3000, 14)));
    ServeFor(200ms);
    comm.ClosePort();
}

}  // namespace
}  // namespace lgcset::link
