#include <windows.h>

#include "link/open_failure_reason.h"
#include "link/win32_text.h"

namespace lgcset::link {

std::string OpenFailureReason(int errorNumber, const std::string& portName) {
    switch (errorNumber) {
        case 0:
            return {};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "No such port: " + portName + ".";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // A COM port opens for one program at a time: "access denied" means taken.
            return portName + " is busy: another program is using it.";
        case ERROR_BAD_DEV_TYPE:  // set by the open for a device that is not a serial line
            return portName + " is not a serial port.";
        default:
            return portName + ": " + SystemErrorText(static_cast<unsigned long>(errorNumber));
    }
}

}  // namespace lgcset::link
