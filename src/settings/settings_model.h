// Settings without a window: every widget of the settings table held in memory with its
// default state, running the same reactions as the window does (checking a schedule box
// runs the chain, a new upload timer text runs the range check; selecting a list item from
// code runs nothing, choosing it as a user does runs the list's change reaction).
#pragma once

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

    // An identifier that the settings table does not hold throws std::invalid_argument, and
    // so does asking an edit box for a check state or the like: that is a programming error.
    std::string Text(SettingId id) const override;
    void SetText(SettingId id, const std::string& text) override;
    int ItemIndex(SettingId id) const override;
    // An index outside the items leaves no item selected.
    void SetItemIndex(SettingId id, int index) override;
    std::vector<std::string> Items(SettingId id) const override;
    void SetItems(SettingId id, const std::vector<std::string>& items) override;
    bool Checked(SettingId id) const override;
    void SetChecked(SettingId id, bool checked) override;
    TimeOfDay Time(SettingId id) const override;
    void SetTime(SettingId id, TimeOfDay time) override;
    bool Enabled(SettingId id) const override;
    void SetEnabled(SettingId id, bool enabled) override;
    using SettingsView::Checked;
    using SettingsView::Enabled;
    using SettingsView::ItemIndex;
    using SettingsView::Items;
    using SettingsView::SetChecked;
    using SettingsView::SetEnabled;
    using SettingsView::SetItemIndex;
    using SettingsView::SetItems;
    using SettingsView::SetText;
    using SettingsView::SetTime;
    using SettingsView::Text;
    using SettingsView::Time;

    // What the user does. ChooseItem selects an item and runs the list's change reaction.
    // TypeKey passes one character through the box's key filter and, when accepted,
    // appends it (Backspace removes the last character) within the box's maximum length.
    // Both act on enabled widgets only, like a user can.
    void ChooseItem(SettingId id, int index);
    void TypeKey(SettingId id, char32_t key);
    void TypeText(SettingId id, std::string_view keys);
    void Click(SettingId id);
    void ChooseItem(std::string_view name, int index) { ChooseItem(SettingNamed(name), index); }
    void TypeKey(std::string_view name, char32_t key) { TypeKey(SettingNamed(name), key); }
    void TypeText(std::string_view name, std::string_view keys) {
        TypeText(SettingNamed(name), keys);
    }
    void Click(std::string_view name) { Click(SettingNamed(name)); }

  private:
    struct State {
        const WidgetRow* def = nullptr;
        std::string text;
        int index = -1;
        std::vector<std::string> items;
        bool checked = false;
        TimeOfDay time{};
        bool enabled = true;
    };
    State& At(SettingId id, WidgetKind kind);
    const State& At(SettingId id, WidgetKind kind) const;
    State& Any(SettingId id);
    const State& Any(SettingId id) const;

    std::vector<State> widgets_;  // in the order of the settings table
    ShowMessageFn showMessage_;
};

}  // namespace lgcset::settings
