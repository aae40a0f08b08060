// Whether the logger holds the settings as typed: values compared in the form the logger
// shows them, only where the modes store them, and a value its field changes caught.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/held_settings.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

// What the logger shows after a save of typed: every page encoded, then decoded into a
// model that knows nothing of typed.
SettingsModel SavedAndReadBack(const SettingsView& typed) {
    const CodeTables codes;
    ParameterImage image;
    for (const std::uint32_t page : kSettingsPages) EncodePage(page, typed, image, codes);
    SettingsModel logger;
    for (const std::uint32_t page : kSettingsPages) DecodePage(page, logger, image, codes);
    return logger;
}

std::vector<std::string> Lines(const std::vector<SettingDifference>& differences) {
    std::vector<std::string> lines;
    for (const auto& d : differences) lines.push_back(d.caption + "|" + d.left + "|" + d.right);
    return lines;
}

TEST(HeldSettings, ValuesTypedInAnotherFormAreHeld) {
    SettingsModel typed;
    typed.SetText("edt_id", "123");            // read back as 000000000000123
    typed.SetText("edt_port", "");             // 65535
    typed.SetText("edt_rec_time", "+07");      // 7
    typed.SetText(SettingId{Setting::SensorUltraLow, 1}, "25.1");   // 25.10
    typed.SetText(SettingId{Setting::SensorHigh, 2}, "");           // 999.00
    typed.SetText(SettingId{Setting::SensorRangeMax, 3}, "-5");     // -5.00
    typed.SetText(SettingId{Setting::SensorStep, 4}, "");           // 99
    typed.SetText(SettingId{Setting::SensorRelayTime, 4}, "0042");  // 42
    typed.SetItemIndex(SettingId{Setting::SensorType, 2}, -1);      // stored as the first item
    EXPECT_EQ(Lines(DiffHeldSettings(SavedAndReadBack(typed), typed)), std::vector<std::string>{});
}

TEST(HeldSettings, OnlyWhatTheModesStoreIsCompared) {
    SettingsModel typed;
    // Schedule modes: the timer and the interval are not stored, nor an unchecked
    // schedule's time.
    typed.ChooseItem("cbb_gprsupmode", 1);
    typed.ChooseItem("cb_pdat", 1);
    typed.SetText("edt_gprstimeup", "77");
    typed.SetText("edt1", "12");
    typed.SetTime("dtp_gprspointup", {23, 45});
    typed.SetChecked(SettingId{Setting::ScheduleEnabled, 1}, true);
    typed.SetTime(SettingId{Setting::ScheduleTime, 1}, {8, 30});
    typed.SetTime(SettingId{Setting::ScheduleTime, 3}, {9, 15});
    EXPECT_EQ(Lines(DiffHeldSettings(SavedAndReadBack(typed), typed)), std::vector<std::string>{});

    // Timer modes: the pickers are not stored.
    typed.ChooseItem("cbb_gprsupmode", 0);
    typed.ChooseItem("cb_pdat", 0);
    EXPECT_EQ(Lines(DiffHeldSettings(SavedAndReadBack(typed), typed)), std::vector<std::string>{});
}

TEST(HeldSettings, AValueItsFieldChangesIsADifference) {
    SettingsModel typed;
    typed.SetText("edt_rec_time", "300");  // the low 8 bits: 44
    typed.SetText("edt_port", "70000");    // 4464
    typed.SetText(SettingId{Setting::SensorStep, 1}, "1.5");  // its digit sum: 85
    typed.SetText("edt_tel2", std::string(21, '1'));  // cut to 20
    typed.SetText(SettingId{Setting::SensorLow, 2}, "abc");  // no number: not set
    const SettingsModel logger = SavedAndReadBack(typed);
    EXPECT_EQ(Lines(DiffHeldSettings(logger, typed)),
              (std::vector<std::string>{
                  "Log interval timer|44|300",
                  "No.2|" + std::string(20, '1') + "|" + std::string(21, '1'),
                  "Port|4464|70000",
                  "Step value (Alarm parameters setting1)|85|1.5",
                  "Low (Alarm parameters setting2)|999.00|abc",
              }));

    // A logger that kept a schedule other than typed, or lost one.
    typed = SettingsModel();
    typed.ChooseItem("cb_pdat", 1);
    typed.SetChecked(SettingId{Setting::ScheduleEnabled, 1}, true);
    typed.SetTime(SettingId{Setting::ScheduleTime, 1}, {8, 30});
    SettingsModel changed = SavedAndReadBack(typed);
    changed.SetTime(SettingId{Setting::ScheduleTime, 1}, {8, 31});
    EXPECT_EQ(Lines(DiffHeldSettings(changed, typed)),
              std::vector<std::string>{"Schedule 1 time|08:31|08:30"});
    changed.SetChecked(SettingId{Setting::ScheduleEnabled, 1}, false);
    EXPECT_EQ(DiffHeldSettings(changed, typed).size(), 2u);
}

}  // namespace
}  // namespace lgcset::settings
