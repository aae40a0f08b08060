// The enabling rules and the upload timer check, run on the in-memory model the way a user
// drives the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_model.h"
#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

class SettingsRules : public ::testing::Test {
protected:
    std::vector<std::string> messages;
    SettingsModel model{[this](const std::string& text) { messages.push_back(text); }};

    // Enabled and checked states of schedules 1..4 as "ec" pairs: E/e enabled or not,
    // C/c checked or not, then T/t for the picker's enabled state.
    std::string Schedules() const {
        std::string s;
        for (int k = 1; k <= 4; ++k) {
            s += model.Enabled(SettingId{Setting::ScheduleEnabled, k}) ? 'E' : 'e';
            s += model.Checked(SettingId{Setting::ScheduleEnabled, k}) ? 'C' : 'c';
            s += model.Enabled(SettingId{Setting::ScheduleTime, k}) ? 'T' : 't';
            s += k < 4 ? " " : "";
        }
        return s;
    }
};

TEST_F(SettingsRules, UploadTimerAboveADayIsCutBackOnce) {
    model.TypeText("edt_gprstimeup", "1441");
    EXPECT_EQ(messages, std::vector<std::string>{"The input value is out of range"});
    EXPECT_EQ(model.Text("edt_gprstimeup"), "144");

    messages.clear();
    model.SetText("edt_gprstimeup", "");
    model.TypeText("edt_gprstimeup", "1440");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(model.Text("edt_gprstimeup"), "1440");

    // Five digits (a loaded profile) need two cuts, each with its message.
    model.SetText("edt_gprstimeup", "65535");
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(model.Text("edt_gprstimeup"), "655");

    // Text that is no integer is left alone.
    messages.clear();
    model.SetText("edt_gprstimeup", "99999999999");
    model.SetText("edt_gprstimeup", "abcd");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(model.Text("edt_gprstimeup"), "abcd");
}

TEST_F(SettingsRules, ScheduleChainFollowsTheReportModeAndEachBox) {
    EXPECT_EQ(Schedules(), "ect ect ect ect");
    EXPECT_TRUE(model.Enabled("edt1"));

    model.ChooseItem("cb_pdat", 1);
    EXPECT_FALSE(model.Enabled("edt1"));
    EXPECT_EQ(Schedules(), "EcT ect ect ect");

    model.Click("CheckBox2");
    EXPECT_EQ(Schedules(), "ECT EcT ect ect");
    model.Click("CheckBox3");
    model.Click("CheckBox4");
    model.Click("CheckBox5");
    EXPECT_EQ(Schedules(), "ECT ECT ECT ECT");

    // Unchecking schedule 1 takes every later one down with it.
    model.Click("CheckBox2");
    EXPECT_EQ(Schedules(), "EcT ect ect ect");

    model.Click("CheckBox2");
    model.Click("CheckBox3");
    model.ChooseItem("cb_pdat", 0);
    EXPECT_TRUE(model.Enabled("edt1"));
    EXPECT_EQ(Schedules(), "ect ect ect ect");

    // Choosing Schedule again keeps the (now cleared) check states.
    model.ChooseItem("cb_pdat", 1);
    EXPECT_EQ(Schedules(), "EcT ect ect ect");
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsRules, SelectingFromCodeRunsNoListReaction) {
    model.SetItemIndex("cb_pdat", 1);
    EXPECT_TRUE(model.Enabled("edt1"));
    model.SetItemIndex("cbb_gprsupmode", 1);
    EXPECT_TRUE(model.Enabled("edt_gprstimeup"));
    // A check box set from code runs its reaction, like a click.
    model.SetEnabled("CheckBox2", true);
    model.SetChecked("CheckBox2", true);
    EXPECT_EQ(Schedules(), "ECt EcT ect ect");
}

TEST_F(SettingsRules, UploadModeSwitchesBetweenTimerAndPicker) {
    EXPECT_TRUE(model.Enabled("edt_gprstimeup"));
    EXPECT_FALSE(model.Enabled("dtp_gprspointup"));
    model.ChooseItem("cbb_gprsupmode", 1);
    EXPECT_FALSE(model.Enabled("edt_gprstimeup"));
    EXPECT_TRUE(model.Enabled("dtp_gprspointup"));
    model.ChooseItem("cbb_gprsupmode", 0);
    EXPECT_TRUE(model.Enabled("edt_gprstimeup"));
    EXPECT_FALSE(model.Enabled("dtp_gprspointup"));
}

TEST_F(SettingsRules, ModelRefusesNamesAndKindsItDoesNotHold) {
    EXPECT_THROW(model.Text("edt_tel7"), std::invalid_argument);
    EXPECT_THROW(model.Checked("edt_tel1"), std::invalid_argument);
    EXPECT_THROW(model.SetItemIndex("CheckBox2", 0), std::invalid_argument);
    model.SetItemIndex("cbb_mode", 5);
    EXPECT_EQ(model.ItemIndex("cbb_mode"), -1);
}

}  // namespace
}  // namespace lgcset::settings
