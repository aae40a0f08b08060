#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "export/no_replace.h"

namespace lgcset::exports {
namespace {

Claim FromLastError(const std::filesystem::path& name, std::error_code& error) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
        return Claim::Exists;
    // A folder that has the name refuses access rather than saying it exists.
    if (code == ERROR_ACCESS_DENIED && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Claim::Exists;
    error.assign(static_cast<int>(code), std::system_category());
    return Claim::Failed;
}

}  // namespace

// The C library's exclusive "x" mode is not kept everywhere (Wine ignores it): the system
// call says itself whether the file is new.
Claim CreateNewFile(const std::filesystem::path& path, std::error_code& error) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FromLastError(path, error);
    CloseHandle(file);
    return Claim::Taken;
}

// Without MOVEFILE_REPLACE_EXISTING a move onto an existing name fails, in one step.
Claim MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error) {
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return Claim::Taken;
    return FromLastError(to, error);
}

}  // namespace lgcset::exports
