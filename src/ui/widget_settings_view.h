// The settings view over the window's real widgets, found by the names the settings table
// gives them.
// Lists are set from code without running their change handlers (those are bound to
// user activation only); check boxes set from code run their click reaction (bound to
// the state change).
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <unordered_map>

#include "settings/settings_view.h"

namespace lgcset::ui {

class WidgetSettingsView final : public settings::SettingsView {
  public:
    explicit WidgetSettingsView(QWidget* root) : root_(root) {}

    std::string Text(settings::SettingId id) const override;
    void SetText(settings::SettingId id, const std::string& text) override;

    int ItemIndex(settings::SettingId id) const override;
    void SetItemIndex(settings::SettingId id, int index) override;
    std::vector<std::string> Items(settings::SettingId id) const override;
    void SetItems(settings::SettingId id, const std::vector<std::string>& items) override;

    bool Checked(settings::SettingId id) const override;
    void SetChecked(settings::SettingId id, bool checked) override;

    settings::TimeOfDay Time(settings::SettingId id) const override;
    void SetTime(settings::SettingId id, settings::TimeOfDay time) override;

    bool Enabled(settings::SettingId id) const override;
    void SetEnabled(settings::SettingId id, bool enabled) override;

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

  private:
    template <typename W>
    W* Find(settings::SettingId id) const;

    QWidget* root_;
    mutable std::unordered_map<std::string, QPointer<QWidget>> found_;
};

}  // namespace lgcset::ui
