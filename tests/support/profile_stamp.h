// Saved profiles compared across saves: the time and the program of a save's [Origin]
// differ from save to save while the settings and the logger do not.
#pragma once

#include <string>

namespace lgcset::support {

// The profile's text without its saved_at= and program= lines.
inline std::string WithoutSaveStamp(std::string profile) {
    for (const char* key : {"saved_at=", "program="}) {
        const auto at = profile.find(std::string("\n") + key);
        if (at == std::string::npos)
            continue;
        const auto end = profile.find('\n', at + 1);
        profile.erase(at + 1, end == std::string::npos ? std::string::npos : end - at);
    }
    return profile;
}

}  // namespace lgcset::support
