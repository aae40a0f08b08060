// Pages as the logger stores them. Expected bytes are worked out by hand from the layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/channel_layout.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

using ByteList = std::vector<std::uint8_t>;

ByteList Repeat(std::uint8_t byte, std::size_t count) {
    return ByteList(count, byte);
}

ByteList Join(std::initializer_list<ByteList> parts) {
    ByteList all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

ByteList At(const ParameterImage& image, std::size_t address, std::size_t count) {
    const auto bytes = image.Bytes(address, count);
    return ByteList(bytes.begin(), bytes.end());
}

class PageCodec : public ::testing::Test {
protected:
    std::vector<std::string> messages;
    SettingsModel model{[this](const std::string& text) { messages.push_back(text); }};
    ParameterImage image;
    CodeTables codes;
};

TEST_F(PageCodec, DefaultWindowGivesThisSystemPage) {
    ClearImage(image);
    EXPECT_TRUE(EncodeSystemPage(model, image, codes));
    const ByteList expected = Join({
        {0x01},                               // timemode Auto
        Repeat(0xFF, 20),                     // SIM number empty
        {'8', '6', '0', '4', 0xFF, 0xFF},     // device password
        Repeat('0', 15),                      // empty device ID
        {0x05},                               // log interval
        {0xFF, 0x3C, 0x00},                   // reserved
        {0x00},                               // PIN verification off
        {'8', '6', '0', '4', 0xFF, 0xFF},     // PIN code
        Repeat(0xFF, 20),                     // GPRS failure number
        {0x00},                               // GPS off
        {'D', 0xFF, 0x00, 0x00, 0xFF, 0xFF},  // upload Timer, empty timer
        {'D', 0xFF, 0x18, 0x00},              // report Timer, 24 hours
        Repeat(0xFF, 8),                      // no schedules
        Repeat(0xFF, 20),                     // SMS report number
        {'C', 0xFF, 0x0A, 0x00},              // reserved, relay 10 s
        Repeat(0xFF, 256 - 116),
    });
    EXPECT_EQ(At(image, 4096, 256), expected);
}

TEST_F(PageCodec, SystemPageFieldsAsStored) {
    model.SetText("edt_id", "123");
    model.SetText("edt_rec_time", "300");
    model.SetText("edt_pwd", "12");
    EncodeSystemPage(model, image, codes);
    EXPECT_EQ(At(image, 4096 + 27, 15), ByteList({'0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                                                  '0', '0', '1', '2', '3'}));
    EXPECT_EQ(image[4096 + 42], 44);  // low 8 bits of 300
    EXPECT_EQ(At(image, 4096 + 21, 6), ByteList({'1', '2', 0xFF, 0xFF, 0xFF, 0xFF}));

    SettingsModel back;
    DecodeSystemPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_id"), "000000000000123");
    EXPECT_EQ(back.Text("edt_pwd"), "12");
    EXPECT_EQ(back.Text("edt_rec_time"), "44");
}

TEST_F(PageCodec, ReportAndUploadModesAsStored) {
    model.SetText("edt1", "24");
    EncodeSystemPage(model, image, codes);
    EXPECT_EQ(At(image, 4096 + 80, 12), Join({{'D', 0xFF, 0x18, 0x00}, Repeat(0xFF, 8)}));

    model.ChooseItem("cb_pdat", 1);
    model.Click("CheckBox2");
    model.Click("CheckBox3");
    model.SetTime("DateTimePicker5", {8, 30});
    model.SetTime("DateTimePicker6", {20, 0});
    model.SetTime("DateTimePicker7", {9, 9});  // not checked: not stored
    model.ChooseItem("cbb_gprsupmode", 1);
    model.SetTime("dtp_gprspointup", {23, 45});
    model.SetText("edt_gprstimeup", "30");  // ignored in Schedule mode
    EncodeSystemPage(model, image, codes);
    EXPECT_EQ(At(image, 4096 + 80, 12),
              ByteList({'M', 0xFF, 0x02, 0x00, 0x08, 0x1E, 0x14, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(At(image, 4096 + 74, 6), ByteList({'M', 0xFF, 0x00, 0x00, 0x17, 0x2D}));
}

TEST_F(PageCodec, ScheduleGapStaysUnsetAndCountsOnlyCheckedOnes) {
    model.ChooseItem("cb_pdat", 1);
    model.Click("CheckBox2");
    model.Click("CheckBox3");
    model.Click("CheckBox4");
    model.SetTime("DateTimePicker5", {1, 2});
    model.SetTime("DateTimePicker7", {5, 6});
    // Uncheck schedule 2 only, from code, then check 3 again (as a loaded profile may).
    model.SetChecked("CheckBox3", false);
    model.SetChecked("CheckBox4", true);
    EncodeSystemPage(model, image, codes);
    EXPECT_EQ(At(image, 4096 + 82, 10),
              ByteList({0x02, 0x00, 0x01, 0x02, 0xFF, 0xFF, 0x05, 0x06, 0xFF, 0xFF}));

    // Reading it back: schedule 1 and 3 checked with their times, 2 and 4 not.
    SettingsModel back;
    DecodeSystemPage(back, image, codes);
    EXPECT_EQ(back.ItemIndex("cb_pdat"), 1);
    EXPECT_FALSE(back.Enabled("edt1"));
    EXPECT_TRUE(back.Checked("CheckBox2"));
    EXPECT_FALSE(back.Checked("CheckBox3"));
    EXPECT_TRUE(back.Checked("CheckBox4"));
    EXPECT_TRUE(back.Enabled("CheckBox4"));
    EXPECT_FALSE(back.Checked("CheckBox5"));
    EXPECT_TRUE(back.Enabled("CheckBox5"));  // schedule 3 checked makes 4 available
    EXPECT_EQ(back.Time("DateTimePicker7"), (TimeOfDay{5, 6}));
    EXPECT_FALSE(back.Enabled("DateTimePicker6"));
}

TEST_F(PageCodec, DecodingModesSetsTheEnabledStates) {
    ClearImage(image);
    // Upload Schedule without a stored time, report Schedule with no schedule stored.
    image[4096 + 74] = 'M';
    image[4096 + 80] = 'M';
    SettingsModel back;
    back.SetTime("dtp_gprspointup", {7, 7});
    DecodeSystemPage(back, image, codes);
    EXPECT_EQ(back.ItemIndex("cbb_gprsupmode"), 1);
    EXPECT_FALSE(back.Enabled("edt_gprstimeup"));
    EXPECT_TRUE(back.Enabled("dtp_gprspointup"));  // the user must be able to set a time
    EXPECT_EQ(back.Time("dtp_gprspointup"), (TimeOfDay{7, 7}));
    EXPECT_TRUE(back.Enabled("CheckBox2"));
    EXPECT_TRUE(back.Enabled("DateTimePicker5"));
    EXPECT_FALSE(back.Checked("CheckBox2"));
    EXPECT_FALSE(back.Enabled("CheckBox3"));

    // Back to Timer: pickers reset and disabled, boxes unchecked and disabled.
    image[4096 + 74] = 'D';
    image[4096 + 76] = 0x3C;
    image[4096 + 77] = 0x00;
    image[4096 + 80] = 'D';
    image[4096 + 82] = 0x30;
    image[4096 + 83] = 0x00;
    DecodeSystemPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_gprstimeup"), "60");
    EXPECT_TRUE(back.Enabled("edt_gprstimeup"));
    EXPECT_FALSE(back.Enabled("dtp_gprspointup"));
    EXPECT_EQ(back.Time("dtp_gprspointup"), (TimeOfDay{0, 0}));
    EXPECT_EQ(back.Text("edt1"), "48");
    for (int k = 1; k <= 4; ++k) {
        EXPECT_FALSE(back.Enabled(SettingId{Setting::ScheduleEnabled, k}));
        EXPECT_FALSE(back.Enabled(SettingId{Setting::ScheduleTime, k}));
    }

    // Any other mode byte changes none of them.
    back.SetText("edt1", "7");
    image[4096 + 80] = 'X';
    image[4096 + 82] = 0x01;
    DecodeSystemPage(back, image, codes);
    EXPECT_EQ(back.Text("edt1"), "7");
    EXPECT_EQ(back.ItemIndex("cb_pdat"), 0);
}

TEST_F(PageCodec, DecodedUploadTimerAboveADayRunsTheRangeCheck) {
    ClearImage(image);
    image[4096 + 74] = 'D';
    image[4096 + 76] = 0xD0;  // 2000
    image[4096 + 77] = 0x07;
    DecodeSystemPage(model, image, codes);
    EXPECT_EQ(messages, std::vector<std::string>{"The input value is out of range"});
    EXPECT_EQ(model.Text("edt_gprstimeup"), "200");
}

TEST_F(PageCodec, ThresholdsAndRangesAsSinglePrecision) {
    ClearImage(image);
    EncodeAlarmPage(model, image, codes);
    const ByteList notSet999{0x00, 0xC0, 0x79, 0x44};
    const ByteList notSet99999{0x80, 0x4F, 0xC3, 0x47};
    const ByteList emptyBlock = Join({
        {'C', 99, 0x0F, 0x27},  // no type selected: first item's code; 99; 9999
        notSet999,
        notSet999,
        notSet999,
        notSet999,
        {0xE7, 0x03, 0xE7, 0x03},  // 999, 999
        {'0', 0xFF, 0xFF, 0xFF},
        notSet99999,
        notSet99999,
    });
    for (int block = 0; block < 4; ++block) {
        EXPECT_EQ(At(image, 2048 + 36 * block, 36), emptyBlock) << block;
    }
    EXPECT_EQ(At(image, 2048 + 144, 112), Repeat(0xFF, 112));

    SettingsModel back;
    DecodeAlarmPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_Sensor1_SLow"), "999.00");
    EXPECT_EQ(back.Text("edt_Sensor4_end"), "99999.00");
    EXPECT_EQ(back.Text("edt_Sensor2_STP"), "99");
    EXPECT_EQ(back.Text("edt_Sensor2_Relay"), "9999");
    EXPECT_EQ(back.ItemIndex("cbb_sensor3"), 0);

    model.SetText("edt_Sensor2_High", "25.1");
    model.SetText("edt_Sensor2_Low", "-5");
    model.SetText("edt_Sensor2_start", "-.5");
    EncodeAlarmPage(model, image, codes);
    DecodeAlarmPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_Sensor2_High"), "25.10");
    EXPECT_EQ(back.Text("edt_Sensor2_Low"), "-5.00");
    EXPECT_EQ(back.Text("edt_Sensor2_start"), "-0.50");
    EXPECT_EQ(At(image, 2048 + 36 + 8, 4), ByteList({0x00, 0x00, 0xA0, 0xC0}));  // -5.0f
}

TEST_F(PageCodec, ErasedAlarmMemoryReadsWithoutGarbage) {
    ClearImage(image);
    DecodeAlarmPage(model, image, codes);
    EXPECT_EQ(model.Text("edt_Sensor1_High"), "");  // 0xFFFFFFFF is no number
    EXPECT_EQ(model.Text("edt_Sensor1_STP"), "255");
    EXPECT_EQ(model.ItemIndex("cbb_sensor1_ain"), 0);  // unknown code: left as it was
    EXPECT_EQ(model.ItemIndex("cbb_sensor1"), -1);
}

TEST_F(PageCodec, NumberRowsAndCodes) {
    ClearImage(image);
    model.SetText("edt_tel2", "+8613800000000");
    model.SetItemIndex("cbb_tel2_f1", 1);
    model.SetItemIndex("cbb_tel2_f2", 3);
    EncodeNumbersPage(model, image, codes);
    EXPECT_EQ(At(image, 1024, 22), Join({{'1', '1'}, Repeat(0xFF, 20)}));
    EXPECT_EQ(
        At(image, 1024 + 22, 22),
        Join({{'2', '4', '+', '8', '6', '1', '3', '8', '0', '0', '0', '0', '0', '0', '0', '0'},
              Repeat(0xFF, 6)}));
    EXPECT_EQ(At(image, 1024 + 132, 124), Repeat(0xFF, 124));

    SettingsModel back;
    back.SetText("edt_tel1", "stale");
    image[1024 + 22 * 5] = '5';  // a code the list has no item for
    back.SetItemIndex("cbb_tel6_f1", 1);
    DecodeNumbersPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_tel1"), "");
    EXPECT_EQ(back.Text("edt_tel2"), "+8613800000000");
    EXPECT_EQ(back.ItemIndex("cbb_tel2_f1"), 1);
    EXPECT_EQ(back.ItemIndex("cbb_tel2_f2"), 3);
    EXPECT_EQ(back.ItemIndex("cbb_tel6_f1"), 1);
}

TEST_F(PageCodec, GprsPortAndProtocol) {
    ClearImage(image);
    model.SetText("edt_port", "");
    EncodeGprsPage(model, image, codes);
    EXPECT_EQ(At(image, 3072 + 64, 3), ByteList({0xFF, 0xFF, 0x00}));
    SettingsModel back;
    DecodeGprsPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_port"), "65535");

    model.SetText("edt_port", "8000");
    model.SetItemIndex("cbb_mode", 1);
    EncodeGprsPage(model, image, codes);
    EXPECT_EQ(At(image, 3072 + 64, 3), ByteList({0x40, 0x1F, 0x01}));
    EXPECT_EQ(At(image, 3072 + 163, 93), Repeat(0xFF, 93));

    image[3072 + 66] = 7;  // no such item
    DecodeGprsPage(back, image, codes);
    EXPECT_EQ(back.ItemIndex("cbb_mode"), -1);
}

TEST_F(PageCodec, TextsTakeOneBytePerCharacterWithinTheirWidth) {
    ClearImage(image);
    // é fits in one byte (Latin-1); the full-width tilde does not and becomes '?'.
    model.SetText("edt_apn", "caf\xC3\xA9\xEF\xBD\x9E");
    std::string longText;
    for (int i = 0; i < 40; ++i) {
        longText += "\xC3\xA9";  // 40 characters, 80 UTF-8 bytes, into a 32-byte field
    }
    model.SetText("edt_ip2", longText);
    EncodeGprsPage(model, image, codes);
    EXPECT_EQ(At(image, 3072 + 67, 6), ByteList({'c', 'a', 'f', 0xE9, '?', 0xFF}));
    EXPECT_EQ(At(image, 3072 + 32, 32), Repeat(0xE9, 32));
    EXPECT_EQ(At(image, 3072 + 64, 2), ByteList({0x40, 0x1F}));  // the next field is intact

    // Broken UTF-8 (a cut sequence, an overlong form, a surrogate) still takes one byte per
    // bad byte and stays within the field.
    model.SetText("edt_gprsname",
                  "a\xC3"
                  "b\xC0\xAF"
                  "c\xED\xA0\x80");
    EncodeGprsPage(model, image, codes);
    EXPECT_EQ(At(image, 3072 + 99, 10),
              ByteList({'a', '?', 'b', '?', '?', 'c', '?', '?', '?', 0xFF}));

    SettingsModel back;
    DecodeGprsPage(back, image, codes);
    EXPECT_EQ(back.Text("edt_apn"), "caf\xC3\xA9?");
    EXPECT_EQ(back.Text("edt_ip2").size(), 64u);  // 32 x é
}

// Every widget of the pages set to something other than its default comes back unchanged.
TEST_F(PageCodec, WholePagesComeBackAsTheyWereSent) {
    for (int n = 1; n <= 6; ++n) {
        model.SetText(SettingId{Setting::Number, n}, "+86139" + std::to_string(n));
        model.SetItemIndex(SettingId{Setting::NumberCode1, n}, n % 2);
        model.SetItemIndex(SettingId{Setting::NumberCode2, n}, n % 4);
    }
    for (int n = 1; n <= 4; ++n) {
        model.SetItemIndex(SettingId{Setting::SensorType, n}, n % 3);
        model.SetItemIndex(SettingId{Setting::SensorAnalog, n}, n % 3);
        model.SetText(SettingId{Setting::SensorUltraLow, n}, "-40.25");
        model.SetText(SettingId{Setting::SensorLow, n}, "-10.50");
        model.SetText(SettingId{Setting::SensorHigh, n}, "85.00");
        model.SetText(SettingId{Setting::SensorUltraHigh, n}, "120.75");
        model.SetText(SettingId{Setting::SensorRelayTime, n}, std::to_string(100 + n));
        model.SetText(SettingId{Setting::SensorStep, n}, std::to_string(n));
        model.SetText(SettingId{Setting::SensorAlarmInterval, n}, "30");
        model.SetText(SettingId{Setting::SensorVerifyTime, n}, "5");
        model.SetText(SettingId{Setting::SensorRangeMin, n}, "4.00");
        model.SetText(SettingId{Setting::SensorRangeMax, n}, "20.00");
    }
    model.SetText("edt_ip1", "data.example.net");
    model.SetText("edt_ip2", "10.0.0.2");
    model.SetText("edt_port", "5001");
    model.SetItemIndex("cbb_mode", 1);
    model.SetText("edt_apn", "cmnet");
    model.SetText("edt_gprsname", "user");
    model.SetText("edt_gprspassword", "secret");
    model.SetItemIndex("cbb_timemode", 0);
    model.SetText("edt_tel_my", "13912345678");
    model.SetText("edt_pwd", "4321");
    model.SetText("edt_id", "987654321012345");
    model.SetText("edt_rec_time", "15");
    model.SetChecked("chk1", true);
    model.SetText("edt_PinCode", "123456");
    model.SetText("edt_GprsFailTel", "+8613700000000");
    model.SetChecked("CheckBox1", true);
    model.ChooseItem("cbb_gprsupmode", 0);
    model.SetText("edt_gprstimeup", "1440");
    model.ChooseItem("cb_pdat", 1);
    model.Click("CheckBox2");
    model.Click("CheckBox3");
    model.Click("CheckBox4");
    model.Click("CheckBox5");
    for (int k = 1; k <= 4; ++k) {
        model.SetTime(SettingId{Setting::ScheduleTime, k}, {6 * k - 1, 15 * (k - 1)});
    }
    model.SetText("edit9", "13800138000");
    model.SetText("edt_relay_time", "9999");

    ClearImage(image);
    for (const std::uint32_t page : kSettingsPages) {
        ASSERT_TRUE(EncodePage(page, model, image, codes)) << page;
    }

    SettingsModel back;
    for (const std::uint32_t page : kSettingsPages) {
        DecodePage(page, back, image, codes);
    }
    for (const auto& def : SettingsTable()) {
        if (def.group == kLoginGroup) {
            continue;
        }
        SCOPED_TRACE(def.name);
        switch (def.kind) {
            case WidgetKind::Edit:
            case WidgetKind::ReadOnlyEdit:
                EXPECT_EQ(back.Text(def.name), model.Text(def.name));
                break;
            case WidgetKind::List:
                EXPECT_EQ(back.ItemIndex(def.name), model.ItemIndex(def.name));
                break;
            case WidgetKind::CheckBox:
                EXPECT_EQ(back.Checked(def.name), model.Checked(def.name));
                break;
            case WidgetKind::TimePicker:
                EXPECT_EQ(back.Time(def.name), model.Time(def.name));
                break;
        }
        EXPECT_EQ(back.Enabled(def.name), model.Enabled(def.name));
    }

    // And the bytes of a second encoding from the decoded widgets are the same.
    ParameterImage again;
    EncodeNumbersPage(back, again, codes);
    EncodeAlarmPage(back, again, codes);
    EncodeGprsPage(back, again, codes);
    EncodeSystemPage(back, again, codes);
    EXPECT_EQ(At(again, 1024, 4 * 256), At(image, 1024, 4 * 256));
}

TEST_F(PageCodec, AnyPageBytesDecodeWithoutHarm) {
    // Every byte value in every position of every page, one pattern at a time.
    for (int value = 0; value < 256; value += 17) {
        for (std::size_t address = 1024; address < 1024 + 4 * 256; ++address) {
            image[address] = static_cast<std::uint8_t>(value + address);
        }
        SettingsModel back;
        DecodeNumbersPage(back, image, codes);
        DecodeAlarmPage(back, image, codes);
        DecodeGprsPage(back, image, codes);
        DecodeSystemPage(back, image, codes);
        for (int k = 1; k <= 4; ++k) {
            const TimeOfDay t = back.Time(SettingId{Setting::ScheduleTime, k});
            EXPECT_LT(t.hour, 24);
            EXPECT_LT(t.minute, 60);
        }
    }
}

TEST_F(PageCodec, FourAnalogChannelsStoreAndReadB) {
    ClearImage(image);
    image[5120] = 1;
    const std::string reply = "R483";
    for (std::size_t i = 0; i < reply.size(); ++i) {
        image[5121 + i] = static_cast<std::uint8_t>(reply[i]);
    }
    image[5125] = 0;
    image[5126] = 0;
    ApplyDeviceIdentity(model, image, codes);
    EncodeAlarmPage(model, image, codes);
    SettingsModel back;
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(image[2048 + 36 * (n - 1)], 'B') << n;
    }
    ApplyDeviceIdentity(back, image, codes);
    back.SetItemIndex("cbb_sensor1", -1);
    DecodeAlarmPage(back, image, codes);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(back.ItemIndex(SettingId{Setting::SensorType, n}), 0) << n;
        EXPECT_EQ(back.Items(SettingId{Setting::SensorType, n}), std::vector<std::string>{"Ain"});
    }
}

}  // namespace
}  // namespace lgcset::settings
