// The settings view over the window's real widgets, found by their object names.
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

    std::string Text(std::string_view name) const override;
    void SetText(std::string_view name, const std::string& text) override;

    int ItemIndex(std::string_view name) const override;
    void SetItemIndex(std::string_view name, int index) override;
    std::vector<std::string> Items(std::string_view name) const override;
    void SetItems(std::string_view name, const std::vector<std::string>& items) override;

    bool Checked(std::string_view name) const override;
    void SetChecked(std::string_view name, bool checked) override;

    settings::TimeOfDay Time(std::string_view name) const override;
    void SetTime(std::string_view name, settings::TimeOfDay time) override;

    bool Enabled(std::string_view name) const override;
    void SetEnabled(std::string_view name, bool enabled) override;

  private:
    template <typename W>
    W* Find(std::string_view name) const;

    QWidget* root_;
    mutable std::unordered_map<std::string, QPointer<QWidget>> found_;
};

}  // namespace lgcset::ui
