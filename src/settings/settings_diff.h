// The settings that two views hold differently, named as the user sees them: what "compare
// with the logger" and the check after a write report.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_table.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

// A widget's value as text: an edit box's text, a list's item text (empty with no item
// selected), "checked" or "unchecked", a time as "HH:mm".
std::string ValueText(const SettingsView& view, const WidgetRow& widget);

// How a difference names a widget: its caption as the user sees it, else a check box's own
// text, "Schedule k time" for the schedule pickers, else the name.
std::string DifferenceCaption(const WidgetRow& widget);

struct SettingDifference {
    std::string widget;   // the widget's name: edt_port
    std::string caption;  // "Port", "Ultra-low (Alarm parameters setting2)"
    std::string left;
    std::string right;
};

// Every widget of the parameter pages (the login group is not stored in the logger) whose
// value differs between left and right, in the order of the settings table.
std::vector<SettingDifference> DiffSettings(const SettingsView& left, const SettingsView& right);

}  // namespace lgcset::settings
