// Settings that differ from the defaults on every widget of a profile, and a comparison of
// two views widget by widget.
#pragma once

#include <string>

#include "profiles/profile.h"
#include "settings/settings_table.h"
#include "settings/settings_view.h"

namespace lgcset::profiles::test {

// Sets every profile widget of view to a value other than its default (and other than the
// load's default for a missing key where the list has room): texts "<key><position>", the
// last item of each list or item 0 where the last is the default,
// every check box checked, and a different time on each picker. Both modes are "Schedule",
// so the chain lets every schedule be checked.
inline void SetEveryWidget(settings::SettingsView& view) {
    for (const settings::WidgetRow* widget : ProfileWidgets()) {
        const std::string& name = widget->name;
        const int position = widget->profileOrder;
        switch (widget->kind) {
            case settings::WidgetKind::Edit:
                // The upload timer takes a number within its range check.
                view.SetText(name, name == "edt_gprstimeup"
                                       ? "720"
                                       : widget->profileKey + std::to_string(position));
                break;
            case settings::WidgetKind::List: {
                const int last = static_cast<int>(view.Items(name).size()) - 1;
                view.SetItemIndex(name, last == widget->defaultIndex ? 0 : last);
                break;
            }
            case settings::WidgetKind::CheckBox:
                view.SetChecked(name, true);
                break;
            case settings::WidgetKind::TimePicker:
                view.SetTime(name, {position % 24, (7 * position) % 60});
                break;
            case settings::WidgetKind::ReadOnlyEdit:
                break;
        }
    }
}

// The first widget of the settings table whose state differs, as "name: what", or empty.
inline std::string FirstDifference(const settings::SettingsView& a,
                                   const settings::SettingsView& b) {
    for (const settings::WidgetRow& def : settings::SettingsTable()) {
        const std::string& n = def.name;
        if (a.Enabled(n) != b.Enabled(n)) {
            return n + ": enabled";
        }
        switch (def.kind) {
            case settings::WidgetKind::Edit:
            case settings::WidgetKind::ReadOnlyEdit:
                if (a.Text(n) != b.Text(n)) {
                    return n + ": text " + a.Text(n) + " / " + b.Text(n);
                }
                break;
            case settings::WidgetKind::List:
                if (a.ItemIndex(n) != b.ItemIndex(n)) {
                    return n + ": index " + std::to_string(a.ItemIndex(n)) + " / " +
                           std::to_string(b.ItemIndex(n));
                }
                break;
            case settings::WidgetKind::CheckBox:
                if (a.Checked(n) != b.Checked(n)) {
                    return n + ": checked";
                }
                break;
            case settings::WidgetKind::TimePicker:
                if (a.Time(n) != b.Time(n)) {
                    return n + ": time";
                }
                break;
        }
    }
    return {};
}

}  // namespace lgcset::profiles::test
