// The settings that two models hold differently, as the user sees them.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/settings_diff.h"
#include "settings/settings_model.h"

namespace lgcset::settings {
namespace {

TEST(SettingsDiff, NamesEachDifferingSettingByCaptionAndBothValues) {
    SettingsModel logger;
    SettingsModel profile;
    EXPECT_TRUE(DiffSettings(logger, profile).empty());

    profile.SetText("edt_port", "9000");
    profile.SetItemIndex("cbb_mode", 1);
    profile.SetText("edt_Sensor2_SLow", "-5");
    profile.SetChecked("CheckBox1", true);
    profile.SetTime("dtp_gprspointup", {23, 5});
    profile.SetTime(SettingId{Setting::ScheduleTime, 1}, {8, 30});
    // The login box is not stored in the logger: not a difference.
    profile.SetText("edt_setpwd", "1111");

    const auto differences = DiffSettings(logger, profile);
    std::vector<std::string> lines;
    for (const auto& d : differences) lines.push_back(d.caption + "|" + d.left + "|" + d.right);
    const std::vector<std::string> expected = {
        "GPS enable|unchecked|checked",
        "Schedule 1 time|00:00|08:30",
        "Data Upload Schedule|00:00|23:05",
        "Port|8000|9000",
        "Protocol|TCP|UDP",
        "Ultra-low (Alarm parameters setting2)||-5",
    };
    std::vector<std::string> sorted = lines;
    std::vector<std::string> wanted = expected;
    std::sort(sorted.begin(), sorted.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(sorted, wanted);
}

TEST(SettingsDiff, AListWithNoItemSelectedShowsEmpty) {
    SettingsModel model;
    model.SetItemIndex("cbb_mode", -1);
    EXPECT_EQ(ValueText(model, *FindWidget("cbb_mode")), "");
    model.SetItemIndex("cbb_mode", 1);
    EXPECT_EQ(ValueText(model, *FindWidget("cbb_mode")), "UDP");
}

}  // namespace
}  // namespace lgcset::settings
