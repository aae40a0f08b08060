// Builds every settings widget from the settings table and places each into its group
// box with its caption and hint. The table says what each widget is; this file only says
// where it sits.
#pragma once

#include <QString>
#include <map>
#include <string>

class QGroupBox;
class QLabel;
class QWidget;

namespace lgcset::settings {
struct WidgetRow;
}

namespace lgcset::ui {

using WidgetsByName = std::map<std::string, QWidget*>;

// One widget of the table, configured with its limits, items, defaults, enabled state and
// key filter, its objectName set to the table's name.
QWidget* CreateSettingsWidget(const settings::WidgetRow& def, QWidget* parent);

// Creates the widgets of every group of the table inside the group boxes given by
// objectName, and lays out the groups of the tabs. The login group, which shares its box
// with the link buttons, is laid out by the window.
WidgetsByName BuildSettingsGroups(const std::map<std::string, QGroupBox*>& groups);

// The caption label of a widget of the table (nullptr when it has none).
QLabel* CaptionLabel(const settings::WidgetRow& def, QWidget* parent);

QString FromUtf8(const std::string& text);

}  // namespace lgcset::ui
