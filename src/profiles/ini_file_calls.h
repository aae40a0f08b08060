// The file calls of the INI storage that differ between platforms (wide names on Windows,
// exclusive creation, replacing a file in one step): one small file each.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace lgcset::profiles {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, CloseFile>;

// Opens an existing file for reading in binary mode; empty and `error` when it cannot.
FilePtr OpenForReading(const std::filesystem::path& path, std::error_code& error);

enum class NewFile { Created, Exists, NameTooLong, Failed };

// Creates `path` as a new file open for writing in binary mode. A file or folder that has
// the name already is never opened: Exists.
NewFile CreateNewFile(const std::filesystem::path& path, FilePtr& file, std::error_code& error);

// Gives the closed file `from` the name `to` in one step, replacing the file that has it.
bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::error_code& error);

}  // namespace lgcset::profiles
