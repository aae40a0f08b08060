// Port names picked by a pattern (lgcset-cli collect --ports-glob), matched by the system's
// own rules, so that a pattern means what it means in the user's shell.
#pragma once

#include <string>

namespace lgcset::link {

// Whether `name` matches `pattern`: "*" any run of characters, "?" one character, and on
// Linux bracket expressions ("ttyUSB[0-3]", "[!a]") as fnmatch takes them; on Windows the
// rules of PathMatchSpecW (case ignored).
bool PortNameMatches(const std::string& pattern, const std::string& name);

}  // namespace lgcset::link
