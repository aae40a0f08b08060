#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "profiles/ini_file_calls.h"

namespace lgcset::profiles {

FilePtr OpenForReading(const std::filesystem::path& path, std::error_code& error) {
    errno = 0;
    FilePtr file(_wfopen(path.c_str(), L"rb"));
    if (!file)
        error.assign(errno, std::generic_category());
    return file;
}

// The C library's exclusive "x" mode is not kept everywhere (Wine ignores it): the system
// call says itself whether the file is new.
NewFile CreateNewFile(const std::filesystem::path& path, FilePtr& file, std::error_code& error) {
    file.reset();
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error.assign(static_cast<int>(code), std::system_category());
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
            return NewFile::Exists;
        // A folder that has the name refuses access rather than saying it exists.
        if (code == ERROR_ACCESS_DENIED &&
            GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return NewFile::Exists;
        // A name beyond the longest a folder takes: Windows says so, or calls it no valid
        // name; Wine says the file is not found, which a creation meets for nothing else.
        if (code == ERROR_FILENAME_EXCED_RANGE || code == ERROR_INVALID_NAME ||
            code == ERROR_FILE_NOT_FOUND)
            return NewFile::NameTooLong;
        return NewFile::Failed;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        CloseHandle(handle);
        DeleteFileW(path.c_str());
        return NewFile::Failed;
    }
    file.reset(_fdopen(fd, "wb"));
    if (!file) {
        error.assign(errno, std::generic_category());
        _close(fd);
        DeleteFileW(path.c_str());
        return NewFile::Failed;
    }
    return NewFile::Created;
}

bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::error_code& error) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error.assign(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

}  // namespace lgcset::profiles
