// The relay test's widgets of the window, found by their object names.
#pragma once

#include <QWidget>

#include "data/relay_test.h"

namespace lgcset::ui {

class RelayWidgetsView final : public data::RelayWidgets {
  public:
    explicit RelayWidgetsView(QWidget* root) : root_(root) {}

    std::string Text(std::string_view name) const override;
    int ItemIndex(std::string_view name) const override;
    void SetEnabled(std::string_view name, bool enabled) override;

  private:
    template <typename W>
    W* Find(std::string_view name) const;

    QWidget* root_;
};

}  // namespace lgcset::ui
