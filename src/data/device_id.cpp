#include "data/device_id.h"

namespace lgcset::data {

DeviceIdText NormalDeviceId(std::string_view typed) {
    const std::size_t first = typed.find_first_not_of(" \t");
    const std::string_view text =
        first == std::string_view::npos
            ? std::string_view()
            : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    const std::string refused = "\"" + std::string(text) + "\" is not a device ID: ";
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return {{}, refused + "up to 15 digits and nothing else"};
    if (text.size() > kDeviceIdLength)
        return {{}, refused + std::to_string(text.size()) + " digits, the logger keeps 15"};
    return {std::string(kDeviceIdLength - text.size(), '0') + std::string(text), {}};
}

}  // namespace lgcset::data
