// A save is refused, naming the field, when a box holds text that cannot be stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/number_text.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"

namespace lgcset::settings {
namespace {

std::vector<std::string> Widgets(const std::vector<InvalidField>& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields) {
        names.push_back(f.widget);
    }
    return names;
}

TEST(SaveCheck, DefaultsAndEmptyBoxesAreFine) {
    SettingsModel model;
    EXPECT_TRUE(ValidateForSave(model).empty());
    model.SetText("edt_port", "");
    model.SetText("edt_rec_time", "");
    model.SetText("edt_relay_time", "");
    model.SetText("edt1", "");
    model.SetText("edt_Sensor1_SLow", "");
    EXPECT_TRUE(ValidateForSave(model).empty());
    EXPECT_EQ(InvalidFieldsMessage({}), "");
}

TEST(SaveCheck, TextsTheFiltersLetThroughButThatAreNoNumbers) {
    SettingsModel model;
    model.SetText("edt_relay_time", "");
    model.TypeText("edt_relay_time", "+");
    model.SetText("edt_rec_time", "");
    model.TypeText("edt_rec_time", "5.");
    model.TypeText("edt_Sensor2_SLow", "1.2.3");
    model.TypeText("edt_Sensor3_High", "-");
    model.TypeText("edt_Sensor3_SHigh", ".");
    model.TypeText("edt_Sensor4_end", "12-3");
    model.SetText("edt_port", "99999999999");  // beyond a 32-bit integer
    const auto invalid = ValidateForSave(model);
    EXPECT_EQ(Widgets(invalid),
              (std::vector<std::string>{"edt_Sensor2_SLow", "edt_Sensor3_SHigh", "edt_Sensor3_High",
                                        "edt_Sensor4_end", "edt_port", "edt_rec_time",
                                        "edt_relay_time"}));
    EXPECT_EQ(invalid[0].caption, "Ultra-low (Alarm parameters setting2)");
    EXPECT_EQ(invalid[4].caption, "Port");
    EXPECT_EQ(InvalidFieldsMessage(invalid),
              "The value of \"Ultra-low (Alarm parameters setting2)\" is not a valid number. "
              "Nothing was written to the device.");

    // The encoders do not stop on them: every field is written, the bad ones as not set.
    ParameterImage image;
    const CodeTables codes;
    EXPECT_FALSE(EncodeAlarmPage(model, image, codes));
    EXPECT_FALSE(EncodeSystemPage(model, image, codes));
    EXPECT_FALSE(EncodeGprsPage(model, image, codes));
    EXPECT_EQ(image[2048 + 36 + 4 + 3], 0x44);  // 999.0 in place of "1.2.3"
    EXPECT_EQ(image[4096 + 42], 0xFF);
    EXPECT_EQ(image[4096 + 112], 'C');  // fields after the bad one are still written
}

TEST(SaveCheck, ModeDependentBoxesCountOnlyInTimerMode) {
    SettingsModel model;
    model.SetText("edt1", "1.5");
    model.SetText("edt_gprstimeup", "abc");
    EXPECT_EQ(Widgets(ValidateForSave(model)),
              (std::vector<std::string>{"edt_gprstimeup", "edt1"}));
    model.ChooseItem("cb_pdat", 1);
    model.ChooseItem("cbb_gprsupmode", 1);
    EXPECT_TRUE(ValidateForSave(model).empty());
}

TEST(SaveCheck, TextsWithACharacterBeyondOneByteAreRefusedNotSentAsQuestionMarks) {
    SettingsModel model;
    model.TypeText("edt_apn", "internet.operator.de");
    model.TypeText("edt_gprspassword", "gr\xC3\xBC\xC3\x9F");  // Latin-1: stored as is
    EXPECT_TRUE(ValidateForSave(model).empty());

    model.TypeText("edt_gprspassword", "\xE2\x82\xAC");  // the euro sign has no byte
    model.TypeText("edt_ip1", "\xE5\x8C\x97");
    const auto invalid = ValidateForSave(model);
    EXPECT_EQ(Widgets(invalid), (std::vector<std::string>{"edt_ip1", "edt_gprspassword"}));
    EXPECT_EQ(invalid[0].reason, InvalidReason::CharacterNotStorable);
    EXPECT_EQ(InvalidFieldsMessage(invalid),
              "The value of \"Target Server IP(DNS)\" holds a character that the device cannot "
              "store. Nothing was written to the device.");
}

TEST(SaveCheck, NumberConversions) {
    EXPECT_EQ(ToInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ToInteger("+2147483647"), 2147483647);
    EXPECT_FALSE(ToInteger("2147483648"));
    EXPECT_FALSE(ToInteger(" 5"));
    EXPECT_FALSE(ToInteger("5 "));
    EXPECT_FALSE(ToInteger("+"));
    EXPECT_EQ(ToInteger("007"), 7);

    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("0123"), 123);
    EXPECT_EQ(ParseDecimal("1.5"), 100 - 20 + 5);       // '.' counts as -2 in the tens
    EXPECT_GT(ParseDecimal(std::string(400, '9')), 0);  // no overflow on any length

    EXPECT_EQ(ToFloat("5."), 5.0f);
    EXPECT_EQ(ToFloat(".5"), 0.5f);
    EXPECT_EQ(ToFloat("+3"), 3.0f);
    EXPECT_FALSE(ToFloat("1e3"));
    EXPECT_FALSE(ToFloat("--1"));
    EXPECT_FALSE(ToFloat(std::string(60, '9')));  // beyond single precision

    EXPECT_EQ(FormatTwoDecimals(-0.001f), "0.00");
    EXPECT_EQ(FormatTwoDecimals(1234567.0f), "1234567.00");
    EXPECT_EQ(FormatTwoDecimals(0.125f), "0.13");    // an exact half rounds away from zero
    EXPECT_EQ(FormatTwoDecimals(-2.675f), "-2.67");  // stored just below the half
    EXPECT_EQ(FormatTwoDecimals(99999.0f), "99999.00");
    EXPECT_EQ(FormatTwoDecimals(3.0e38f).size(), 42u);
}

}  // namespace
}  // namespace lgcset::settings
