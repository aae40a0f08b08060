// The Windows side of the serial component: opens that fail say why, and the port list is
// the registry's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "link/SerialComm.h"
#include "link/comm_event_sink.h"
#include "link/open_failure_reason.h"
#include "link/port_details.h"
#include "link/port_list.h"

namespace lgcset::link {
namespace {

namespace fs = std::filesystem;

TEST(SerialWin32Open, AMissingPortRaisesAndSaysThereIsNoSuchPort) {
    BlockingCommQueue events;
    TComm comm(events);
    comm.setCommName("COM199");
    EXPECT_THROW(comm.OpenPort(), ECommsError);
    EXPECT_EQ(comm.PortOpenError(), "Error opening serial port");
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(OpenFailureReason(comm.PortOpenSystemError(), "COM199"), "No such port: COM199.");
}

TEST(SerialWin32Open, AFileIsNotACommHandleAndIsLetGo) {
    const fs::path file = fs::temp_directory_path() / "lgcset-not-a-port.txt";
    std::ofstream(file) << "x";
    const std::string name = "\\\\?\\" + fs::absolute(file).string();
    BlockingCommQueue events;
    TComm comm(events);
    comm.setCommName(name);
    EXPECT_NO_THROW(comm.OpenPort());
    EXPECT_EQ(comm.PortOpenError(), "File handle is not a comm handle ");
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(OpenFailureReason(comm.PortOpenSystemError(), "X"), "X is not a serial port.");
    // The handle was closed again: the file can be removed at once.
    std::error_code error;
    EXPECT_TRUE(fs::remove(file, error)) << error.message();
}

TEST(SerialWin32Open, OtherFailuresAreNamedInTheSystemsWords) {
    EXPECT_EQ(OpenFailureReason(0, "COM3"), "");
    EXPECT_EQ(OpenFailureReason(ERROR_ACCESS_DENIED, "COM3"),
              "COM3 is busy: another program is using it.");
    const std::string other = OpenFailureReason(ERROR_NOT_ENOUGH_MEMORY, "COM3");
    EXPECT_EQ(other.rfind("COM3: ", 0), 0u) << other;
    EXPECT_GT(other.size(), std::string("COM3: ").size());
    EXPECT_EQ(other.find('\n'), std::string::npos);
}

// Adds two values to the registry's list of serial devices for the test's time; skips where
// the key cannot be written (a user without administrator rights on Windows).
class SerialCommRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                              nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE | KEY_QUERY_VALUE,
                              nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            GTEST_SKIP() << "the registry's list of serial devices cannot be written here";
        }
        Set(L"\\Device\\LgcsetTest10", L"COM110");
        Set(L"\\Device\\LgcsetTest9", L"COM109");
    }
    void TearDown() override {
        if (key_ != nullptr) {
            ::RegDeleteValueW(key_, L"\\Device\\LgcsetTest10");
            ::RegDeleteValueW(key_, L"\\Device\\LgcsetTest9");
            ::RegCloseKey(key_);
        }
    }
    void Set(const wchar_t* device, const std::wstring& port) {
        ::RegSetValueExW(key_, device, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                         static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
};

TEST_F(SerialCommRegistry, ListsTheRegisteredPortsInNaturalOrderWithTheirDevice) {
    const std::vector<std::string> ports = ListSerialPorts();
    const auto at9 = std::find(ports.begin(), ports.end(), "COM109");
    const auto at10 = std::find(ports.begin(), ports.end(), "COM110");
    ASSERT_NE(at9, ports.end());
    ASSERT_NE(at10, ports.end());
    EXPECT_LT(at9, at10);
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const auto& a, const auto& b) {
        return NaturalLess(a, b);
    }));
    EXPECT_EQ(DescribeSerialPort("COM110").driver, "\\Device\\LgcsetTest10");
    EXPECT_EQ(PortLine("COM110", DescribeSerialPort("COM110")), "COM110  \\Device\\LgcsetTest10");
    EXPECT_EQ(DescribeSerialPort("COM198").driver, "");
}

}  // namespace
}  // namespace lgcset::link
