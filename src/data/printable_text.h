// A file name or typed value as a one-line message prints it: a newline in it would split
// the message, and an escape character would reach the terminal as a command.
#pragma once

#include <string>
#include <string_view>

namespace lgcset::data {

// text with every control character written as an escape: "\n", "\r", "\t", other bytes
// below 0x20 and DEL as "\x1b", the C1 controls (U+0080 to U+009F) as "\u009b". Everything
// else, backslashes and other characters included, stays as it is.
std::string PrintableText(std::string_view text);

}  // namespace lgcset::data
