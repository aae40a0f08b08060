// Access to the settings by the name of the widget that holds each value.
//
// The window implements this over its real widgets; tests and tools use the in-memory
// model. The page codec, the channel layouts and the profile file work only through it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lgcset::settings {

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
    virtual std::string Text(std::string_view name) const = 0;
    virtual void SetText(std::string_view name, const std::string& text) = 0;

    // Drop-down lists. -1 means no item selected. Setting the index from code does
    // not run the list's change handler.
    virtual int ItemIndex(std::string_view name) const = 0;
    virtual void SetItemIndex(std::string_view name, int index) = 0;
    virtual std::vector<std::string> Items(std::string_view name) const = 0;
    // Replaces the items; leaves no item selected.
    virtual void SetItems(std::string_view name, const std::vector<std::string>& items) = 0;

    // Check boxes. Changing the state from code runs the box's click reaction
    // (the schedule chain); setting the state it already has does nothing.
    virtual bool Checked(std::string_view name) const = 0;
    virtual void SetChecked(std::string_view name, bool checked) = 0;

    // Time pickers (hours and minutes).
    virtual TimeOfDay Time(std::string_view name) const = 0;
    virtual void SetTime(std::string_view name, TimeOfDay time) = 0;

    // Every widget.
    virtual bool Enabled(std::string_view name) const = 0;
    virtual void SetEnabled(std::string_view name, bool enabled) = 0;
};

}  // namespace lgcset::settings
