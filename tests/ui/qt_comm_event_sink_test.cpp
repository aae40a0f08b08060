// A serial line's events through Qt's event queue: handlers that destroy their line, nested
// loops, and events left queued when their line or the sink goes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <vector>

#include "link/SerialComm.h"
#include "ui/qt_comm_event_sink.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using link::TComm;

std::vector<std::uint8_t> Bytes(std::size_t count) {
    return std::vector<std::uint8_t>(count, 0x5A);
}

class QtCommEventSinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(pty.Ok());
    }
    // A line on the pseudo-terminal, one event a byte.
    std::unique_ptr<TComm> OpenLine(QtCommEventSink& sink) {
        auto comm = std::make_unique<TComm>(sink);
        comm->setCommName(pty.SlavePath());
        comm->OpenPort();
        return comm;
    }
    // The far end sends, and the events pile up in Qt's queue unserved for a while.
    void SendUnserved(std::size_t count) {
        pty.Write(Bytes(count));
        QThread::msleep(200);
    }

    Pty pty;
};

TEST_F(QtCommEventSinkTest, AHandlerMayDestroyItsLineWhileMoreOfItsEventsAreQueued) {
    QtCommEventSink sink;
    std::unique_ptr<TComm> comm = OpenLine(sink);
    ASSERT_TRUE(comm->PortOpen());
    int calls = 0;
    comm->OnReceiveData = [&](TComm* sender, const std::uint8_t*, std::uint16_t) {
        ++calls;
        EXPECT_EQ(sender, comm.get());
        EXPECT_EQ(QThread::currentThread(), sink.thread());
        comm.reset();
    };
    SendUnserved(50);
    ASSERT_TRUE(WaitFor([&] { return comm == nullptr; }));
    Pump(100);
    EXPECT_EQ(calls, 1);
}

// A handler that runs a nested loop (a modal box) in which a later event destroys the line:
// the outer handler still returns into a live receiver.
TEST_F(QtCommEventSinkTest, ALineDestroyedInsideANestedLoopOutlivesTheOuterHandler) {
    QtCommEventSink sink;
    std::unique_ptr<TComm> comm = OpenLine(sink);
    ASSERT_TRUE(comm->PortOpen());
    int calls = 0;
    // Posted events are served directly: some event dispatchers hold them back from a
    // nested processEvents, none from a modal box's loop.
    const auto nestedLoop = [](auto done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000) {
            QCoreApplication::sendPostedEvents();
            QThread::msleep(1);
        }
        return done();
    };
    comm->OnReceiveData = [&](TComm*, const std::uint8_t*, std::uint16_t) {
        if (++calls == 1) {
            EXPECT_TRUE(nestedLoop([&] { return comm == nullptr; }));
            int turns = 0;
            nestedLoop([&] { return ++turns > 50; });  // goes on after the destruction
        } else {
            comm.reset();
        }
    };
    pty.Write(Bytes(50));
    ASSERT_TRUE(WaitFor([&] { return comm == nullptr && calls >= 2; }));
    Pump(50);
    EXPECT_EQ(calls, 2);
}

TEST_F(QtCommEventSinkTest, EventsOfAGoneLineRunNothingWhetherDeliveredOrDropped) {
    int calls = 0;
    const auto count = [&](TComm*, const std::uint8_t*, std::uint16_t) { ++calls; };
    QtCommEventSink sink;
    {
        std::unique_ptr<TComm> comm = OpenLine(sink);
        ASSERT_TRUE(comm->PortOpen());
        comm->OnReceiveData = count;
        SendUnserved(50);
    }
    Pump(100);  // delivered to nobody
    EXPECT_EQ(calls, 0);

    {
        auto ownSink = std::make_unique<QtCommEventSink>();
        std::unique_ptr<TComm> comm = OpenLine(*ownSink);
        ASSERT_TRUE(comm->PortOpen());
        comm->OnReceiveData = count;
        SendUnserved(50);
        comm.reset();
        ownSink.reset();  // drops them, blocks and all
    }
    Pump(100);
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace lgcset::ui::test
