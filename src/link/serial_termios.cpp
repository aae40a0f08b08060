#include "link/serial_termios.h"

#include <algorithm>
#include <array>

namespace lgcset::link {

namespace {

struct StandardRate {
    std::uint32_t rate;
    speed_t code;
};

constexpr std::array<StandardRate, 30> kStandardRates{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

}  // namespace

std::optional<speed_t> StandardSpeed(std::uint32_t rate) {
    const auto* found = std::find_if(kStandardRates.begin(), kStandardRates.end(),
                                     [&](const StandardRate& r) { return r.rate == rate; });
    if (found == kStandardRates.end()) {
        return std::nullopt;
    }
    return found->code;
}

void FillTermios(const TCommLineSettings& s, termios& t) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;  // modem lines never block reading
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr std::array<tcflag_t, 4> kSizes{CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[static_cast<std::size_t>(s.ByteSize) % kSizes.size()];
    switch (s.Parity) {
        case TParity::None:
            break;
        case TParity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case TParity::Even:
            t.c_cflag |= PARENB;
            break;
        case TParity::Mark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case TParity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
    }
    // There is no one-and-a-half; a UART sends 1.5 stop bits for CSTOPB at 5 data bits.
    if (s.StopBits != TStopBits::_1) {
        t.c_cflag |= CSTOPB;
    }
    // CTS output flow and the RTS input handshake are one switch here.
    if (s.Outx_CtsFlow || s.RtsControl == TRtsControl::RtsHandshake) {
        t.c_cflag |= CRTSCTS;
    }
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP);
    if (s.Outx_XonXoffFlow) {
        t.c_iflag |= IXON;
    }
    if (s.Inx_XonXoffFlow) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = s.XonChar;
    t.c_cc[VSTOP] = s.XoffChar;
    // With INPCK a byte with a parity or framing error is read as 0: the replacement,
    // exact when ReplacedChar is 0. Without replacement the byte is delivered as received
    // and the error still reaches OnReceiveError through the driver's counters.
    if (s.ParityCheck && s.ReplaceWhenParityError) {
        t.c_iflag |= INPCK;
    }
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

}  // namespace lgcset::link
