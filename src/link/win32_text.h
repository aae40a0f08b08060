// Text between the Win32 calls' UTF-16 and the program's UTF-8 strings.
#pragma once

#include <string>

namespace lgcset::link {

std::string Utf8FromWide(const wchar_t* text, std::size_t length);

// The system's own words for an error number (FormatMessageW), without the line end it
// carries; "system error N" when the system has none.
std::string SystemErrorText(unsigned long error);

}  // namespace lgcset::link
