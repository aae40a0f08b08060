// TComm against a pseudo-terminal: the master end plays the far end of the line.
#include <termios.h>

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

// Everything a component reports, as seen by its owner.
struct LineRecorder {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint16_t> lengths;
    bool zeroAfterEveryBuffer = true;
    int hangups = 0;
    int sendEmpty = 0;

    void Bind(TComm& comm) {
        comm.OnReceiveData = [this](TComm*, const std::uint8_t* buffer, std::uint16_t length) {
            bytes.insert(bytes.end(), buffer, buffer + length);
            lengths.push_back(length);
            zeroAfterEveryBuffer = zeroAfterEveryBuffer && buffer[length] == 0;
        };
        comm.OnRequestHangup = [this](TComm*) { ++hangups; };
        comm.OnSendDataEmpty = [this](TComm*) { ++sendEmpty; };
    }
};

class TCommTest : public testing::PtyTest {
  protected:
    void OpenOnPty(TComm& comm) {
        comm.setCommName(pty.slaveName());
        comm.OpenPort();
        ASSERT_TRUE(comm.PortOpen()) << comm.PortOpenError();
    }

    termios LineOfPty() const {
        termios t{};
        ::tcgetattr(pty.master(), &t);  // on a master this reads the terminal side's setup
        return t;
    }
};

TEST_F(TCommTest, PropertySetterRules) {
    TComm comm(events);
    EXPECT_EQ(comm.CommName(), "COM1");
    EXPECT_EQ(comm.CommPort(), 1);

    comm.setCommPort(0);
    EXPECT_EQ(comm.CommPort(), 1);
    EXPECT_EQ(comm.CommName(), "COM1");
    comm.setCommPort(5);
    EXPECT_EQ(comm.CommName(), "COM5");
    comm.setCommName("ttyUSB0");
    comm.setCommPort(5);  // unchanged number: the name stays
    EXPECT_EQ(comm.CommName(), "ttyUSB0");

    EXPECT_EQ(comm.InputLen(), 1);
    EXPECT_EQ(comm.InBufferSize(), 2048);
    comm.setInputLen(4000);  // above InBufferSize: ignored
    EXPECT_EQ(comm.InputLen(), 1);
    comm.setInputLen(0);
    EXPECT_EQ(comm.InputLen(), 2048);
    comm.setInBufferSize(0);
    EXPECT_EQ(comm.InBufferSize(), 1);
}

TEST_F(TCommTest, InputLenIsClampedToInBufferSizeAtOpen) {
    TComm comm(events);
    comm.setInputLen(100);
    comm.setInBufferSize(8);  // not guarded when set
    LineRecorder seen;
    seen.Bind(comm);
    OpenOnPty(comm);
    EXPECT_EQ(comm.InputLen(), 8);
    const auto sent = Pattern(40, 1);
    ASSERT_TRUE(pty.Send(sent));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() == sent.size(); }));
    EXPECT_EQ(seen.bytes, sent);
    for (auto length : seen.lengths) {
        EXPECT_LE(length, 8);
    }
}

TEST_F(TCommTest, OpenFailuresLeaveTheComponentClosed) {
    TComm comm(events);
    comm.setCommName("/dev/lgcset-no-such-port");
    try {
        comm.OpenPort();
        FAIL() << "no exception";
    } catch (const ECommsError& error) {
        EXPECT_STREQ(error.what(), "Error opening serial port");
    }
    EXPECT_EQ(comm.PortOpenError(), "Error opening serial port");
    EXPECT_FALSE(comm.PortOpen());

    comm.setCommName("lgcset-no-such-port");  // taken under /dev
    EXPECT_THROW(comm.OpenPort(), ECommsError);

    for (const char* name : {"/dev/null", "null"}) {
        comm.setCommName(name);
        EXPECT_NO_THROW(comm.OpenPort());
        EXPECT_EQ(comm.PortOpenError(), "File handle is not a comm handle ") << name;
        EXPECT_FALSE(comm.PortOpen());
        const std::uint8_t byte = 1;
        EXPECT_FALSE(comm.WriteData(&byte, 1));
    }
    comm.ClosePort();  // closed: only clears the text
    EXPECT_EQ(comm.PortOpenError(), "");
}

TEST_F(TCommTest, OnlyOneOpenerAtATimeAndSecondOpenPortChangesNothing) {
    TComm first(events);
    LineRecorder seen;
    seen.Bind(first);
    OpenOnPty(first);

    first.OpenPort();
    EXPECT_EQ(first.PortOpenError(), "This serial port already opened");
    EXPECT_TRUE(first.PortOpen());

    TComm second(events);
    second.setCommName(pty.slaveName());
    EXPECT_THROW(second.OpenPort(), ECommsError);
    EXPECT_EQ(second.PortOpenError(), "Error opening serial port");

    ASSERT_TRUE(pty.Send("x"));  // the first one still serves the line
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() == 1; }));

    first.setPortOpen(false);
    EXPECT_FALSE(first.PortOpen());
    second.setPortOpen(true);  // the port is free again
    EXPECT_TRUE(second.PortOpen()) << second.PortOpenError();
}

TEST_F(TCommTest, EveryByteIsItsOwnEventWithInputLenOne) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    OpenOnPty(comm);
    const auto sent = Pattern(500, 2);
    ASSERT_TRUE(pty.Send(sent));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() >= sent.size(); }));
    EXPECT_EQ(seen.bytes, sent);
    EXPECT_EQ(seen.lengths, std::vector<std::uint16_t>(sent.size(), 1));
    EXPECT_TRUE(seen.zeroAfterEveryBuffer);
}

TEST_F(TCommTest, OrderIsKeptOverTensOfThousandsOfBytesBothWays) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    OpenOnPty(comm);

    const auto inbound = Pattern(60000, 3);
    const auto outbound = Pattern(60000, 4);
    std::thread farEnd([&] { pty.Send(inbound); });

    // Blocks of changing size, single bytes among them, from a buffer reused at once.
    std::vector<std::uint8_t> farGot;
    std::size_t offset = 0;
    std::size_t step = 0;
    while (offset < outbound.size()) {
        const std::size_t size = std::min<std::size_t>(step % 7 == 0 ? 1 : 1 + (step * 37) % 600,
                                                       outbound.size() - offset);
        std::vector<std::uint8_t> block(outbound.begin() + offset,
                                        outbound.begin() + offset + size);
        ASSERT_TRUE(comm.WriteData(block.data(), static_cast<std::uint16_t>(size)));
        std::fill(block.begin(), block.end(), 0xEE);  // the caller's buffer is free again
        offset += size;
        ++step;
        pty.Receive(farGot, 0);
        events.DeliverPending();
    }
    EXPECT_TRUE(ServeUntil([&] {
        pty.Receive(farGot, 0);
        return farGot.size() >= outbound.size() && seen.bytes.size() >= inbound.size();
    }));
    farEnd.join();
    EXPECT_EQ(farGot, outbound);
    EXPECT_EQ(seen.bytes, inbound);
}

TEST_F(TCommTest, AnOwnerThatFallsBehindLosesNothing) {
    // More bytes than the reader lets wait unserved: it pauses, the line backs up, and
    // everything still arrives in order once the owner serves its events again.
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    OpenOnPty(comm);
    const auto inbound = Pattern(90000, 7);
    std::thread farEnd([&] { pty.Send(inbound); });
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(ServeUntil([&] { return seen.bytes.size() >= inbound.size(); }));
    farEnd.join();
    EXPECT_EQ(seen.bytes, inbound);
}

TEST_F(TCommTest, WriteDataRefusesAClosedPortAndAnEmptyBlock) {
    TComm comm(events);
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_FALSE(comm.WriteData(bytes, 3));
    OpenOnPty(comm);
    EXPECT_FALSE(comm.WriteData(bytes, 0));
    EXPECT_FALSE(comm.WriteData(nullptr, 3));
    comm.ClosePort();
    EXPECT_FALSE(comm.WriteData(bytes, 3));
    std::vector<std::uint8_t> farGot;
    pty.Receive(farGot, 100);
    EXPECT_TRUE(farGot.empty());
}

TEST_F(TCommTest, CountsTheBytesOnTheLineBothWaysAndNotThoseRefused) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    const auto outbound = Pattern(300, 8);
    EXPECT_FALSE(comm.WriteData(outbound.data(), 300));  // closed: not on the line
    OpenOnPty(comm);
    ASSERT_TRUE(comm.WriteData(outbound.data(), 300));
    ASSERT_TRUE(comm.WriteData(outbound.data(), 1));
    EXPECT_EQ(comm.BytesSent(), 301u);
    const auto inbound = Pattern(500, 9);
    ASSERT_TRUE(pty.Send(inbound));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() >= inbound.size(); }));
    EXPECT_EQ(comm.BytesReceived(), 500u);
    // Unbound, the bytes still arrive on the line.
    comm.OnReceiveData = nullptr;
    ASSERT_TRUE(pty.Send(inbound));
    EXPECT_TRUE(ServeUntil([&] { return comm.BytesReceived() >= 1000u; }));
    EXPECT_EQ(comm.BytesReceived(), 1000u);
}

TEST_F(TCommTest, SendDataEmptyAtStartAndWhenTheQueueRunsEmptyAgain) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    OpenOnPty(comm);
    ASSERT_TRUE(ServeUntil([&] { return seen.sendEmpty == 1; }));
    ServeFor(100ms);
    EXPECT_EQ(seen.sendEmpty, 1);  // idle: no repeats

    const auto block = Pattern(300, 5);
    ASSERT_TRUE(comm.WriteData(block.data(), 300));
    std::vector<std::uint8_t> farGot;
    ASSERT_TRUE(ServeUntil([&] {
        pty.Receive(farGot, 0);
        return seen.sendEmpty == 2 && farGot.size() == 300;
    }));
    EXPECT_EQ(farGot, block);
}

TEST_F(TCommTest, LongerReadsCompleteOnTheIntervalOrWhenFull) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    comm.setInputLen(4);
    comm.setReadIntervalTimeout(0);  // no interval, no totals: a read waits until full
    OpenOnPty(comm);
    ASSERT_TRUE(pty.Send("abc"));
    ServeFor(300ms);
    EXPECT_TRUE(seen.lengths.empty());
    ASSERT_TRUE(pty.Send("defghij"));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() == 8; }));
    EXPECT_EQ(seen.lengths, (std::vector<std::uint16_t>{4, 4}));

    comm.setReadIntervalTimeout(30);  // the partial "ij" now completes after 30 ms
    ASSERT_TRUE(pty.Send("k"));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() == 11; }));
    EXPECT_EQ(std::string(seen.bytes.begin(), seen.bytes.end()), "abcdefghijk");
}

TEST_F(TCommTest, IgnoreNullCharDropsZeroBytes) {
    TComm comm(events);
    LineRecorder seen;
    seen.Bind(comm);
    comm.setIgnoreNullChar(true);
    OpenOnPty(comm);
    ASSERT_TRUE(pty.Send(std::vector<std::uint8_t>{0, 1, 0, 0, 2, 0, 3}));
    ASSERT_TRUE(ServeUntil([&] { return seen.bytes.size() == 3; }));
    ServeFor(50ms);
    EXPECT_EQ(seen.bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(TCommTest, OutputSendsTheWholeText) {
    TComm comm(events);
    OpenOnPty(comm);
    const auto pattern = Pattern(70000, 6);  // more than one 16-bit block
    const std::string text(pattern.begin(), pattern.end());
    comm.setOutput(text);
    EXPECT_EQ(comm.Output(), text);
    std::vector<std::uint8_t> farGot;
    ASSERT_TRUE(ServeUntil([&] {
        pty.Receive(farGot, 0);
        return farGot.size() >= pattern.size();
    }));
    EXPECT_EQ(farGot, pattern);
}

TEST_F(TCommTest, LineSettingsReachTheLine) {
    // A pseudo-terminal keeps 8 bits without parity whatever it is told; the rest sticks.
    TComm comm(events);
    comm.setBaudRate(115200);
    comm.setParity(TParity::Odd);
    comm.setStopBits(TStopBits::_2);
    comm.setOutx_CtsFlow(true);
    comm.setOutx_XonXoffFlow(true);
    comm.setInx_XonXoffFlow(true);
    comm.setXonChar(0x01);
    comm.setXoffChar(0x02);
    comm.setDtrControl(TDtrControl::DtrEnable);  // no modem lines on a pty: ignored
    OpenOnPty(comm);

    termios t = LineOfPty();
    EXPECT_EQ(::cfgetospeed(&t), B115200);
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
    EXPECT_EQ(t.c_cc[VSTOP], 0x02);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));  // raw
    EXPECT_FALSE(t.c_oflag & OPOST);

    comm.setBaudRate(250000);  // not a standard rate: set through the kernel's own speed
    t = LineOfPty();
    constexpr tcflag_t kOtherSpeed = 0010000;
    EXPECT_EQ(t.c_cflag & CBAUD, kOtherSpeed);
    comm.setBaudRate(9600);
    t = LineOfPty();
    EXPECT_EQ(::cfgetospeed(&t), B9600);
}

TEST_F(TCommTest, AChangedLinePropertyReappliesTheWholeSetupAndAnEqualOneNothing) {
    TComm comm(events);
    comm.setBaudRate(115200);
    OpenOnPty(comm);

    // Someone else alters the line behind the component's back.
    termios altered = LineOfPty();
    ::cfsetospeed(&altered, B2400);
    ::cfsetispeed(&altered, B2400);
    altered.c_lflag |= ECHO;
    ASSERT_EQ(::tcsetattr(pty.master(), TCSANOW, &altered), 0);

    comm.setBaudRate(115200);  // equal: nothing happens
    termios t = LineOfPty();
    EXPECT_EQ(::cfgetospeed(&t), B2400);
    EXPECT_TRUE(t.c_lflag & ECHO);

    comm.setParity(TParity::Odd);  // a change re-applies everything
    t = LineOfPty();
    EXPECT_EQ(::cfgetospeed(&t), B115200);
    EXPECT_FALSE(t.c_lflag & ECHO);
    EXPECT_TRUE(t.c_cflag & PARODD);
}

}  // namespace
}  // namespace lgcset::link
