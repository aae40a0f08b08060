// Every settings widget of the window: its name, group, kind, captions, length limit,
// default state, item texts and key filter. The window builds its widgets from this table,
// the in-memory model takes its defaults from it, and the profile file finds its keys here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

struct WidgetSpec {
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

    // Rows that repeat (numbers 1..6, sensors 1..4) carry their number here; 0 otherwise.
    int row = 0;

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
};

// The whole table, in the order of the groups and of the widgets within each group.
const std::vector<WidgetSpec>& SettingsTable();

// The entry of one widget, or nullptr for a name the table does not hold.
const WidgetSpec* FindWidget(std::string_view name);

// A group box of the settings and its caption.
struct GroupSpec {
    std::string name;     // objectName
    std::string caption;  // shown on the box; empty for the login group
    std::string tab;      // objectName of the tab page, empty for the row above the tabs
    int row = 0;          // sensor number for the alarm groups, 0 otherwise
};

const std::vector<GroupSpec>& SettingsGroups();
const GroupSpec* FindGroup(std::string_view name);

// Captions of the two settings tabs.
struct TabSpec {
    std::string name;
    std::string caption;
};
const std::vector<TabSpec>& SettingsTabs();

// Labels that stand on their own in a group and head the widgets that follow them
// ("Threshold:" before the four thresholds, "Measurement range:" before Min./Max.).
struct LayoutLabel {
    std::string group;
    std::string text;
    std::string before;  // name of the first widget the label heads
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

// Names of the repeated widgets, n counted from 1.
std::string TelName(int n);         // edt_telN
std::string TelCode1Name(int n);    // cbb_telN_f1
std::string TelCode2Name(int n);    // cbb_telN_f2
std::string SensorTypeName(int n);  // cbb_sensorN
std::string SensorAinName(int n);   // cbb_sensorN_ain
// edt_SensorN_<field>, field one of SLow, Low, High, SHigh, Relay, STP, SP, ens, start, end.
std::string SensorEditName(int n, std::string_view field);
std::string ScheduleCheckName(int k);  // CheckBox2..CheckBox5 for k = 1..4
std::string ScheduleTimeName(int k);   // DateTimePicker5..DateTimePicker8 for k = 1..4

// The widgets of one group, in table order.
std::vector<const WidgetSpec*> WidgetsOfGroup(std::string_view group);

// The caption the user sees for a widget, without a trailing ':'; the widgets of an alarm
// group name their group as well: "Ultra-low (Alarm parameters setting2)"; a check box
// without a label beside it is known by its own text. The name itself for a widget the
// table does not hold.
std::string UserCaption(const std::string& widget);

}  // namespace lgcset::settings
