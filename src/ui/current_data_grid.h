// The current data grid: a heading row and a heading column around one row of values.
#pragma once

#include <array>

class QString;
class QTableWidget;
class QWidget;

namespace lgcset::ui {

inline constexpr int kCurrentDataColumns = 12;
inline constexpr int kCurrentDataRows = 2;

// Row 0 of each column; column 0 also heads row 1 with "Value".
inline constexpr std::array<const char*, kCurrentDataColumns> kCurrentDataHeadings{
    "Item",     "Sensor1",  "Sensor2",   "Sensor3",    "Sensor4", "Longitude",
    "Latitude", "Velocity", "Direction", "GSM Signal", "Relay",   "Power Status"};
inline constexpr const char* kCurrentDataValueHeading = "Value";

QTableWidget* MakeCurrentDataGrid(QWidget* parent);
// Writes the fixed texts of the heading row and column.
void WriteCurrentDataHeadings(QTableWidget* grid);
// Writes one cell of the value row (row 1).
void WriteCurrentDataValue(QTableWidget* grid, int column, const QString& text);

}  // namespace lgcset::ui
