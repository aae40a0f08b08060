// Where the archive lives when the command line names no file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace lgcset::archive {

// $XDG_DATA_HOME/lgcset/archive.sqlite, else ~/.local/share/lgcset/archive.sqlite; nothing
// when neither variable is set. `environment` reads a variable (unset: nothing).
std::optional<std::filesystem::path> DefaultArchivePath(
    const std::function<std::optional<std::string>(const char*)>& environment);

// The same from the process's own environment.
std::optional<std::filesystem::path> DefaultArchivePath();

}  // namespace lgcset::archive
