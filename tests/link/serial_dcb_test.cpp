// The component's line settings as the Windows driver gets them.
#include <gtest/gtest.h>

#include "link/serial_dcb_win32.h"

namespace lgcset::link {
namespace {

DCB Filled(const TCommLineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.EofChar = 0x1A;  // not the component's: must survive
    dcb.EvtChar = 0x7E;
    FillDcb(settings, dcb);
    return dcb;
}

TEST(SerialDcb, TheLoggersLineIs115200EightNoneOneWithoutFlowControl) {
    TCommLineSettings line;
    line.BaudRate = 115200;
    const DCB dcb = Filled(line);
    EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, TRUE);
    EXPECT_EQ(dcb.fParity, FALSE);
    EXPECT_EQ(dcb.fOutxCtsFlow, FALSE);
    EXPECT_EQ(dcb.fOutxDsrFlow, FALSE);
    EXPECT_EQ(dcb.fOutX, FALSE);
    EXPECT_EQ(dcb.fInX, FALSE);
    EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_DISABLE);
    EXPECT_EQ(dcb.fAbortOnError, FALSE);  // an error must never stall the line
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.EofChar, 0x1A);
    EXPECT_EQ(dcb.EvtChar, 0x7E);
}

// The component lists the enable mode first; the driver's numbering differs, so a mode
// passed through by number would swap enable and disable.
TEST(SerialDcb, ModesAreTranslatedNotPassedByNumber) {
    TCommLineSettings line;
    line.DtrControl = TDtrControl::DtrEnable;
    line.RtsControl = TRtsControl::RtsEnable;
    EXPECT_EQ(Filled(line).fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(Filled(line).fRtsControl, RTS_CONTROL_ENABLE);
    line.DtrControl = TDtrControl::DtrHandshake;
    line.RtsControl = TRtsControl::RtsTransmissionAvailable;
    EXPECT_EQ(Filled(line).fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(Filled(line).fRtsControl, RTS_CONTROL_TOGGLE);
    line.RtsControl = TRtsControl::RtsHandshake;
    EXPECT_EQ(Filled(line).fRtsControl, RTS_CONTROL_HANDSHAKE);

    line.ByteSize = TByteSize::_5;
    line.Parity = TParity::Even;
    line.StopBits = TStopBits::_1_5;
    EXPECT_EQ(Filled(line).ByteSize, 5);
    EXPECT_EQ(Filled(line).Parity, EVENPARITY);
    EXPECT_EQ(Filled(line).StopBits, ONE5STOPBITS);
    line.ByteSize = TByteSize::_7;
    line.Parity = TParity::Space;
    line.StopBits = TStopBits::_2;
    EXPECT_EQ(Filled(line).ByteSize, 7);
    EXPECT_EQ(Filled(line).Parity, SPACEPARITY);
    EXPECT_EQ(Filled(line).StopBits, TWOSTOPBITS);
    line.Parity = TParity::Mark;
    EXPECT_EQ(Filled(line).Parity, MARKPARITY);
}

TEST(SerialDcb, FlowControlAndCharacterSettingsReachTheDriver) {
    TCommLineSettings line;
    line.ParityCheck = true;
    line.Outx_CtsFlow = true;
    line.Outx_DsrFlow = true;
    line.DsrSensitivity = true;
    line.TxContinueOnXoff = true;
    line.Outx_XonXoffFlow = true;
    line.Inx_XonXoffFlow = true;
    line.ReplaceWhenParityError = true;
    line.IgnoreNullChar = true;
    line.XonLimit = 100;
    line.XoffLimit = 200;
    line.XonChar = 0x01;
    line.XoffChar = 0x02;
    line.ReplacedChar = 0x3F;
    const DCB dcb = Filled(line);
    EXPECT_EQ(dcb.fParity, TRUE);
    EXPECT_EQ(dcb.fOutxCtsFlow, TRUE);
    EXPECT_EQ(dcb.fOutxDsrFlow, TRUE);
    EXPECT_EQ(dcb.fDsrSensitivity, TRUE);
    EXPECT_EQ(dcb.fTXContinueOnXoff, TRUE);
    EXPECT_EQ(dcb.fOutX, TRUE);
    EXPECT_EQ(dcb.fInX, TRUE);
    EXPECT_EQ(dcb.fErrorChar, TRUE);
    EXPECT_EQ(dcb.fNull, TRUE);
    EXPECT_EQ(dcb.XonLim, 100);
    EXPECT_EQ(dcb.XoffLim, 200);
    EXPECT_EQ(dcb.XonChar, 0x01);
    EXPECT_EQ(dcb.XoffChar, 0x02);
    EXPECT_EQ(dcb.ErrorChar, 0x3F);
}

}  // namespace
}  // namespace lgcset::link
