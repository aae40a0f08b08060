// This computer's local wall-clock fields of a moment. The C library's thread-safe call
// differs between platforms: one small file each.
#pragma once

#include <ctime>

namespace lgcset::data {

std::tm LocalFields(std::time_t moment);

}  // namespace lgcset::data
