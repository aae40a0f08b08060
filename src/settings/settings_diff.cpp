#include "settings/settings_diff.h"

#include <cstdio>
#include <string>

namespace lgcset::settings {

std::string ValueText(const SettingsView& view, const WidgetRow& widget) {
    switch (widget.kind) {
        case WidgetKind::Edit:
        case WidgetKind::ReadOnlyEdit:
            return view.Text(widget.id);
        case WidgetKind::List: {
            const int index = view.ItemIndex(widget.id);
            const std::vector<std::string> items = view.Items(widget.id);
            if (index < 0 || static_cast<std::size_t>(index) >= items.size())
                return {};
            return items[static_cast<std::size_t>(index)];
        }
        case WidgetKind::CheckBox:
            return view.Checked(widget.id) ? "checked" : "unchecked";
        case WidgetKind::TimePicker: {
            const TimeOfDay time = view.Time(widget.id);
            char text[16];
            std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
            return text;
        }
    }
    return {};
}

std::string DifferenceCaption(const WidgetRow& widget) {
    std::string caption = UserCaption(widget);
    if (caption.empty())
        caption = widget.checkText;  // a check box labelled by its own text
    if (caption.empty() && widget.id.what == Setting::ScheduleTime)
        caption = "Schedule " + std::to_string(widget.id.row) + " time";
    if (caption.empty())
        caption = widget.name;
    return caption;
}

std::vector<SettingDifference> DiffSettings(const SettingsView& left, const SettingsView& right) {
    std::vector<SettingDifference> differences;
    for (const WidgetRow& widget : SettingsTable()) {
        if (widget.group == kLoginGroup)
            continue;
        std::string a = ValueText(left, widget);
        std::string b = ValueText(right, widget);
        if (a == b)
            continue;
        differences.push_back({widget.name, DifferenceCaption(widget), std::move(a), std::move(b)});
    }
    return differences;
}

}  // namespace lgcset::settings
