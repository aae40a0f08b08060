// Words the operating system's reason why a serial device could not be opened: the window
// puts it under its port error box, the command-line program after its one-line message.
#pragma once

#include <string>

namespace lgcset::link {

// errorNumber is the system's error number of the failed open (errno on Linux, GetLastError()
// on Windows; 0 when unknown: the result is empty); portName is the name the user chose
// ("ttyUSB0", a path, "COM3"), used to name the device and, on Linux, its owning group.
std::string OpenFailureReason(int errorNumber, const std::string& portName);

}  // namespace lgcset::link
