#include "ui/widget_settings_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimeEdit>
#include <stdexcept>

#include "ui/filtered_line_edit.h"

namespace lgcset::ui {

// A name that is not a widget of the expected kind is a fault of the caller, not of the
// user's data: it is reported loudly instead of reading as an empty value.
//
// A search of the window's tree per access would cost more than the page codec itself (a
// page read touches a hundred widgets), so each widget found is remembered by its name.
template <typename W>
W* WidgetSettingsView::Find(std::string_view name) const {
    const std::string key(name);
    const auto known = found_.find(key);
    if (known != found_.end() && !known->second.isNull())
        if (W* widget = qobject_cast<W*>(known->second.data()))
            return widget;
    const QString objectName = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    W* widget = root_->findChild<W*>(objectName);
    if (widget == nullptr)
        throw std::invalid_argument("no settings widget named " + key);
    found_[key] = widget;
    return widget;
}

std::string WidgetSettingsView::Text(std::string_view name) const {
    return Find<QLineEdit>(name)->text().toStdString();
}

void WidgetSettingsView::SetText(std::string_view name, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<FilteredLineEdit*>(Find<QLineEdit>(name)))
        edit->SetProgramText(value);
    else
        Find<QLineEdit>(name)->setText(value);
}

int WidgetSettingsView::ItemIndex(std::string_view name) const {
    return Find<QComboBox>(name)->currentIndex();
}

void WidgetSettingsView::SetItemIndex(std::string_view name, int index) {
    QComboBox* list = Find<QComboBox>(name);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

std::vector<std::string> WidgetSettingsView::Items(std::string_view name) const {
    const QComboBox* list = Find<QComboBox>(name);
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i) items.push_back(list->itemText(i).toStdString());
    return items;
}

void WidgetSettingsView::SetItems(std::string_view name, const std::vector<std::string>& items) {
    QComboBox* list = Find<QComboBox>(name);
    list->clear();
    for (const std::string& item : items) list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(-1);
}

bool WidgetSettingsView::Checked(std::string_view name) const {
    return Find<QCheckBox>(name)->isChecked();
}

void WidgetSettingsView::SetChecked(std::string_view name, bool checked) {
    Find<QCheckBox>(name)->setChecked(checked);
}

settings::TimeOfDay WidgetSettingsView::Time(std::string_view name) const {
    const QTime time = Find<QTimeEdit>(name)->time();
    return {time.hour(), time.minute()};
}

void WidgetSettingsView::SetTime(std::string_view name, settings::TimeOfDay time) {
    Find<QTimeEdit>(name)->setTime(QTime(time.hour, time.minute));
}

bool WidgetSettingsView::Enabled(std::string_view name) const {
    // The widget's own state, whatever its group's.
    return !Find<QWidget>(name)->testAttribute(Qt::WA_ForceDisabled);
}

void WidgetSettingsView::SetEnabled(std::string_view name, bool enabled) {
    Find<QWidget>(name)->setEnabled(enabled);
}

}  // namespace lgcset::ui
