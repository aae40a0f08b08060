// A save is refused, naming the field, when a box holds text that cannot be stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/number_text.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"

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

    // The message names the field's first character without a byte, whole.
    const struct {
        const char* typed;
        const char* named;
    } cases[] = {
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},                      // €
        {"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\xE5\x8C\x97", "\xE2\x82\xAC"},  // Latin-1 passes, then €
        {"ab\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},              // four bytes of UTF-8
        {"a\xFF" "b", "\xEF\xBF\xBD"},                       // a malformed byte: U+FFFD
    };
    SettingsModel named;
    for (const auto& c : cases) {
        named.SetText("edt_gprsname", c.typed);
        EXPECT_EQ(InvalidFieldsMessage(ValidateForSave(named)),
                  std::string("The value of \"User Name\" holds \"") + c.named +
                      "\", which the logger cannot store.")
            << c.typed;
    }
}

// The integer fields of the four pages with the largest number each one's bytes hold.
struct IntegerField {
    std::uint32_t page;
    PlacedField placed;
    std::uint32_t top;
};

std::vector<IntegerField> IntegerFields() {
    std::vector<IntegerField> fields;
    for (const PageLayout* layout :
         {&NumbersPageLayout(), &AlarmPageLayout(), &GprsPageLayout(), &SystemPageLayout()}) {
        for (const PlacedField& placed : PlaceFields(*layout)) {
            using E = FieldEncoding;
            const E e = placed.field->encoding;
            if (e == E::Decimal || e == E::DigitSum || e == E::UploadTimer ||
                e == E::ReportInterval) {
                fields.push_back({layout->address, placed, placed.field->width == 1 ? 255u : 65535u});
            }
        }
    }
    return fields;
}

std::uint32_t Stored(const ParameterImage& image, const PlacedField& placed) {
    return placed.field->width == 1 ? image[placed.address]
                                    : image[placed.address] | image[placed.address + 1] << 8;
}

TEST(SaveCheck, EveryIntegerFieldHoldsTheTopOfItsWidthAndRefusesOnePastIt) {
    const auto fields = IntegerFields();
    ASSERT_EQ(fields.size(), 3u + 4u * 4u + 2u);
    const CodeTables codes;
    for (const IntegerField& f : fields) {
        const std::string& w = f.placed.tableRow->name;
        SCOPED_TRACE(w);
        SettingsModel model;
        model.SetText(w, std::to_string(f.top));
        if (w == "edt_gprstimeup") {
            // Its own range check keeps the box within 1440 whatever is typed.
            EXPECT_NE(model.Text(w), std::to_string(f.top));
            continue;
        }
        EXPECT_TRUE(ValidateForSave(model).empty());
        ParameterImage image;
        EncodePage(f.page, model, image, codes);
        EXPECT_EQ(Stored(image, f.placed), f.top);

        for (const std::string& beyond : {std::to_string(f.top + 1), std::string("-1")}) {
            model.SetText(w, beyond);
            const auto invalid = ValidateForSave(model);
            ASSERT_EQ(invalid.size(), 1u) << beyond;
            EXPECT_EQ(invalid[0].reason, InvalidReason::OutOfRange);
            EXPECT_EQ(InvalidFieldsMessage(invalid),
                      invalid[0].caption + ": " + beyond + " does not fit; the logger holds 0 to " +
                          std::to_string(f.top) + ".");
        }
    }
}

TEST(SaveCheck, NumbersTheLoggerCannotHoldAreNamedWithWhatItHolds) {
    SettingsModel model;
    model.SetText("edt_rec_time", "300");
    EXPECT_EQ(InvalidFieldsMessage(ValidateForSave(model)),
              "Log interval timer: 300 does not fit; the logger holds 0 to 255.");
    model.SetText("edt_rec_time", "2");  // below the hint, but a number the field holds
    model.SetText("edt_port", "+70000");
    EXPECT_EQ(InvalidFieldsMessage(ValidateForSave(model)),
              "Port: +70000 does not fit; the logger holds 0 to 65535.");
    model.SetText("edt_port", "99999999999999999999999");  // beyond any integer type
    EXPECT_EQ(ValidateForSave(model).at(0).reason, InvalidReason::OutOfRange);
    model.SetText("edt_port", "-0");
    EXPECT_TRUE(ValidateForSave(model).empty());

    // The alarm boxes take their digits one by one: a sign or a point would be stored as
    // another number ("1.5" as 85), so only digits pass.
    const SettingId step{Setting::SensorStep, 2};
    for (const auto& [typed, reason] : std::vector<std::pair<std::string, InvalidReason>>{
             {"1.5", InvalidReason::NotANumber},
             {"+5", InvalidReason::NotANumber},
             {"-5", InvalidReason::OutOfRange},
             {"-0", InvalidReason::OutOfRange},
             {"256", InvalidReason::OutOfRange}}) {
        model.SetText(step, typed);
        const auto invalid = ValidateForSave(model);
        ASSERT_EQ(invalid.size(), 1u) << typed;
        EXPECT_EQ(invalid[0].reason, reason) << typed;
        EXPECT_EQ(invalid[0].widget, WidgetName(step));
    }
}

TEST(SaveCheck, TextsLongerThanTheirFieldAreRefusedNotCut) {
    SettingsModel model;
    model.SetText("edt_tel1", "+86138001380001234567");  // 21 characters in 20
    model.SetText("edt_pwd", "86041");                   // the logger keeps 4
    model.SetText("edt_id", std::string(15, '9'));
    model.SetText("edt_ip1", std::string(32, 'a'));
    const auto invalid = ValidateForSave(model);
    EXPECT_EQ(Widgets(invalid), (std::vector<std::string>{"edt_tel1", "edt_pwd"}));
    EXPECT_EQ(invalid[0].reason, InvalidReason::TooLong);
    EXPECT_EQ(InvalidFieldsMessage(invalid),
              "No.1: \"+86138001380001234567\" does not fit; the logger holds 20 characters.");
    EXPECT_EQ(InvalidFieldsMessage({invalid[1]}),
              "Device Password: \"86041\" does not fit; the logger holds 4 characters.");
    // Characters, not bytes: twenty Latin-1 letters of two UTF-8 bytes each fit.
    std::string umlauts;
    for (int i = 0; i < 20; ++i) umlauts += "\xC3\xBC";
    model.SetText("edt_tel1", umlauts);
    model.SetText("edt_pwd", "8604");
    EXPECT_TRUE(ValidateForSave(model).empty());
}

TEST(SaveCheck, NumberConversions) {
    EXPECT_EQ(ToInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ToInteger("+2147483647"), 2147483647);
    EXPECT_FALSE(ToInteger("2147483648"));
    EXPECT_FALSE(ToInteger(" 5"));
    EXPECT_FALSE(ToInteger("5 "));
    EXPECT_FALSE(ToInteger("+"));
    EXPECT_EQ(ToInteger("007"), 7);
    EXPECT_EQ(ToWideInteger("-" + std::string(40, '9')), -kWideIntegerBound);
    EXPECT_EQ(ToWideInteger("4294967296"), 4294967296);

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
