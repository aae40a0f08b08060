#include "archive/archive_path.h"

#include <cstdlib>

namespace lgcset::archive {

std::optional<std::filesystem::path> DefaultArchivePath(
    const std::function<std::optional<std::string>(const char*)>& environment) {
    // An empty or relative XDG_DATA_HOME is to be ignored, as the base directory rules say.
    if (const auto xdg = environment("XDG_DATA_HOME");
        xdg && !xdg->empty() && std::filesystem::path(*xdg).is_absolute())
        return std::filesystem::path(*xdg) / "lgcset" / "archive.sqlite";
    if (const auto home = environment("HOME"); home && !home->empty())
        return std::filesystem::path(*home) / ".local" / "share" / "lgcset" / "archive.sqlite";
    return std::nullopt;
}

std::optional<std::filesystem::path> DefaultArchivePath() {
    return DefaultArchivePath([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr)
            return std::nullopt;
        return std::string(value);
    });
}

}  // namespace lgcset::archive
