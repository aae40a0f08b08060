// The port list: an editable drop-down that has its items read again each time it opens,
// so that an adapter plugged in after start is there when the user looks for it.
#pragma once

#include <QComboBox>
#include <functional>

namespace lgcset::ui {

class PortComboBox final : public QComboBox {
  public:
    explicit PortComboBox(QWidget* parent) : QComboBox(parent) {}

    // Runs each time the list is about to drop down (mouse, F4, Alt+Down).
    void SetBeforePopup(std::function<void()> refresh) { beforePopup_ = std::move(refresh); }

    void showPopup() override {
        if (beforePopup_)
            beforePopup_();
        QComboBox::showPopup();
    }

  private:
    std::function<void()> beforePopup_;
};

}  // namespace lgcset::ui
