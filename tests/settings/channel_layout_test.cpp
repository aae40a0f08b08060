#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/channel_layout.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

using Items = std::vector<std::string>;

class ChannelLayoutTest : public ::testing::Test {
protected:
    SettingsModel model;
    ParameterImage image;
    CodeTables codes;

    // Stores a login reply: status 1, then the given bytes.
    void Reply(const std::string& bytes) {
        ClearImage(image);
        image[5120] = 1;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            image[5121 + i] = static_cast<std::uint8_t>(bytes[i]);
        }
    }

    bool SensorEnabled(int n) const {
        bool all = true;
        bool any = false;
        for (const WidgetRow* def : WidgetsOfGroup(SensorGroup(n))) {
            all = all && model.Enabled(def->name);
            any = any || model.Enabled(def->name);
        }
        EXPECT_EQ(all, any) << "sensor " << n << " partly enabled";
        return all;
    }
};

TEST_F(ChannelLayoutTest, TwoAnalogChannelsWithTheWholeModelShown) {
    Reply(std::string("R482-GPS\0V2.10\0", 15));
    ApplyDeviceIdentity(model, image, codes);
    EXPECT_EQ(model.Text("Edit1"), "R482-GPS");
    EXPECT_EQ(model.Text("edt43"), "V2.10");
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(model.Items(SettingId{Setting::SensorType, n}), Items{"Ain"});
        EXPECT_EQ(model.ItemIndex(SettingId{Setting::SensorType, n}), 0);
        EXPECT_TRUE(SensorEnabled(n));
    }
    for (int n = 3; n <= 4; ++n) {
        EXPECT_EQ(model.Items(SettingId{Setting::SensorType, n}),
                  (Items{"Centigrade", "Fahrenheit", "AIN"}));
        EXPECT_EQ(model.ItemIndex(SettingId{Setting::SensorType, n}), -1);
        EXPECT_FALSE(SensorEnabled(n));
    }
    EXPECT_EQ(codes.sensorTypeCodes, (std::array<std::uint8_t, 3>{'B', 'F', 'B'}));
}

TEST_F(ChannelLayoutTest, ShortOrUnknownModelIsShownAndChangesNothing) {
    for (const std::string model_string : {"R48", "R484", "X481", ""}) {
        SettingsModel fresh;
        CodeTables freshCodes;
        Reply(model_string + std::string("\0fw\0", 4));
        ApplyDeviceIdentity(fresh, image, freshCodes);
        EXPECT_EQ(fresh.Text("Edit1"), model_string);
        EXPECT_EQ(fresh.Text("edt43"), "fw");
        EXPECT_EQ(fresh.Items("cbb_sensor1"), (Items{"Centigrade", "Fahrenheit", "AIN"}));
        EXPECT_EQ(fresh.ItemIndex("cbb_sensor1"), -1);
        EXPECT_EQ(freshCodes.sensorTypeCodes, (std::array<std::uint8_t, 3>{'C', 'F', 'B'}));
    }
}

TEST_F(ChannelLayoutTest, FourTemperatureChannelsEnableSensorsThreeAndFourAgain) {
    Reply(
        std::string("R480\0"
                    "1.0\0",
                    9));
    ApplyDeviceIdentity(model, image, codes);
    EXPECT_FALSE(SensorEnabled(3));
    EXPECT_EQ(model.Items("cbb_sensor1"), (Items{"Centigrade", "Fahrenheit"}));

    Reply(
        std::string("R481\0"
                    "1.0\0",
                    9));
    ApplyDeviceIdentity(model, image, codes);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(model.Items(SettingId{Setting::SensorType, n}),
                  (Items{"Centigrade", "Fahrenheit"}));
        EXPECT_EQ(model.ItemIndex(SettingId{Setting::SensorType, n}), 0);
        EXPECT_TRUE(SensorEnabled(n));
    }

    // After an analog model the temperature codes are restored for the first two entries.
    Reply(std::string("R483\0\0", 6));
    ApplyDeviceIdentity(model, image, codes);
    Reply(std::string("R481\0\0", 6));
    ApplyDeviceIdentity(model, image, codes);
    EXPECT_EQ(codes.sensorTypeCodes, (std::array<std::uint8_t, 3>{'C', 'F', 'B'}));
}

TEST_F(ChannelLayoutTest, TypeCodeSelectsTheFirstMatchingItem) {
    // Initial lists: C, F, B select items 0, 1, 2; any other code selects nothing.
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'C', 3), 0);
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'B', 3), 2);
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'X', 3), -1);
    // After R480 the third code is still 'B' but the list has only two items.
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'B', 2), -1);
    // After R482: 'B' is entry 0 and entry 2, the first one wins.
    codes.sensorTypeCodes[0] = 'B';
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'B', 1), 0);
    EXPECT_EQ(ItemForCode(codes.sensorTypeCodes, 'C', 1), -1);

    Reply(std::string("R480\0\0", 6));
    ApplyDeviceIdentity(model, image, codes);
    ClearImage(image);
    image[2048] = 'F';
    image[2048 + 36] = 'X';
    model.SetItemIndex("cbb_sensor2", 1);
    DecodeAlarmPage(model, image, codes);
    EXPECT_EQ(model.ItemIndex("cbb_sensor1"), 1);
    EXPECT_EQ(model.ItemIndex("cbb_sensor2"), 1);  // unknown code: unchanged
}

TEST_F(ChannelLayoutTest, ReplyWithoutTerminatorsStopsAtTheEndOfTheImage) {
    ClearImage(image);
    image[5120] = 1;
    const std::string model_string = "R483";
    for (std::size_t a = 5121; a < ParameterImage::kSize; ++a) {
        image[a] = a - 5121 < model_string.size() ? model_string[a - 5121] : 'x';
    }
    ApplyDeviceIdentity(model, image, codes);
    EXPECT_EQ(model.Text("Edit1").size(), ParameterImage::kSize - 5121);
    EXPECT_EQ(model.Text("edt43"), "");
    EXPECT_EQ(model.Items("cbb_sensor4"), Items{"Ain"});

    // A 0xFF ends what is shown, not the string the layout is chosen from.
    Reply(
        std::string("R480\xFF"
                    "abc\0"
                    "2.0\xFF"
                    "x\0",
                    14));
    ApplyDeviceIdentity(model, image, codes);
    EXPECT_EQ(model.Text("Edit1"), "R480");
    EXPECT_EQ(model.Text("edt43"), "2.0");
    EXPECT_FALSE(SensorEnabled(3));
}

}  // namespace
}  // namespace lgcset::settings
