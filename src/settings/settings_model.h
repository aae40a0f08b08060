// Settings without a window: every widget of the settings table held in memory with its
// default state, running the same reactions as the window does (checking a schedule box
// runs the chain, a new upload timer text runs the range check; selecting a list item from
// code runs nothing, choosing it as a user does runs the list's change reaction).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_rules.h"
#include "settings/settings_table.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

class SettingsModel final : public SettingsView {
public:
    // showMessage receives the messages of the reactions; it may be empty.
    explicit SettingsModel(ShowMessageFn showMessage = {});

    // A name that the settings table does not hold throws std::invalid_argument, and so
    // does asking an edit box for a check state or the like: that is a programming error.
    std::string Text(std::string_view name) const override;
    void SetText(std::string_view name, const std::string& text) override;
    int ItemIndex(std::string_view name) const override;
    // An index outside the items leaves no item selected.
    void SetItemIndex(std::string_view name, int index) override;
    std::vector<std::string> Items(std::string_view name) const override;
    void SetItems(std::string_view name, const std::vector<std::string>& items) override;
    bool Checked(std::string_view name) const override;
    void SetChecked(std::string_view name, bool checked) override;
    TimeOfDay Time(std::string_view name) const override;
    void SetTime(std::string_view name, TimeOfDay time) override;
    bool Enabled(std::string_view name) const override;
    void SetEnabled(std::string_view name, bool enabled) override;

    // What the user does. ChooseItem selects an item and runs the list's change reaction.
    // TypeKey passes one character through the box's key filter and, when accepted,
    // appends it (Backspace removes the last character) within the box's maximum length.
    // Both act on enabled widgets only, like a user can.
    void ChooseItem(std::string_view name, int index);
    void TypeKey(std::string_view name, char32_t key);
    void TypeText(std::string_view name, std::string_view keys);
    void Click(std::string_view name);

private:
    struct State {
        const WidgetSpec* def = nullptr;
        std::string text;
        int index = -1;
        std::vector<std::string> items;
        bool checked = false;
        TimeOfDay time{};
        bool enabled = true;
    };
    State& At(std::string_view name, WidgetKind kind);
    const State& At(std::string_view name, WidgetKind kind) const;
    State& Any(std::string_view name);
    const State& Any(std::string_view name) const;

    std::map<std::string, State, std::less<>> widgets_;
    ShowMessageFn showMessage_;
};

}  // namespace lgcset::settings
