// The application's title, set at start-up and used as the caption of plain message boxes.
#pragma once

namespace lgcset::ui {

inline constexpr const char* kApplicationTitle = "R48X Alarm Setting Software";

}  // namespace lgcset::ui
