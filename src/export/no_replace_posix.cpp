#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "export/no_replace.h"

namespace lgcset::exports {
namespace {

Claim FromErrno(std::error_code& error) {
    if (errno == EEXIST)
        return Claim::Exists;
    error.assign(errno, std::generic_category());
    return Claim::Failed;
}

}  // namespace

Claim CreateNewFile(const std::filesystem::path& path, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return FromErrno(error);
    ::close(fd);
    return Claim::Taken;
}

Claim MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Claim::Taken;
    // Some file systems (network ones, mostly) do not take the flag; a hard link is as
    // exclusive there.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return FromErrno(error);
    if (::link(from.c_str(), to.c_str()) != 0)
        return FromErrno(error);
    ::unlink(from.c_str());
    return Claim::Taken;
}

}  // namespace lgcset::exports
