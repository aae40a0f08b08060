// Words the operating system's reason why a serial device could not be opened: the window
// puts it under its port error box, the command-line program after its one-line message.
#pragma once

#include <string>

namespace lgcset::link {

// errorNumber is the errno left by the failed open (0 when unknown: the result is empty);
// portName is the name the user chose ("ttyUSB0" or a path), used to name the device and
// its owning group.
std::string OpenFailureReason(int errorNumber, const std::string& portName);

}  // namespace lgcset::link
