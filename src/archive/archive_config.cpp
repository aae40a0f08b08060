#include "archive/archive_config.h"

#include <cstdlib>
#include <fstream>

#include "archive/archive_path.h"
#include "data/text_trim.h"

namespace lgcset::archive {

namespace {

std::optional<std::string> ProcessEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

}  // namespace

std::optional<std::filesystem::path> ConfigFilePath(const Environment& environment) {
    // As for the data folder: an empty or relative XDG_CONFIG_HOME is ignored.
    if (const auto xdg = environment("XDG_CONFIG_HOME");
        xdg && !xdg->empty() && std::filesystem::path(*xdg).is_absolute())
        return std::filesystem::path(*xdg) / "lgcset" / "lgcset.ini";
    if (const auto home = environment("HOME"); home && !home->empty())
        return std::filesystem::path(*home) / ".config" / "lgcset" / "lgcset.ini";
    return std::nullopt;
}

std::optional<std::string> ConfiguredArchive(const Environment& environment) {
    const auto file = ConfigFilePath(environment);
    if (!file)
        return std::nullopt;
    std::ifstream in(*file);
    bool general = true;
    for (std::string line; std::getline(in, line);) {
        line = data::TrimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            general = line == "[General]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!general || equals == std::string::npos ||
            data::TrimBlanks(line.substr(0, equals)) != "archive")
            continue;
        std::string value = data::TrimBlanks(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.empty())
            return std::nullopt;
        if (value.starts_with("~/"))
            if (const auto home = environment("HOME"); home && !home->empty())
                value = (std::filesystem::path(*home) / value.substr(2)).string();
        return value;
    }
    return std::nullopt;
}

std::optional<std::string> ArchiveWhenNoneNamed() {
    if (auto configured = ConfiguredArchive(ProcessEnvironment))
        return configured;
    if (const auto file = DefaultArchivePath())
        return file->string();
    return std::nullopt;
}

}  // namespace lgcset::archive
