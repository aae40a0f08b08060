#include "link/port_details.h"

#include <fstream>
#include <system_error>

namespace lgcset::link {

namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute, without its line end; empty when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// A USB device directory carries idVendor; the tty's device is one of its interfaces, so
// the USB device is the device directory itself or one of its nearest parents.
fs::path UsbDeviceOf(const fs::path& device) {
    fs::path at = device;
    for (int depth = 0; depth < 4 && !at.empty() && at != at.root_path(); ++depth) {
        std::error_code ignored;
        if (fs::exists(at / "idVendor", ignored))
            return at;
        at = at.parent_path();
    }
    return {};
}

}  // namespace

PortDetails DescribeSerialPort(const std::string& devicePath, const fs::path& ttyClassRoot) {
    PortDetails details;
    const fs::path entry = ttyClassRoot / fs::path(devicePath).filename();
    std::error_code error;
    const fs::path device = fs::canonical(entry / "device", error);
    if (error)
        return details;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    if (!error)
        details.driver = driver.filename().string();
    const fs::path usb = UsbDeviceOf(device);
    if (!usb.empty()) {
        details.manufacturer = Attribute(usb / "manufacturer");
        details.product = Attribute(usb / "product");
        const std::string vendor = Attribute(usb / "idVendor");
        const std::string product = Attribute(usb / "idProduct");
        if (!vendor.empty() && !product.empty())
            details.usbId = vendor + ":" + product;
    }
    return details;
}

}  // namespace lgcset::link
