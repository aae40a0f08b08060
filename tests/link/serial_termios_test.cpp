// How the line properties become termios flags.
#include "link/serial_termios.h"

#include <gtest/gtest.h>

namespace lgcset::link {
namespace {

termios Filled(const TCommLineSettings& settings) {
    termios t{};
    t.c_lflag = ICANON | ECHO | ISIG;  // a cooked terminal as found
    t.c_iflag = ICRNL | IXANY | ISTRIP;
    t.c_cflag = CSTOPB | CRTSCTS | PARENB;
    FillTermios(settings, t);
    return t;
}

TEST(TermiosMapping, TheDeviceLinkSetupIsRaw8N1WithoutFlowControl) {
    const termios t = Filled(TCommLineSettings{});
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

TEST(TermiosMapping, ByteSizeParityAndStopBits) {
    TCommLineSettings s;
    const std::pair<TByteSize, tcflag_t> sizes[] = {
        {TByteSize::_5, CS5}, {TByteSize::_6, CS6}, {TByteSize::_7, CS7}, {TByteSize::_8, CS8}};
    for (const auto& [size, flag] : sizes) {
        s.ByteSize = size;
        EXPECT_EQ(Filled(s).c_cflag & CSIZE, flag);
    }
    const std::pair<TParity, tcflag_t> parities[] = {{TParity::None, 0},
                                                     {TParity::Odd, PARENB | PARODD},
                                                     {TParity::Even, PARENB},
                                                     {TParity::Mark, PARENB | PARODD | CMSPAR},
                                                     {TParity::Space, PARENB | CMSPAR}};
    for (const auto& [parity, flags] : parities) {
        s.Parity = parity;
        EXPECT_EQ(Filled(s).c_cflag & (PARENB | PARODD | CMSPAR), flags);
    }
    s.StopBits = TStopBits::_1;
    EXPECT_FALSE(Filled(s).c_cflag & CSTOPB);
    s.StopBits = TStopBits::_1_5;
    EXPECT_TRUE(Filled(s).c_cflag & CSTOPB);
    s.StopBits = TStopBits::_2;
    EXPECT_TRUE(Filled(s).c_cflag & CSTOPB);
}

TEST(TermiosMapping, FlowControlAndParityReplacement) {
    TCommLineSettings s;
    s.RtsControl = TRtsControl::RtsHandshake;
    EXPECT_TRUE(Filled(s).c_cflag & CRTSCTS);
    s.RtsControl = TRtsControl::RtsEnable;
    s.Outx_XonXoffFlow = true;
    EXPECT_EQ(Filled(s).c_iflag & (IXON | IXOFF), tcflag_t{IXON});

    // Only checking plus replacing turns bad bytes into 0; checking alone keeps them.
    s.ParityCheck = true;
    EXPECT_FALSE(Filled(s).c_iflag & INPCK);
    s.ReplaceWhenParityError = true;
    EXPECT_EQ(Filled(s).c_iflag & (INPCK | IGNPAR | PARMRK), tcflag_t{INPCK});
    s.ParityCheck = false;
    EXPECT_FALSE(Filled(s).c_iflag & INPCK);
}

TEST(TermiosMapping, StandardSpeedsAndOthers) {
    EXPECT_EQ(StandardSpeed(115200), speed_t{B115200});
    EXPECT_EQ(StandardSpeed(38400), speed_t{B38400});
    EXPECT_EQ(StandardSpeed(9600), speed_t{B9600});
    EXPECT_FALSE(StandardSpeed(250000).has_value());
    EXPECT_FALSE(StandardSpeed(0).has_value());
}

}  // namespace
}  // namespace lgcset::link
