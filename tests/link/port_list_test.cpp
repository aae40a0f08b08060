// The port list on a made-up sysfs and /dev tree.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "link/port_list.h"

namespace lgcset::link {
namespace {

namespace fs = std::filesystem;

class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() /
            ("lgcset-ports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "sys/class/tty");
        fs::create_directories(root / "sys/devices");
        fs::create_directories(root / "dev");
    }
    void TearDown() override { fs::remove_all(root); }

    // A tty class entry; `device` links into the devices tree as sysfs does.
    void AddTty(const std::string& name, bool withDevice, const char* type = nullptr,
                bool withNode = true) {
        const fs::path entry = root / "sys/class/tty" / name;
        fs::create_directories(entry);
        if (withDevice) {
            const fs::path device = root / "sys/devices" / name;
            fs::create_directories(device);
            fs::create_directory_symlink(device, entry / "device");
        }
        if (type != nullptr) {
            std::ofstream(entry / "type") << type << "\n";
        }
        if (withNode) {
            std::ofstream(root / "dev" / name).put('\0');
        }
    }

    std::vector<std::string> List() const {
        return ListSerialPorts(root / "sys/class/tty", root / "dev");
    }
    std::string Dev(const std::string& name) const { return (root / "dev" / name).string(); }

    fs::path root;
};

TEST_F(PortListTest, ListsRealPortsOnlyInNaturalOrder) {
    AddTty("ttyS10", true, "4");
    AddTty("ttyS2", true, "4");
    AddTty("ttyS0", true, "4");
    AddTty("ttyS1", true, "0");  // registered by the driver, no UART behind it
    AddTty("ttyUSB0", true);
    AddTty("ttyACM1", true);
    AddTty("ttyAMA0", true, "95");
    AddTty("tty0", false);  // virtual console
    AddTty("ptmx", false);
    AddTty("console", false);
    AddTty("ttyUSB7", true, nullptr, false);  // no device node
    EXPECT_EQ(List(), (std::vector<std::string>{Dev("ttyACM1"), Dev("ttyAMA0"), Dev("ttyS0"),
                                                Dev("ttyS2"), Dev("ttyS10"), Dev("ttyUSB0")}));
}

TEST_F(PortListTest, NoPortsOrNoSysfsGiveAnEmptyList) {
    AddTty("tty1", false);
    EXPECT_TRUE(List().empty());
    EXPECT_TRUE(ListSerialPorts(root / "missing", root / "dev").empty());
}

}  // namespace
}  // namespace lgcset::link
