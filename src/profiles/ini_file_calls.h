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

enum class Opened { Open, NotAFile, Failed };

// Opens an existing file for reading in binary mode, a symbolic link followed. What is no
// file on disk (a FIFO, a device, a pipe, a folder) is NotAFile and never waited on: reading
// it could block for ever or never end.
Opened OpenForReading(const std::filesystem::path& path, FilePtr& file, std::error_code& error);

enum class NameKind { Missing, File, Link, Other, Failed };

// What `path` names itself: a symbolic link (on Windows any reparse point) is Link, not what
// it leads to; a folder, a FIFO or a device is Other; `error` says why when Failed.
NameKind KindOfName(const std::filesystem::path& path, std::error_code& error);

enum class NewFile { Created, Exists, NameTooLong, Failed };

// Creates `path` as a new file open for writing in binary mode, readable by its owner only
// where the system has such permissions (a profile holds passwords). A file or folder that
// has the name already is never opened: Exists.
NewFile CreateNewFile(const std::filesystem::path& path, FilePtr& file, std::error_code& error);

// Gives the closed file `from` the name `to` in one step, replacing the file that has it.
bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::error_code& error);

}  // namespace lgcset::profiles
