// What the port list says of each port, on a made-up sysfs tree laid out as the kernel lays
// out a USB adapter (the tty's device is an interface of the USB device) and a UART.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "link/open_failure_reason.h"
#include "link/port_details.h"

namespace lgcset::link {
namespace {

namespace fs = std::filesystem;

class PortDetailsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("lgcset-port-details-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "class/tty");
        fs::create_directories(root / "bus/drivers/ftdi_sio");
        fs::create_directories(root / "bus/drivers/serial8250");
    }
    void TearDown() override { fs::remove_all(root); }

    void Tty(const std::string& name, const fs::path& device, const std::string& driver) {
        fs::create_directories(device);
        fs::create_directories(root / "class/tty" / name);
        fs::create_directory_symlink(device, root / "class/tty" / name / "device");
        if (!driver.empty())
            fs::create_directory_symlink(root / "bus/drivers" / driver, device / "driver");
    }
    static void Attribute(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text << "\n";
    }

    fs::path root;
};

TEST_F(PortDetailsTest, AUsbAdapterNamesItsDriverIdMakerAndProduct) {
    const fs::path usb = root / "devices/pci0000:00/usb1/1-2";
    const fs::path interface = usb / "1-2:1.0";
    Tty("ttyUSB0", interface / "ttyUSB0", "ftdi_sio");
    Attribute(usb / "idVendor", "0403");
    Attribute(usb / "idProduct", "6001");
    Attribute(usb / "manufacturer", "FTDI");
    Attribute(usb / "product", "FT232R USB UART");

    const PortDetails details = DescribeSerialPort("/dev/ttyUSB0", root / "class/tty");
    EXPECT_EQ(details.driver, "ftdi_sio");
    EXPECT_EQ(details.usbId, "0403:6001");
    EXPECT_EQ(details.manufacturer, "FTDI");
    EXPECT_EQ(details.product, "FT232R USB UART");
    EXPECT_EQ(PortLine("/dev/ttyUSB0", details),
              "/dev/ttyUSB0  ftdi_sio  0403:6001  FTDI  FT232R USB UART");
}

TEST_F(PortDetailsTest, AUartHasADriverOnlyAndAnUnknownPortNothing) {
    Tty("ttyS0", root / "devices/platform/serial8250/ttyS0", "serial8250");
    const PortDetails uart = DescribeSerialPort("/dev/ttyS0", root / "class/tty");
    EXPECT_EQ(uart.driver, "serial8250");
    EXPECT_TRUE(uart.manufacturer.empty() && uart.product.empty() && uart.usbId.empty());
    EXPECT_EQ(PortLine("/dev/ttyS0", uart), "/dev/ttyS0  serial8250");

    EXPECT_EQ(PortLine("/dev/ttyX9", DescribeSerialPort("/dev/ttyX9", root / "class/tty")),
              "/dev/ttyX9");
}

TEST(OpenFailureReason, NamesTheFixForPermissionsAndNothingWithoutAReason) {
    const std::string denied = OpenFailureReason(EACCES, "/nonexistent/ttyUSB9");
    EXPECT_NE(denied.find("Permission denied"), std::string::npos) << denied;
    EXPECT_NE(denied.find("dialout"), std::string::npos) << denied;
    EXPECT_TRUE(OpenFailureReason(0, "ttyS0").empty());
}

}  // namespace
}  // namespace lgcset::link
