// The system's serial ports, for the window's port list and lgcset-cli's `ports`.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lgcset::link {

// Lists the serial ports of this machine, each usable as a CommName, in natural order
// (ttyS2 before ttyS10, COM2 before COM10).
//
// On Windows: the port names ("COM3") of the registry's list of serial devices,
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM; the two roots are not used.
//
// On Linux: device paths under devRoot ("/dev/ttyUSB0"). A tty class entry counts as a serial port when
//  - it has a `device` link: a driver with hardware behind it (UARTs, USB adapters such as
//    ttyUSB*/ttyACM*, other serial drivers); virtual consoles and pseudo-terminals have none;
//  - it is not a serial-core port without a UART: where the entry has a `type` attribute,
//    the value 0 (unknown port) marks a placeholder such as the ttyS ports that the 8250
//    driver registers whether or not the chip is there;
//  - its device node exists under devRoot.
std::vector<std::string> ListSerialPorts(
    const std::filesystem::path& ttyClassRoot = "/sys/class/tty",
    const std::filesystem::path& devRoot = "/dev");

// A port name as this system writes one, for messages: "/dev/ttyUSB0", "COM3".
extern const char* const kExamplePortName;

// Orders names with their digit runs compared as numbers: "ttyS2" < "ttyS10".
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace lgcset::link
