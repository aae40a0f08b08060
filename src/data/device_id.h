// A device ID as the logger stores it: 15 characters, right-aligned, '0' on the left. What a
// user types ("101") is taken to that form, so that it names the same logger as the logger
// itself does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lgcset::data {

inline constexpr std::size_t kDeviceIdLength = 15;

struct DeviceIdText {
    std::string id;     // the stored form; empty when refused
    std::string error;  // why the text is no device ID, one line; empty when taken
    bool ok() const { return error.empty(); }
};

// Up to 15 digits, blanks around them ignored, padded with '0' on the left; anything else
// (empty, longer, a sign, a letter) is refused.
DeviceIdText NormalDeviceId(std::string_view typed);

}  // namespace lgcset::data
