// The archive a user chose once for every start: the archive= line of
// $XDG_CONFIG_HOME/lgcset/lgcset.ini (else ~/.config/lgcset/lgcset.ini), read by lgcset-cli
// and the window alike when their command line names none.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace lgcset::archive {

using Environment = std::function<std::optional<std::string>(const char*)>;

// The configuration file; nothing when neither variable is set.
std::optional<std::filesystem::path> ConfigFilePath(const Environment& environment);

// The value of the file's archive= line (outside any section or in [General]), a leading
// "~/" taken as the home folder; nothing when there is no file, no line or an empty value.
std::optional<std::string> ConfiguredArchive(const Environment& environment);

// The configured archive, else the default file; nothing when neither can be placed.
std::optional<std::string> ArchiveWhenNoneNamed();

}  // namespace lgcset::archive
