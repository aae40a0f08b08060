#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "profiles/ini_file_calls.h"

namespace lgcset::profiles {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

}  // namespace

Opened OpenForReading(const std::filesystem::path& path, FilePtr& file, std::error_code& error) {
    file.reset();
    // Not even opened when it is no file: opening a device can change its lines.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
        error = LastError();
        return Opened::Failed;
    }
    if (!S_ISREG(named.st_mode))
        return Opened::NotAFile;
    // Without waiting, and checked again, should the name have changed in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = LastError();
        return Opened::Failed;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Opened::NotAFile;
    }
    file.reset(::fdopen(fd, "rb"));
    if (!file) {
        error = LastError();
        ::close(fd);
        return Opened::Failed;
    }
    return Opened::Open;
}

NameKind KindOfName(const std::filesystem::path& path, std::error_code& error) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0) {
        if (errno == ENOENT)
            return NameKind::Missing;
        error = LastError();
        return NameKind::Failed;
    }
    if (S_ISLNK(named.st_mode))
        return NameKind::Link;
    return S_ISREG(named.st_mode) ? NameKind::File : NameKind::Other;
}

NewFile CreateNewFile(const std::filesystem::path& path, FilePtr& file, std::error_code& error) {
    file.reset();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = LastError();
        if (errno == EEXIST)
            return NewFile::Exists;
        if (errno == ENAMETOOLONG)
            return NewFile::NameTooLong;
        return NewFile::Failed;
    }
    file.reset(::fdopen(fd, "wb"));
    if (!file) {
        error = LastError();
        ::close(fd);
        ::unlink(path.c_str());
        return NewFile::Failed;
    }
    return NewFile::Created;
}

bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::error_code& error) {
    std::filesystem::rename(from, to, error);
    return !error;
}

}  // namespace lgcset::profiles
