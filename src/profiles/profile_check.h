// Whether every value a profile holds fits its setting. A load would put a list index
// outside the list, a flag or index that is no number, or a text that is no time of day in
// place as some other value (item 0, nothing selected, the picker's time kept), and a write
// would then send that value as if the profile had asked for it; so such a file is refused
// whole before anything is changed.
#pragma once

#include <string>

#include "profiles/ini_file.h"

namespace lgcset::profiles {

// The first value that does not fit, as a message naming the setting, its key and what it
// can hold:
// Sensor1: [SENSOR1] flag=7 does not fit; the setting holds 0 "Centigrade", 1 "Fahrenheit" or 2 "AIN".
// [fixedpointtime] time2time=25:61:00 does not fit; the setting holds a time hh:mm:ss.
// Empty when every value fits. A missing or empty value fits (it takes its default), and so
// does -1 in a list: the index a profile holds for a list with no item selected.
std::string UnfitProfileValue(const IniFile& file);

}  // namespace lgcset::profiles
