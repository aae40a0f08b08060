// Saving and loading the settings through a profile, on the in-memory model.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "profile_support.h"
#include "profiles/ini_file.h"
#include "profiles/profile.h"
#include "profiles/profile_check.h"
#include "settings/settings_model.h"

namespace lgcset::profiles {
namespace {

using settings::SettingsModel;

// The section headers and key names of a file, in order, as "[S]" and "k" lines.
std::vector<std::string> Outline(const std::string& bytes) {
    std::vector<std::string> outline;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto end = bytes.find("\r\n", at);
        const std::string line = bytes.substr(at, end - at);
        outline.push_back(line.front() == '[' ? line : line.substr(0, line.find('=')));
        at = end == std::string::npos ? bytes.size() : end + 2;
    }
    return outline;
}

std::vector<std::string> Slice(const std::vector<std::string>& all, const std::string& header) {
    auto begin = std::find(all.begin(), all.end(), header);
    auto end = std::find_if(begin + 1, all.end(), [](const auto& l) { return l[0] == '['; });
    return {begin + 1, end};
}

TEST(Profile, ANewFileHasTheSectionsAndKeysInWriteOrder) {
    SettingsModel model;
    IniFile file;
    SaveProfile(model, file);
    const auto outline = Outline(file.ToBytes());
    std::vector<std::string> headers;
    for (const auto& line : outline)
        if (line[0] == '[')
            headers.push_back(line);
    EXPECT_EQ(headers,
              (std::vector<std::string>{"[COM]", "[TEL]", "[GPRS]", "[OTHER]", "[GPRSalarmtel]",
                                        "[PIN]", "[uploading]", "[fixedpointtime]", "[SENSOR1]",
                                        "[SENSOR2]", "[SENSOR3]", "[SENSOR4]"}));
    EXPECT_EQ(outline.size(), 98u + headers.size());
    EXPECT_EQ(Slice(outline, "[OTHER]"),
              (std::vector<std::string>{"timemode", "mytel", "pwd", "devid", "rectime",
                                        "GPRSenable", "uploadtel", "upmode", "relaytime",
                                        "gprsupmode", "gprstimeup", "gprspointup"}));
    const auto tel = Slice(outline, "[TEL]");
    ASSERT_EQ(tel.size(), 18u);
    EXPECT_EQ(tel[5], "tel6");
    EXPECT_EQ(tel[6], "tel1_fun1");
    EXPECT_EQ(tel[7], "tel1_fun2");
    EXPECT_EQ(tel[17], "tel6_fun2");
    EXPECT_EQ(
        Slice(outline, "[SENSOR3]"),
        (std::vector<std::string>{"flag", "ullimit", "llimit", "uhlimit", "hlimit", "relaytime",
                                  "stp", "nalarm", "contime", "ainflag", "svalue", "evalue"}));
    // Default values as written: the sensor type has no item selected, times have seconds.
    EXPECT_EQ(file.Read("SENSOR1", "flag"), "-1");
    EXPECT_EQ(file.Read("OTHER", "timemode"), "1");
    EXPECT_EQ(file.Read("fixedpointtime", "time1time"), "00:00:00");
    EXPECT_EQ(file.Read("fixedpointtime", "time1open"), "0");
    EXPECT_EQ(file.Read("COM", "setPwd"), "8604");
}

TEST(Profile, EveryKeyRoundTripsWithValuesOtherThanTheDefaults) {
    SettingsModel saved;
    test::SetEveryWidget(saved);
    IniFile file;
    SaveProfile(saved, file);

    SettingsModel loaded;
    LoadProfile(IniFile::FromBytes(file.ToBytes()), loaded);
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const std::string& n = widget->name;
        switch (widget->kind) {
            case settings::WidgetKind::List:
                EXPECT_EQ(loaded.ItemIndex(n), saved.ItemIndex(n)) << n;
                EXPECT_NE(loaded.ItemIndex(n), SettingsModel().ItemIndex(n)) << n;
                break;
            case settings::WidgetKind::CheckBox:
                EXPECT_TRUE(loaded.Checked(n)) << n;
                break;
            case settings::WidgetKind::TimePicker:
                EXPECT_EQ(loaded.Time(n), saved.Time(n)) << n;
                break;
            default:
                EXPECT_EQ(loaded.Text(n), saved.Text(n)) << n;
                EXPECT_NE(loaded.Text(n), SettingsModel().Text(n)) << n;
        }
    }
    // Both modes "Schedule": the timer boxes are off, the schedule widgets available.
    EXPECT_FALSE(loaded.Enabled("edt_gprstimeup"));
    EXPECT_TRUE(loaded.Enabled("dtp_gprspointup"));
    EXPECT_FALSE(loaded.Enabled("edt1"));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(loaded.Enabled(settings::SettingId{settings::Setting::ScheduleEnabled, k}))
            << k;
        EXPECT_TRUE(loaded.Enabled(settings::SettingId{settings::Setting::ScheduleTime, k})) << k;
    }
}

TEST(Profile, SavingTwiceIntoOneFileKeepsOneCopyOfEachKeyWhereTheFirstSavePutIt) {
    SettingsModel model;
    IniFile file;
    SaveProfile(model, file);
    const auto firstOutline = Outline(file.ToBytes());

    test::SetEveryWidget(model);
    SaveProfile(model, file);
    const std::string bytes = file.ToBytes();
    EXPECT_EQ(Outline(bytes), firstOutline);
    EXPECT_EQ(file.Read("TEL", "tel3"), "tel34");
    EXPECT_EQ(file.Read("other", "uploadtel"), "uploadtel34");
}

TEST(Profile, MissingKeysTakeTheLoadDefaults) {
    SettingsModel model;
    test::SetEveryWidget(model);
    const SettingsModel before = model;
    LoadProfile(IniFile::FromBytes("[COM]\r\nunrelated=1\r\n"), model);
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const std::string& n = widget->name;
        switch (widget->kind) {
            case settings::WidgetKind::List:
                EXPECT_EQ(model.ItemIndex(n), 0) << n;
                break;
            case settings::WidgetKind::CheckBox:
                EXPECT_FALSE(model.Checked(n)) << n;
                break;
            case settings::WidgetKind::TimePicker:
                EXPECT_EQ(model.Time(n), before.Time(n)) << n;
                break;
            default:
                EXPECT_EQ(model.Text(n), n == "edt_setpwd" ? "8604" : "") << n;
        }
    }
    // Timer mode for both: the timer boxes on, every schedule off.
    EXPECT_TRUE(model.Enabled("edt_gprstimeup"));
    EXPECT_FALSE(model.Enabled("dtp_gprspointup"));
    EXPECT_TRUE(model.Enabled("edt1"));
    EXPECT_FALSE(model.Enabled("CheckBox2"));
    EXPECT_FALSE(model.Enabled("DateTimePicker5"));
}

TEST(Profile, IndexAndFlagValuesAsOtherProgramsWriteThem) {
    SettingsModel model;
    LoadProfile(IniFile::FromBytes("[TEL]\r\n"
                                   "tel1_fun1=0x1\r\n"
                                   "tel1_fun2=0X3\r\n"
                                   "tel2_fun2=7\r\n"
                                   "tel3_fun2=-1\r\n"
                                   "[OTHER]\r\n"
                                   "GPRSenable=2\r\n"
                                   "timemode=yes\r\n"
                                   "[PIN]\r\n"
                                   "pinverify=yes\r\n"),
                model);
    EXPECT_EQ(model.ItemIndex("cbb_tel1_f1"), 1);
    EXPECT_EQ(model.ItemIndex("cbb_tel1_f2"), 3);
    EXPECT_EQ(model.ItemIndex("cbb_tel2_f2"), -1);  // outside the list: none selected
    EXPECT_EQ(model.ItemIndex("cbb_tel3_f2"), -1);
    EXPECT_TRUE(model.Checked("CheckBox1"));
    EXPECT_EQ(model.ItemIndex("cbb_timemode"), 0);
    EXPECT_FALSE(model.Checked("chk1"));
}

TEST(Profile, AValueItsSettingCannotHoldIsNamedWithWhatTheSettingHolds) {
    const std::string items =
        "does not fit; the setting holds 0 \"Centigrade\", 1 \"Fahrenheit\" or 2 \"AIN\".";
    const std::string time = "does not fit; the setting holds a time hh:mm:ss.";
    const struct {
        std::string file;
        std::string refusal;  // empty: the value fits
    } cases[] = {
        {"[SENSOR1]\r\nflag=7\r\n", "Sensor1 (Alarm parameters setting1): [SENSOR1] flag=7 " + items},
        {"[SENSOR2]\r\nflag=3\r\n", "Sensor2 (Alarm parameters setting2): [SENSOR2] flag=3 " + items},
        {"[SENSOR1]\r\nflag=-2\r\n", "Sensor1 (Alarm parameters setting1): [SENSOR1] flag=-2 " + items},
        {"[OTHER]\r\ntimemode=yes\r\n",
         "Time Adjustment method: [OTHER] timemode=yes does not fit; the setting holds 0 "
         "\"Manual\" or 1 \"Auto\"."},
        {"[PIN]\r\npinverify=on\r\n",
         "PIN Verification: [PIN] pinverify=on does not fit; the setting holds 0 or 1."},
        {"[fixedpointtime]\r\ntime1time=24:00:00\r\n",
         "[fixedpointtime] time1time=24:00:00 " + time},
        {"[fixedpointtime]\r\ntime2time=12:60:00\r\n",
         "[fixedpointtime] time2time=12:60:00 " + time},
        {"[OTHER]\r\ngprspointup=12-30\r\n",
         "Data Upload Schedule: [OTHER] gprspointup=12-30 " + time},
        // What the program writes itself or reads as other programs write it.
        {"[SENSOR1]\r\nflag=-1\r\n[SENSOR4]\r\nflag=2\r\n", ""},
        {"[TEL]\r\ntel1_fun1=0x1\r\n[PIN]\r\npinverify=2\r\n", ""},
        {"[fixedpointtime]\r\ntime1time=7:05 PM\r\ntime2time=23:59:59\r\n", ""},
        {"[OTHER]\r\nupmode=\r\ngprspointup=\r\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnfitProfileValue(IniFile::FromBytes(c.file)), c.refusal) << c.file;
}

TEST(Profile, TheScheduleChainRunsOnlyWhileEachBoxIsSet) {
    SettingsModel model;
    LoadProfile(IniFile::FromBytes("[OTHER]\r\nupmode=1\r\n"
                                   "[fixedpointtime]\r\ntime1open=0\r\ntime2open=1\r\n"),
                model);
    EXPECT_FALSE(model.Checked("CheckBox2"));
    EXPECT_TRUE(model.Checked("CheckBox3"));
    EXPECT_FALSE(model.Checked("CheckBox4"));
    // The chain made schedule 3 available when box 3 was checked; the report rule then
    // made schedule 1 available and left schedule 2 as it was.
    EXPECT_TRUE(model.Enabled("CheckBox2"));
    EXPECT_FALSE(model.Enabled("CheckBox3"));
    EXPECT_TRUE(model.Enabled("CheckBox4"));
    EXPECT_TRUE(model.Enabled("DateTimePicker7"));

    // In Timer mode the rule disables every schedule but keeps the loaded check states.
    LoadProfile(IniFile::FromBytes("[OTHER]\r\nupmode=0\r\n"
                                   "[fixedpointtime]\r\ntime1open=1\r\ntime2open=1\r\n"),
                model);
    EXPECT_TRUE(model.Checked("CheckBox2"));
    EXPECT_TRUE(model.Checked("CheckBox3"));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_FALSE(model.Enabled(settings::SettingId{settings::Setting::ScheduleEnabled, k}))
            << k;
        EXPECT_FALSE(model.Enabled(settings::SettingId{settings::Setting::ScheduleTime, k})) << k;
    }
    EXPECT_TRUE(model.Enabled("edt1"));
}

TEST(Profile, ModeRulesRunOnlyForAModeTheListHolds) {
    SettingsModel model;
    model.ChooseItem("cbb_gprsupmode", 1);
    model.ChooseItem("cb_pdat", 1);
    LoadProfile(IniFile::FromBytes("[OTHER]\r\ngprsupmode=2\r\nupmode=5\r\n"), model);
    EXPECT_EQ(model.ItemIndex("cbb_gprsupmode"), -1);
    EXPECT_EQ(model.ItemIndex("cb_pdat"), -1);
    // Still as "Schedule" left them.
    EXPECT_FALSE(model.Enabled("edt_gprstimeup"));
    EXPECT_TRUE(model.Enabled("dtp_gprspointup"));
    EXPECT_FALSE(model.Enabled("edt1"));
    EXPECT_TRUE(model.Enabled("CheckBox2"));
}

TEST(Profile, LoadedValuesPassTheUploadTimerCheckButNoOtherLimit) {
    std::vector<std::string> messages;
    SettingsModel model([&](const std::string& m) { messages.push_back(m); });
    LoadProfile(IniFile::FromBytes("[OTHER]\r\ngprstimeup=5000\r\npwd=123456789\r\n"
                                   "[fixedpointtime]\r\ntime1time=25:00\r\ntime2time=7:30 AM\r\n"),
                model);
    EXPECT_EQ(messages, std::vector<std::string>{"The input value is out of range"});
    EXPECT_EQ(model.Text("edt_gprstimeup"), "500");
    EXPECT_EQ(model.Text("edt_pwd"), "123456789");
    EXPECT_EQ(model.Time("DateTimePicker5"), (settings::TimeOfDay{0, 0}));
    EXPECT_EQ(model.Time("DateTimePicker6"), (settings::TimeOfDay{7, 30}));
}

TEST(Profile, SensorsThreeAndFourAreSavedAndLoadedWhileDisabled) {
    SettingsModel saved;
    test::SetEveryWidget(saved);
    for (const auto* widget : settings::WidgetsOfGroup(settings::SensorGroup(3)))
        saved.SetEnabled(widget->name, false);
    IniFile file;
    SaveProfile(saved, file);
    EXPECT_EQ(file.Read("SENSOR3", "hlimit"), "hlimit79");

    SettingsModel loaded;
    for (int n = 3; n <= 4; ++n)
        for (const auto* widget : settings::WidgetsOfGroup(settings::SensorGroup(n)))
            loaded.SetEnabled(widget->name, false);
    LoadProfile(file, loaded);
    EXPECT_EQ(loaded.Text("edt_Sensor3_High"), "hlimit79");
    EXPECT_EQ(loaded.Text("edt_Sensor4_end"), "evalue98");
    EXPECT_EQ(loaded.ItemIndex("cbb_sensor4_ain"), 2);
    EXPECT_FALSE(loaded.Enabled("edt_Sensor4_end"));
}

}  // namespace
}  // namespace lgcset::profiles
