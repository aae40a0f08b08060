#include "link/serial_dcb_win32.h"

namespace lgcset::link {

namespace {

// The component numbers its modes with the enable value first; the driver does not.
DWORD DriverDtr(TDtrControl control) {
    switch (control) {
        case TDtrControl::DtrEnable:
            return DTR_CONTROL_ENABLE;
        case TDtrControl::DtrDisable:
            return DTR_CONTROL_DISABLE;
        case TDtrControl::DtrHandshake:
            return DTR_CONTROL_HANDSHAKE;
    }
    return DTR_CONTROL_DISABLE;
}

DWORD DriverRts(TRtsControl control) {
    switch (control) {
        case TRtsControl::RtsEnable:
            return RTS_CONTROL_ENABLE;
        case TRtsControl::RtsDisable:
            return RTS_CONTROL_DISABLE;
        case TRtsControl::RtsHandshake:
            return RTS_CONTROL_HANDSHAKE;
        case TRtsControl::RtsTransmissionAvailable:
            return RTS_CONTROL_TOGGLE;
    }
    return RTS_CONTROL_DISABLE;
}

BYTE DriverParity(TParity parity) {
    switch (parity) {
        case TParity::None:
            return NOPARITY;
        case TParity::Odd:
            return ODDPARITY;
        case TParity::Even:
            return EVENPARITY;
        case TParity::Mark:
            return MARKPARITY;
        case TParity::Space:
            return SPACEPARITY;
    }
    return NOPARITY;
}

BYTE DriverStopBits(TStopBits stopBits) {
    switch (stopBits) {
        case TStopBits::_1:
            return ONESTOPBIT;
        case TStopBits::_1_5:
            return ONE5STOPBITS;
        case TStopBits::_2:
            return TWOSTOPBITS;
    }
    return ONESTOPBIT;
}

BYTE DriverByteSize(TByteSize byteSize) {
    return static_cast<BYTE>(5 + static_cast<int>(byteSize));
}

}  // namespace

void FillDcb(const TCommLineSettings& s, DCB& dcb) {
    dcb.BaudRate = s.BaudRate;
    dcb.fBinary = TRUE;  // the only mode the driver supports
    dcb.fParity = s.ParityCheck ? TRUE : FALSE;
    dcb.fOutxCtsFlow = s.Outx_CtsFlow ? TRUE : FALSE;
    dcb.fOutxDsrFlow = s.Outx_DsrFlow ? TRUE : FALSE;
    dcb.fDtrControl = DriverDtr(s.DtrControl);
    dcb.fDsrSensitivity = s.DsrSensitivity ? TRUE : FALSE;
    dcb.fTXContinueOnXoff = s.TxContinueOnXoff ? TRUE : FALSE;
    dcb.fOutX = s.Outx_XonXoffFlow ? TRUE : FALSE;
    dcb.fInX = s.Inx_XonXoffFlow ? TRUE : FALSE;
    dcb.fErrorChar = s.ReplaceWhenParityError ? TRUE : FALSE;
    dcb.fNull = s.IgnoreNullChar ? TRUE : FALSE;
    dcb.fRtsControl = DriverRts(s.RtsControl);
    dcb.fAbortOnError = FALSE;  // errors are collected by ClearCommError, never block the line
    dcb.XonLim = s.XonLimit;
    dcb.XoffLim = s.XoffLimit;
    dcb.ByteSize = DriverByteSize(s.ByteSize);
    dcb.Parity = DriverParity(s.Parity);
    dcb.StopBits = DriverStopBits(s.StopBits);
    dcb.XonChar = static_cast<char>(s.XonChar);
    dcb.XoffChar = static_cast<char>(s.XoffChar);
    dcb.ErrorChar = static_cast<char>(s.ReplacedChar);
}

}  // namespace lgcset::link
