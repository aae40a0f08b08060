// Every settings widget of the window: its name, group, kind, captions, length limit,
// default state, item texts, key filter and place in the parameter pages. The window builds
// its widgets from this table, the in-memory model takes its defaults from it, the profile
// file finds its keys here and the page layouts their fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/page_place.h"
#include "settings/setting_id.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

enum class WidgetKind {
    Edit,
    ReadOnlyEdit,
    List,
    CheckBox,
    TimePicker,
};

// Which characters may be typed into an edit box (see key_filters.h).
enum class KeyFilter {
    None,      // every character
    Adt,       // edt_adtKeyPress: digits
    Pwd,       // edt_pwdKeyPress: digits, '+', '-', '.'
    RecTime,   // edt_rec_timeKeyPress: digits, '.'
    NumPoint,  // edt_numpoint_KeyPress: digits, '.'
    Tel,       // edt_tel1KeyPress: digits, '+' only into an empty box
};

struct WidgetRow {
    SettingId id;       // what the widget shows
    std::string name;   // objectName of the widget
    std::string group;  // objectName of the group box that holds it
    WidgetKind kind = WidgetKind::Edit;
    std::string caption;    // label beside the widget ("Device ID:", "Schedule 1:"); may be empty
    std::string checkText;  // a check box's own text ("GPS enable", "enable"); else empty
    std::string hint;       // range hint shown beside the box ("(0,5--255)mins"); may be empty
    std::string unit;       // unit shown after the box ("mins"); may be empty
    int maxLength = 0;      // edit boxes: characters allowed, 0 = unlimited

    // Default state when the window opens.
    std::string defaultText;  // edit boxes
    int defaultIndex = -1;    // lists: selected item, -1 = none selected
    std::string shownText;    // lists with no selection: the text the closed list shows
    bool defaultChecked = false;
    TimeOfDay defaultTime{};
    bool enabled = true;

    std::vector<std::string> items;  // lists: item texts, UTF-8
    KeyFilter filter = KeyFilter::None;

    // Where the profile file keeps the value (section and key as written). The kind says
    // how the value is written: an edit box's text, a list's item index, a check box's flag,
    // a picker's time of day.
    std::string profileSection;
    std::string profileKey;
    // Position of the key in the order a profile is written, counted from 1; 0 for widgets
    // the profile does not hold.
    int profileOrder = 0;
    // The text an edit box takes when a loaded profile lacks its key.
    std::string profileDefaultText;

    // Where the logger's pages keep the value; none for the login row, whose values come
    // from the login reply, and for the schedules, which share one field of the system page.
    std::optional<PagePlace> place;
};

// The whole table, in the order of the groups and of the widgets within each group.
const std::vector<WidgetRow>& SettingsTable();

// The entry of one setting. An identifier the table does not hold (a row beyond the
// setting's rows, a row for a setting that does not repeat) throws std::invalid_argument.
const WidgetRow& RowOf(SettingId id);
const std::string& WidgetName(SettingId id);

// The entry of one widget, or nullptr for a name the table does not hold.
const WidgetRow* FindWidget(std::string_view name);

// A group box of the settings and its caption.
struct GroupRow {
    std::string name;     // objectName
    std::string caption;  // shown on the box; empty for the login group
    std::string tab;      // objectName of the tab page, empty for the row above the tabs
    int row = 0;          // sensor number for the alarm groups, 0 otherwise
};

const std::vector<GroupRow>& SettingsGroups();
const GroupRow* FindGroup(std::string_view name);

// Captions of the two settings tabs.
struct TabRow {
    std::string name;
    std::string caption;
};
const std::vector<TabRow>& SettingsTabs();

// Labels that stand on their own in a group and head the widgets that follow them
// ("Threshold:" before the four thresholds, "Measurement range:" before Min./Max.).
struct LayoutLabel {
    std::string group;
    std::string text;
    SettingId before;  // the first setting the label heads
};
const std::vector<LayoutLabel>& LayoutLabels();

// Group box names.
inline constexpr std::string_view kSystemGroup = "GroupBox18";
inline constexpr std::string_view kNumbersGroup = "grp7";
inline constexpr std::string_view kGprsGroup = "grp6";
inline constexpr std::string_view kLoginGroup = "grp8";
inline constexpr int kNumberRows = 6;
inline constexpr int kSensorCount = 4;

// The group box of sensor n (1..4): GroupBox7, grp1, grp2, grp3.
std::string_view SensorGroup(int sensor);

// The widgets of one group, in table order.
std::vector<const WidgetRow*> WidgetsOfGroup(std::string_view group);

// The caption the user sees for a widget, without a trailing ':'; the widgets of an alarm
// group name their group as well: "Ultra-low (Alarm parameters setting2)"; a check box
// without a label beside it is known by its own text.
std::string UserCaption(const WidgetRow& widget);

}  // namespace lgcset::settings
