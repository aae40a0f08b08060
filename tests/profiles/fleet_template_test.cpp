#include "profiles/fleet_template.h"

#include <gtest/gtest.h>

#include "settings/settings_model.h"

namespace lgcset::profiles {
namespace {

ValuesFile Values(std::string_view bytes) {
    std::string error;
    std::optional<ValuesFile> values = ReadValuesFile(bytes, error);
    EXPECT_TRUE(values.has_value()) << error;
    return values.value_or(ValuesFile{});
}

IniFile Template(std::string_view text) {
    return IniFile::FromBytes(text);
}

TEST(FleetTemplate, AValuesFileIsReadInEitherSeparatorAndEncodingOrRefusedWithWhy) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> firstRow;  // empty: refused
        std::string error;
    };
    const std::vector<Case> cases{
        {"commas, CR LF, a quoted comma, blank lines",
         "device_id,alarm_sms,TEL.tel2\r\n\r\n4711,\"+49 1, 2\",0\r\n",
         {"4711", "+49 1, 2", "0"},
         ""},
        {"semicolons, a byte order mark, a quoted quote, CR only",
         "\xEF\xBB\xBF"
         "Device_ID;site\r000000000004711;\"Halle \"\"B\"\"\"\r",
         {"000000000004711", "Halle \"B\""},
         ""},
        {"a comma inside quotes does not make the separator",
         "\"a,b\";device_id\nx;4711\n",
         {"x", "4711"},
         ""},
        {"Windows-1252",
         "device_id,site\n4711,M\xFC"
         "nchen\n",
         {"4711",
          "M\xC3\xBC"
          "nchen"},
         ""},
        {"empty", "\r\n", {}, "it holds no header line"},
        {"no device ID column", "id,site\n4711,a\n", {}, "it has no column device_id"},
        {"a short row", "device_id,a,b\n4711,1\n", {}, "line 2 has 2 fields; the header names 3"},
        {"a quote left open",
         "device_id,a\n4711,\"x\n",
         {},
         "line 2 has a misplaced quote or too many fields"},
        {"no device ID", "device_id\n47-11\n", {}, "line 2: "},
        {"one logger twice",
         "device_id\n4711\n\n0004711\n",
         {},
         "line 4 gives the device ID 000000000004711 a second time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const std::optional<ValuesFile> values = ReadValuesFile(c.bytes, error);
        if (c.firstRow.empty()) {
            EXPECT_FALSE(values.has_value());
            EXPECT_EQ(error.substr(0, c.error.size()), c.error);
            continue;
        }
        ASSERT_TRUE(values.has_value()) << error;
        EXPECT_EQ(values->rows.front(), c.firstRow);
        EXPECT_EQ(values->deviceIds.front(), "000000000004711");
    }
}

TEST(FleetTemplate, TheTemplateAndTheValuesFileMustNameTheSameColumns) {
    const IniFile tmpl = Template(
        "[TEL]\ntel1=${alarm_sms}\ntel2=+49${area}${local}\n[GPRS]\nip1=${server\nport=8000\n"
        "[Other]\nnot_a_setting=${ignored}\n");
    EXPECT_EQ(TemplateNames(tmpl), (std::vector<std::string>{"alarm_sms", "area", "local"}));
    struct Case {
        const char* header;
        std::string why;
    };
    const std::vector<Case> cases{
        {"device_id,alarm_sms,area,local", ""},
        // Profile keys: by section and key, or a key no other section has; any case.
        {"device_id,alarm_sms,area,local,GPRS.apn,tel3,other.RECTIME", ""},
        {"device_id,alarm_sms,area",
         "the template t.ini uses ${local}, which v.csv has no column for"},
        {"device_id,alarm_sms,area,local,alarm_sm,relaytime",
         "v.csv has the columns alarm_sm and relaytime, which are neither a name the template "
         "t.ini uses nor a profile key"},
        {"device_id,alarm_sms,alarm_sm",
         "the template t.ini uses ${area} and ${local}, which v.csv has no column for; v.csv has "
         "the column alarm_sm, which is neither a name the template uses nor a profile key"},
    };
    EXPECT_EQ(TemplateMismatch(tmpl, nullptr, "t.ini", ""),
              "the template t.ini uses ${alarm_sms}, ${area} and ${local}, which only a values "
              "file can give");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        const ValuesFile values = Values(std::string(c.header) + "\n");
        EXPECT_EQ(TemplateMismatch(tmpl, &values, "t.ini", "v.csv"), c.why);
    }
}

// A template holds only the settings it sets: the logger keeps every other value it holds,
// its device ID unless its row names one, and its login password.
TEST(FleetTemplate, EachLoggerGetsTheTemplateWithItsRowAndKeepsTheRest) {
    const IniFile tmpl = Template(
        "[COM]\nsetPwd=1234\n[TEL]\ntel1=${alarm_sms}\ntel2=+49 ${area}\ntel3=${x\n"
        "[GPRS]\nport=8000\napn=cmnet\n[OTHER]\ndevid=999999999999999\nrectime=10\n");
    const ValuesFile values = Values(
        "device_id,alarm_sms,area,GPRS.port,OTHER.devid,SENSOR1.flag\n"
        "4711,+4915100,30,9001,,\n"
        "4712,,40,,000000000000042,\n"
        "4713,,50,,,7\n");
    using End = LoggerTemplate::End;
    struct Case {
        const char* name;
        const ValuesFile* values;
        std::string deviceId, defaultRow;
        End end;
        std::map<std::string, std::string> texts;  // widget: text after the load
    };
    const std::vector<Case> cases{
        {"its own row; an empty key column keeps the template's value",
         &values,
         "4711",
         "",
         End::Ready,
         {{"edt_tel1", "+4915100"},
          {"edt_tel2", "+49 30"},
          {"edt_tel3", "${x"},
          {"edt_port", "9001"},
          {"edt_apn", "cmnet"},
          {"edt_rec_time", "10"},
          {"edt_id", "000000000004711"},
          {"edt_setpwd", "4321"},
          {"edt_ip2", "kept.example.com"},
          {"edt_tel4", "+1 555"}}},
        {"a row that names a device ID, chosen as the default row",
         &values,
         "5000",
         "4712",
         End::Ready,
         {{"edt_tel1", ""},
          {"edt_tel2", "+49 40"},
          {"edt_port", "8000"},
          {"edt_id", "000000000000042"}}},
        {"no values file",
         nullptr,
         "4711",
         "",
         End::Ready,
         {{"edt_tel1", "${alarm_sms}"}, {"edt_id", "000000000004711"}}},
        {"no row", &values, "5000", "", End::NotInValues, {}},
        {"a value that does not fit", &values, "4713", "", End::Unfit, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoggerTemplate part = TemplateForLogger(tmpl, c.values, c.deviceId, c.defaultRow);
        ASSERT_EQ(part.end, c.end);
        EXPECT_EQ(part.why.substr(0, 7), c.end == End::Unfit ? "Sensor1" : "");
        settings::SettingsModel logger;
        logger.SetText(settings::Setting::DeviceId, "000000000004711");
        logger.SetText(settings::Setting::LoginPassword, "4321");
        logger.SetText("edt_ip2", "kept.example.com");
        logger.SetText("edt_tel4", "+1 555");
        ApplyLoggerProfile(part.logger, logger);
        for (const auto& [widget, text] : c.texts) EXPECT_EQ(logger.Text(widget), text) << widget;
    }
}

}  // namespace
}  // namespace lgcset::profiles
