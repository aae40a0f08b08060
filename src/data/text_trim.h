// A line of a hand-written file (lgcset.ini, a passwords file) without the blanks around it.
#pragma once

#include <string>
#include <string_view>

namespace lgcset::data {

// text without its leading and trailing spaces, tabs and carriage returns (a file saved with
// Windows line ends keeps its '\r' once the '\n' is taken off).
std::string TrimBlanks(std::string_view text);

}  // namespace lgcset::data
