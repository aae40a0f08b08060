#include <cerrno>

#include "profiles/ini_file_calls.h"

namespace lgcset::profiles {

FilePtr OpenForReading(const std::filesystem::path& path, std::error_code& error) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        error.assign(errno, std::generic_category());
    return file;
}

NewFile CreateNewFile(const std::filesystem::path& path, FilePtr& file, std::error_code& error) {
    errno = 0;
    file.reset(std::fopen(path.c_str(), "wbx"));
    if (file)
        return NewFile::Created;
    error.assign(errno, std::generic_category());
    if (errno == EEXIST)
        return NewFile::Exists;
    if (errno == ENAMETOOLONG)
        return NewFile::NameTooLong;
    return NewFile::Failed;
}

bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::error_code& error) {
    std::filesystem::rename(from, to, error);
    return !error;
}

}  // namespace lgcset::profiles
