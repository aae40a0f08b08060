// A serial line's events through Qt's event queue: handlers that destroy their line while
// more of its events are queued, directly or from a nested loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <vector>

#include "link/SerialComm.h"
#include "ui/qt_comm_event_sink.h"
#include "test_pty.h"
#include "ui_test_support.h"

namespace lgcset::ui::test {
namespace {

using link::TComm;

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
    pty.Write(std::vector<std::uint8_t>(50, 0x5A));
    QThread::msleep(200);  // the events pile up in Qt's queue unserved
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
    pty.Write(std::vector<std::uint8_t>(50, 0x5A));
    ASSERT_TRUE(WaitFor([&] { return comm == nullptr && calls >= 2; }));
    Pump(50);
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace lgcset::ui::test
