// A cell the user may select and copy but not edit, for the window's read-only tables.
#pragma once

#include <QTableWidgetItem>
#include <string>

namespace lgcset::ui {

inline QTableWidgetItem* ReadOnlyCell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

inline QTableWidgetItem* ReadOnlyCell(const std::string& text) {
    return ReadOnlyCell(QString::fromStdString(text));
}

}  // namespace lgcset::ui
