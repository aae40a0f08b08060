// What the system knows of one serial port: the driver behind it and, for a USB adapter,
// the maker and product names the adapter reports. Plain C++: reads sysfs only.
#pragma once

#include <filesystem>
#include <string>

namespace lgcset::link {

struct PortDetails {
    std::string driver;        // "ftdi_sio", "cdc_acm", "serial8250"; empty when unknown
    std::string manufacturer;  // USB adapters only; empty otherwise
    std::string product;
    std::string usbId;  // "0403:6001" for a USB adapter, else empty
};

// The details of the tty class entry named by devicePath's file name ("/dev/ttyUSB0" ->
// ttyClassRoot/ttyUSB0). Anything sysfs does not say stays empty.
PortDetails DescribeSerialPort(const std::string& devicePath,
                               const std::filesystem::path& ttyClassRoot = "/sys/class/tty");

// One line for a port list: the path, then whatever is known, separated by two spaces.
std::string PortLine(const std::string& devicePath, const PortDetails& details);

}  // namespace lgcset::link
