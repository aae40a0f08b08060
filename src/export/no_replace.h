// The two file-system calls that take a name only if no file has it yet. They are the one
// place that differs between platforms; everything else names files through them, so two
// programs writing into one folder at once can never both take a name or replace a file.
#pragma once

#include <filesystem>
#include <system_error>

namespace lgcset::exports {

enum class Claim { Taken, Exists, Failed };

// Creates `path` as a new empty file. Exists when a file already has that name.
Claim CreateNewFile(const std::filesystem::path& path, std::error_code& error);

// Gives the closed file `from` the name `to`, unless a file already has that name: then
// Exists, and `from` keeps its name.
Claim MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error);

}  // namespace lgcset::exports
