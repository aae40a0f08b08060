// What a user types as a device ID, taken to the form the logger stores, or refused.
#include "data/device_id.h"

#include <gtest/gtest.h>

namespace lgcset::data {
namespace {

TEST(NormalDeviceId, PaddedToTheStoredFormOrRefusedWithOneLine) {
    const struct {
        std::string_view typed, id;
    } taken[] = {
        {"101", "000000000000101"},
        {"000000000000101", "000000000000101"},
        {" 0101\t", "000000000000101"},
        {"0", "000000000000000"},
        {"123456789012345", "123456789012345"},
    };
    for (const auto& t : taken) {
        const DeviceIdText normal = NormalDeviceId(t.typed);
        EXPECT_EQ(normal.id, t.id) << t.typed;
        EXPECT_TRUE(normal.ok()) << normal.error;
    }
    for (const std::string_view refused :
         {"", "  ", "1234567890123456", "0000000000000101", "12a", "-101", "+101", "1 01", "１０１"}) {
        const DeviceIdText normal = NormalDeviceId(refused);
        EXPECT_FALSE(normal.ok()) << refused;
        EXPECT_EQ(normal.id, "") << refused;
        EXPECT_NE(normal.error.find("is not a device ID"), std::string::npos) << normal.error;
        EXPECT_EQ(normal.error.find('\n'), std::string::npos) << normal.error;
    }
}

}  // namespace
}  // namespace lgcset::data
