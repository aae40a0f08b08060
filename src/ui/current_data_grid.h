// The current data grid: a heading row and a heading column around one row of values.
#pragma once

#include <array>

#include "data/current_data.h"

class QString;
class QTableWidget;
class QWidget;

namespace lgcset::ui {

// The headings are the data library's, which the command-line program prints as well.
using data::kCurrentDataColumns;
using data::kCurrentDataHeadings;
using data::kCurrentDataValueHeading;
inline constexpr int kCurrentDataRows = 2;

QTableWidget* MakeCurrentDataGrid(QWidget* parent);
// Writes the fixed texts of the heading row and column.
void WriteCurrentDataHeadings(QTableWidget* grid);
// Writes one cell of the value row (row 1).
void WriteCurrentDataValue(QTableWidget* grid, int column, const QString& text);

}  // namespace lgcset::ui
