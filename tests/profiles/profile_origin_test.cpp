// Where a profile came from, and when a load has to ask before it goes to the logger.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "profiles/ini_file.h"
#include "profiles/profile_origin.h"

namespace lgcset::profiles {
namespace {

IniFile SavedFrom(const std::string& model, const std::string& deviceId) {
    IniFile file;
    file.Write("COM", "SetPwd", "1234");
    WriteOrigin(file, {model, "V3.05", deviceId, "2026-03-01T10:15:00Z", "lgcset 1.0"});
    return file;
}

TEST(ProfileOrigin, ALoadAsksOnlyWhenTheKnownModelOrDeviceIdDiffers) {
    const IniFile withoutOrigin = IniFile::FromBytes("[COM]\r\nSetPwd=1234\r\n");
    const struct {
        const char* name;
        IniFile file;
        LoggerIdentity logger;
        std::optional<std::string> mismatch;
    } cases[] = {
        {"same logger", SavedFrom("R481", "0123456789"), {"R481", "0123456789"}, std::nullopt},
        {"another model", SavedFrom("R483", "0123456789"), {"R481", "000000000000101"},
         "saved from R483 (device 0123456789); the logger is R481"},
        {"another device ID", SavedFrom("R481", "0123456789"), {"R481", "000000000000101"},
         "saved from R481 (device 0123456789); the logger is R481 (device 000000000000101)"},
        {"no origin", withoutOrigin, {"R483", "000000000000101"}, std::nullopt},
        {"logger not logged in", SavedFrom("R483", "0123456789"), {"", ""}, std::nullopt},
        {"logger's ID not read", SavedFrom("R481", "0123456789"), {"R481", ""}, std::nullopt},
        {"profile's ID not known", SavedFrom("R481", ""), {"R481", "000000000000101"},
         std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OriginMismatch(c.file, c.logger), c.mismatch) << c.name;

    EXPECT_EQ(LoadAnywayQuestion("saved from R483 (device 0123456789); the logger is R481"),
              "This profile was saved from R483 (device 0123456789); the logger is R481. Load it "
              "anyway?");
}

TEST(ProfileOrigin, ASaveOverAnOlderOriginLeavesNoneOfItsKeys) {
    IniFile file = SavedFrom("R483", "0123456789");
    const ProfileOrigin newer{"R480", "", "", "2026-03-02T00:00:00Z", "lgcset-cli 1.0"};
    WriteOrigin(file, newer);
    EXPECT_EQ(ReadOrigin(file), newer);

    using namespace std::chrono;
    EXPECT_EQ(UtcTimestamp(sys_days{2026y / 3 / 9} + 5h + 40min + 6s + 700ms),
              "2026-03-09T05:40:06Z");
}

}  // namespace
}  // namespace lgcset::profiles
