// The link lamps of the status bar: 17 by 17 pixel images drawn in code.
#pragma once

#include <QColor>

class QLabel;
class QWidget;

namespace lgcset::ui {

inline constexpr int kLampSize = 17;

QLabel* MakeLamp(const char* name, QColor colour, QWidget* parent);

}  // namespace lgcset::ui
