// Access to the settings by what each one is (SettingId).
//
// The window implements this over its real widgets; tests and tools use the in-memory
// model. The page codec, the channel layouts and the profile file work only through it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_id.h"

namespace lgcset::settings {

// The setting that the widget of this name shows; throws std::invalid_argument for a name
// the settings table does not hold (settings_table.cpp).
SettingId SettingNamed(std::string_view name);

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

class SettingsView {
public:
    virtual ~SettingsView() = default;

    // Edit boxes. Texts are UTF-8. Setting a text runs the box's change reaction
    // (the upload timer range check) exactly as typing would.
    virtual std::string Text(SettingId id) const = 0;
    virtual void SetText(SettingId id, const std::string& text) = 0;

    // Drop-down lists. -1 means no item selected. Setting the index from code does
    // not run the list's change handler.
    virtual int ItemIndex(SettingId id) const = 0;
    virtual void SetItemIndex(SettingId id, int index) = 0;
    virtual std::vector<std::string> Items(SettingId id) const = 0;
    // Replaces the items; leaves no item selected.
    virtual void SetItems(SettingId id, const std::vector<std::string>& items) = 0;

    // Check boxes. Changing the state from code runs the box's click reaction
    // (the schedule chain); setting the state it already has does nothing.
    virtual bool Checked(SettingId id) const = 0;
    virtual void SetChecked(SettingId id, bool checked) = 0;

    // Time pickers (hours and minutes).
    virtual TimeOfDay Time(SettingId id) const = 0;
    virtual void SetTime(SettingId id, TimeOfDay time) = 0;

    // Every widget.
    virtual bool Enabled(SettingId id) const = 0;
    virtual void SetEnabled(SettingId id, bool enabled) = 0;

    // The same by widget name, for names that come from outside the program (a widget's
    // objectName, a name typed in a test). A name the settings table does not hold throws
    // std::invalid_argument. A view that overrides the above brings these in with
    // `using SettingsView::Text;` and so on.
    std::string Text(std::string_view name) const { return Text(SettingNamed(name)); }
    void SetText(std::string_view name, const std::string& text) {
        SetText(SettingNamed(name), text);
    }
    int ItemIndex(std::string_view name) const { return ItemIndex(SettingNamed(name)); }
    void SetItemIndex(std::string_view name, int index) { SetItemIndex(SettingNamed(name), index); }
    std::vector<std::string> Items(std::string_view name) const {
        return Items(SettingNamed(name));
    }
    void SetItems(std::string_view name, const std::vector<std::string>& items) {
        SetItems(SettingNamed(name), items);
    }
    bool Checked(std::string_view name) const { return Checked(SettingNamed(name)); }
    void SetChecked(std::string_view name, bool checked) {
        SetChecked(SettingNamed(name), checked);
    }
    TimeOfDay Time(std::string_view name) const { return Time(SettingNamed(name)); }
    void SetTime(std::string_view name, TimeOfDay time) { SetTime(SettingNamed(name), time); }
    bool Enabled(std::string_view name) const { return Enabled(SettingNamed(name)); }
    void SetEnabled(std::string_view name, bool enabled) {
        SetEnabled(SettingNamed(name), enabled);
    }
};

}  // namespace lgcset::settings
