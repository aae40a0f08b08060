#include "ui/relay_widgets_view.h"

#include <QComboBox>
#include <QLineEdit>
#include <stdexcept>
#include <string>

namespace lgcset::ui {

// A name that is no widget of the expected kind is a fault of the caller.
template <typename W>
W* RelayWidgetsView::Find(std::string_view name) const {
    const QString objectName = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    W* widget = root_->findChild<W*>(objectName);
    if (widget == nullptr)
        throw std::invalid_argument("no relay test widget named " + std::string(name));
    return widget;
}

std::string RelayWidgetsView::Text(std::string_view name) const {
    return Find<QLineEdit>(name)->text().toStdString();
}

int RelayWidgetsView::ItemIndex(std::string_view name) const {
    return Find<QComboBox>(name)->currentIndex();
}

void RelayWidgetsView::SetEnabled(std::string_view name, bool enabled) {
    Find<QWidget>(name)->setEnabled(enabled);
}

}  // namespace lgcset::ui
