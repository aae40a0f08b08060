// INI files on disk. A save never leaves a half-written file behind: the new text goes to a
// temporary file beside the old one, which then takes the old one's place in one step.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "profiles/ini_file.h"

namespace lgcset::profiles {

// A profile is a few kilobytes; a file far beyond that is not one.
inline constexpr std::uintmax_t kMaxIniFileBytes = 4 * 1024 * 1024;

enum class ReadOutcome {
    Read,     // the file's text is in `file`
    Missing,  // no file of that name: `file` is empty
    Failed,   // it exists but could not be read, is too large or is no regular file (a
              // FIFO or a device is not even opened); `error` says why
};

ReadOutcome ReadIniFile(const std::filesystem::path& path, IniFile& file, std::string& error);

// The bytes of a file as ReadIniFile reads them, for other small files a user names; a file
// of more than `maxBytes` fails with `tooLarge` as its error.
ReadOutcome ReadFileBytes(const std::filesystem::path& path, std::uintmax_t maxBytes,
                          const std::string& tooLarge, std::string& bytes, std::string& error);

// Writes the whole file. A path that is a symbolic link or no regular file is refused; a
// new file is readable by its owner only. On failure the file at path is as it was, no
// temporary file is left, and `error` says why.
bool WriteIniFile(const std::filesystem::path& path, const IniFile& file, std::string& error);

}  // namespace lgcset::profiles
