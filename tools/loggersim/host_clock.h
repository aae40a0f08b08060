// The host's local wall-clock fields of a moment. The C library's thread-safe call differs
// between platforms: one small file each.
#pragma once

#include <ctime>

namespace lgcset::sim {

std::tm HostLocalFields(std::time_t moment);

}  // namespace lgcset::sim
