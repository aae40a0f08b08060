#include <fnmatch.h>

#include "link/port_pattern.h"

namespace lgcset::link {

bool PortNameMatches(const std::string& pattern, const std::string& name) {
    // As the shell's glob: a leading '.' is matched only by a '.' of the pattern.
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

}  // namespace lgcset::link
