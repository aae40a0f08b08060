// What the system knows of one serial port: the driver behind it and, for a USB adapter,
// the maker and product names the adapter reports, as far as the system says.
#pragma once

#include <filesystem>
#include <string>

namespace lgcset::link {

struct PortDetails {
    // Linux: "ftdi_sio", "cdc_acm", "serial8250"; Windows: the device behind the port name
    // (\Device\VCP0); empty when unknown.
    std::string driver;
    std::string manufacturer;  // USB adapters only; empty otherwise
    std::string product;
    std::string usbId;  // "0403:6001" for a USB adapter, else empty
};

// Linux: the details of the tty class entry named by devicePath's file name
// ("/dev/ttyUSB0" -> ttyClassRoot/ttyUSB0). Windows: the device the registry's list of
// serial devices names for the port ("COM3"); ttyClassRoot is not used. Anything the system
// does not say stays empty.
PortDetails DescribeSerialPort(const std::string& devicePath,
                               const std::filesystem::path& ttyClassRoot = "/sys/class/tty");

// One line for a port list: the path, then whatever is known, separated by two spaces.
std::string PortLine(const std::string& devicePath, const PortDetails& details);

}  // namespace lgcset::link
