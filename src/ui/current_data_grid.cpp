#include "ui/current_data_grid.h"

#include <QHeaderView>
#include <QTableWidget>

namespace lgcset::ui {

namespace {

constexpr int kColumnWidth = 64;
constexpr int kWideColumn = 8;  // "Direction" is one pixel wider
constexpr int kRowHeight = 24;
// The headings row takes two lines, so that "GSM Signal" and "Power Status" fit the
// 64-pixel columns.
constexpr int kHeadingRowHeight = 34;

QTableWidgetItem* Cell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        grid->setItem(row, column, item);
    }
    return item;
}

}  // namespace

QTableWidget* MakeCurrentDataGrid(QWidget* parent) {
    auto* grid = new QTableWidget(kCurrentDataRows, kCurrentDataColumns, parent);
    grid->setObjectName(QStringLiteral("strngrd_curdata"));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 0;
    for (int column = 0; column < kCurrentDataColumns; ++column) {
        const int columnWidth = column == kWideColumn ? kColumnWidth + 1 : kColumnWidth;
        grid->setColumnWidth(column, columnWidth);
        width += columnWidth;
    }
    grid->setWordWrap(true);
    grid->setTextElideMode(Qt::ElideNone);
    grid->setRowHeight(0, kHeadingRowHeight);
    grid->setRowHeight(1, kRowHeight);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(width + frame, kHeadingRowHeight + kRowHeight + frame);

    // The heading row and column look like headings and are filled by the start-up.
    for (int column = 0; column < kCurrentDataColumns; ++column) {
        for (int row = 0; row < kCurrentDataRows; ++row) {
            QTableWidgetItem* item = Cell(grid, row, column);
            item->setTextAlignment(Qt::AlignCenter);
            if (row == 0 || column == 0)
                item->setBackground(grid->palette().button());
        }
    }
    return grid;
}

void WriteCurrentDataHeadings(QTableWidget* grid) {
    for (int column = 0; column < kCurrentDataColumns; ++column)
        Cell(grid, 0, column)->setText(QString::fromLatin1(kCurrentDataHeadings[column]));
    Cell(grid, 1, 0)->setText(QString::fromLatin1(kCurrentDataValueHeading));
}

void WriteCurrentDataValue(QTableWidget* grid, int column, const QString& text) {
    Cell(grid, 1, column)->setText(text);
}

}  // namespace lgcset::ui
