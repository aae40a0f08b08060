// Why a line would not open, as the session's callers decide on it: the typed reason and the
// system's error number, whatever the texts shown with them say.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "../link/link_test_support.h"
#include "session/serial_link.h"
#include "session/simulated_link.h"

namespace lgcset::session {
namespace {

using Why = OpenFailure::Why;

struct Case {
    const char* name;
    // Opens the line under test once any earlier opens it needs are done.
    std::function<std::optional<OpenFailure>(link::BlockingCommQueue&, const std::string& pty)>
        open;
    Why why;
    int systemError;
    const char* detail;
    const char* reason;  // "" when the system gave none; "%s" stands for the pty's name
};

std::optional<OpenFailure> OpenSerial(link::BlockingCommQueue& sink, const std::string& name) {
    SerialLink line(sink, SerialReading::OneByteAtATime());
    return line.Open(name);
}

TEST(OpenFailure, SaysWhyByItsTypeAndTheSystemsNumber) {
    const Case cases[] = {
        {"missing device",
         [](auto& sink, auto&) { return OpenSerial(sink, "/dev/lgcset-no-such-port"); },
         Why::SystemRefused, ENOENT, "Error opening serial port",
         "No such device: /dev/lgcset-no-such-port."},
        {"not a serial line", [](auto& sink, auto&) { return OpenSerial(sink, "/dev/null"); },
         Why::NotSerialDevice, ENOTTY, "File handle is not a comm handle ",
         "/dev/null is not a serial port."},
        {"held by another opener",
         [](auto& sink, auto& pty) {
             SerialLink first(sink, SerialReading::OneByteAtATime());
             EXPECT_FALSE(first.Open(pty));
             return OpenSerial(sink, pty);
         },
         Why::SystemRefused, EWOULDBLOCK, "Error opening serial port",
         "%s is busy: another program is using it."},
        {"serial line open already",
         [](auto& sink, auto& pty) {
             SerialLink line(sink, SerialReading::OneByteAtATime());
             EXPECT_FALSE(line.Open(pty));
             auto failure = line.Open(pty);
             EXPECT_FALSE(line.IsOpen());  // let go, as the session takes it to be closed
             return failure;
         },
         Why::AlreadyOpen, 0, "This serial port already opened", ""},
        {"simulated logger open already",
         [](auto& sink, auto&) {
             SimulatedLink line(sink, sim::Options{});
             EXPECT_FALSE(line.Open("simulated R481"));
             return line.Open("simulated R481");
         },
         Why::AlreadyOpen, 0, "This serial port already opened", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link::testing::PtyPair pty;
        ASSERT_TRUE(pty.ok());
        link::BlockingCommQueue sink;
        const std::optional<OpenFailure> failure = c.open(sink, pty.slaveName());
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->why, c.why);
        EXPECT_EQ(failure->systemError, c.systemError);
        EXPECT_EQ(failure->HasSystemReason(), c.systemError != 0);
        EXPECT_EQ(failure->detail, c.detail);
        std::string reason = c.reason;
        if (const auto at = reason.find("%s"); at != std::string::npos)
            reason.replace(at, 2, pty.slaveName());
        EXPECT_EQ(failure->reason, reason);
    }
}

}  // namespace
}  // namespace lgcset::session
