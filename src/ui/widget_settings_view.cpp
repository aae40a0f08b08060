#include "ui/widget_settings_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimeEdit>
#include <stdexcept>

#include "settings/settings_table.h"
#include "ui/filtered_line_edit.h"

namespace lgcset::ui {

// A setting whose widget is not of the expected kind is a fault of the caller, not of the
// user's data: it is reported loudly instead of reading as an empty value.
//
// A search of the window's tree per access would cost more than the page codec itself (a
// page read touches a hundred widgets), so each widget found is remembered by its name.
template <typename W>
W* WidgetSettingsView::Find(settings::SettingId id) const {
    const std::string& key = settings::WidgetName(id);
    const auto known = found_.find(key);
    if (known != found_.end() && !known->second.isNull())
        if (W* widget = qobject_cast<W*>(known->second.data()))
            return widget;
    const QString objectName = QString::fromStdString(key);
    W* widget = root_->findChild<W*>(objectName);
    if (widget == nullptr)
        throw std::invalid_argument("no settings widget named " + key);
    found_[key] = widget;
    return widget;
}

std::string WidgetSettingsView::Text(settings::SettingId id) const {
    return Find<QLineEdit>(id)->text().toStdString();
}

void WidgetSettingsView::SetText(settings::SettingId id, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<FilteredLineEdit*>(Find<QLineEdit>(id)))
        edit->SetProgramText(value);
    else
        Find<QLineEdit>(id)->setText(value);
}

int WidgetSettingsView::ItemIndex(settings::SettingId id) const {
    return Find<QComboBox>(id)->currentIndex();
}

void WidgetSettingsView::SetItemIndex(settings::SettingId id, int index) {
    QComboBox* list = Find<QComboBox>(id);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

std::vector<std::string> WidgetSettingsView::Items(settings::SettingId id) const {
    const QComboBox* list = Find<QComboBox>(id);
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
    return items;
}

void WidgetSettingsView::SetItems(settings::SettingId id, const std::vector<std::string>& items) {
    QComboBox* list = Find<QComboBox>(id);
    list->clear();
    for (const std::string& item : items) list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(-1);
}

bool WidgetSettingsView::Checked(settings::SettingId id) const {
    return Find<QCheckBox>(id)->isChecked();
}

void WidgetSettingsView::SetChecked(settings::SettingId id, bool checked) {
    Find<QCheckBox>(id)->setChecked(checked);
}

settings::TimeOfDay WidgetSettingsView::Time(settings::SettingId id) const {
    const QTime time = Find<QTimeEdit>(id)->time();
    return {time.hour(), time.minute()};
}

void WidgetSettingsView::SetTime(settings::SettingId id, settings::TimeOfDay time) {
    Find<QTimeEdit>(id)->setTime(QTime(time.hour, time.minute));
}

bool WidgetSettingsView::Enabled(settings::SettingId id) const {
    // The widget's own state, whatever its group's.
    return !Find<QWidget>(id)->testAttribute(Qt::WA_ForceDisabled);
}

void WidgetSettingsView::SetEnabled(settings::SettingId id, bool enabled) {
    Find<QWidget>(id)->setEnabled(enabled);
}

}  // namespace lgcset::ui
