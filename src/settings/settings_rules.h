// The reactions of the settings widgets: which values enable or disable others, and the
// range check of the upload timer. They work on any SettingsView, so the window and the
// in-memory model run the same rules.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "settings/settings_view.h"

namespace lgcset::settings {

// Shows a message to the user (a modal box in the window, a recorder in tests).
using ShowMessageFn = std::function<void(const std::string& text)>;

inline constexpr std::string_view kOutOfRangeMessage = "The input value is out of range";
inline constexpr int kUploadTimerLimit = 1440;  // minutes in a day

// SMS report mode (cb_pdat changed). "Timer": edt1 enabled, every schedule box unchecked and
// disabled, every schedule picker disabled. "Schedule": edt1 disabled, only schedule 1
// (CheckBox2, DateTimePicker5) enabled, check states kept.
void cb_pdatChange(SettingsView& view);

// Schedule chain: schedule k + 1 is available only while schedule k is checked. Unchecking
// a box from here unchecks the next one through the view, which runs its reaction in turn.
void CheckBox2Click(SettingsView& view);
void CheckBox3Click(SettingsView& view);
void CheckBox4Click(SettingsView& view);

// GPRS upload mode (cbb_gprsupmode changed): "Timer" enables the timer box and disables the
// time picker, "Schedule" the other way round.
void cbb_gprsupmodeChange(SettingsView& view);

// Upload timer range check (edt_gprstimeup changed). A text that is no integer is left
// alone; above 1440 the message is shown and the fourth character is removed; putting the
// shorter text back through the view runs this check again.
void edt_gprstimeupChange(SettingsView& view, const ShowMessageFn& showMessage);

// Dispatch by setting, for views that route their widgets' events here. Each returns
// false when the widget has no such reaction.
bool RunClickReaction(SettingsView& view, SettingId checkBox);
bool RunListChangeReaction(SettingsView& view, SettingId list);
bool RunTextChangeReaction(SettingsView& view, SettingId edit, const ShowMessageFn& showMessage);

}  // namespace lgcset::settings
