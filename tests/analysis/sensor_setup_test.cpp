// Kinds and limits as the alarm settings, or a profile loaded into them, give them.
#include "analysis/sensor_setup.h"

#include <gtest/gtest.h>

#include "profiles/ini_file.h"
#include "profiles/profile.h"
#include "settings/settings_model.h"

namespace lgcset::analysis {
namespace {

SensorSetups FromProfile(const std::string& text,
                         std::optional<settings::ChannelLayout> layout = std::nullopt) {
    settings::SettingsModel model;
    profiles::LoadProfile(profiles::IniFile::FromBytes(text), model);
    return SetupsFromSettings(model, layout);
}

constexpr const char* kProfile =
    "[SENSOR1]\r\nflag=0\r\nullimit=-2.5\r\nllimit=2\r\nuhlimit=12\r\nhlimit=8\r\n"
    "[SENSOR2]\r\nflag=1\r\nllimit=35.6\r\nhlimit=\r\n"
    "[SENSOR3]\r\nflag=2\r\nhlimit=20\r\n"
    "[SENSOR4]\r\nflag=-1\r\nhlimit=abc\r\n";

TEST(SensorSetup, AProfileGivesEachSensorsKindFromItsFlagAndItsFourLimits) {
    const SensorSetups setups = FromProfile(kProfile);
    EXPECT_EQ(setups[0].kind, SensorKind::Celsius);
    EXPECT_EQ(setups[1].kind, SensorKind::Fahrenheit);
    EXPECT_EQ(setups[2].kind, SensorKind::Analog);
    EXPECT_EQ(setups[3].kind, SensorKind::Celsius);  // no item: the list shows Centigrade
    EXPECT_EQ(setups[0].limits, (SensorLimits{-2.5f, 2.0f, 8.0f, 12.0f}));
    // Empty, missing and not a number: unset.
    EXPECT_EQ(setups[1].limits, (SensorLimits{std::nullopt, 35.6f, std::nullopt, std::nullopt}));
    EXPECT_EQ(setups[3].limits, SensorLimits{});
}

// A logger read with its factory alarm settings shows 999.00 in every threshold box: the
// value an empty box is written as, so no limit at all (else every reading is an excursion).
TEST(SensorSetup, TheLoggersNotSetMarkerIsNoLimit) {
    const SensorSetups setups = FromProfile(
        "[SENSOR1]\r\nullimit=999.00\r\nllimit=999\r\nuhlimit=999.00\r\nhlimit=999.00\r\n"
        "[SENSOR2]\r\nllimit=998.99\r\nhlimit=-999\r\n");
    EXPECT_EQ(setups[0].limits, SensorLimits{});
    EXPECT_EQ(setups[1].limits, (SensorLimits{std::nullopt, 998.99f, -999.0f, std::nullopt}));
}

TEST(SensorSetup, EveryChannelOfAnAnalogLoggerIsAnalog) {
    for (const auto layout :
         {settings::ChannelLayout::TwoAnalog, settings::ChannelLayout::FourAnalog}) {
        for (const SensorSetup& setup : FromProfile(kProfile, layout))
            EXPECT_EQ(setup.kind, SensorKind::Analog);
    }
    const SensorSetups temperature =
        FromProfile(kProfile, settings::ChannelLayout::FourTemperature);
    EXPECT_EQ(temperature[1].kind, SensorKind::Fahrenheit);

    // Limits read without a logger (or for another) put on an archived logger's model.
    const SensorSetups onHand = FromProfile(kProfile);
    for (const SensorSetup& setup : SetupsOnLayout(onHand, settings::LayoutForModel("R483")))
        EXPECT_EQ(setup.kind, SensorKind::Analog);
    const SensorSetups r482 = SetupsOnLayout(onHand, settings::LayoutForModel("R482"));
    EXPECT_EQ(r482[0].kind, SensorKind::Analog);
    EXPECT_EQ(r482[0].limits, onHand[0].limits);
    for (const std::string model : {"R481", "R480", ""}) {
        const SensorSetups kept = SetupsOnLayout(onHand, settings::LayoutForModel(model));
        EXPECT_EQ(kept[0].kind, SensorKind::Celsius) << model;
        EXPECT_EQ(kept[1].kind, SensorKind::Fahrenheit) << model;
    }
}

}  // namespace
}  // namespace lgcset::analysis
