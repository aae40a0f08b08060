#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "profiles/ini_file_calls.h"

namespace lgcset::profiles {

namespace {

std::error_code LastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

// A stream over an open handle, which it then owns; the handle is closed when it cannot be.
FilePtr StreamOf(HANDLE handle, int mode, const char* streamMode, std::error_code& error) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), mode);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        CloseHandle(handle);
        return nullptr;
    }
    FilePtr file(_fdopen(fd, streamMode));
    if (!file) {
        error.assign(errno, std::generic_category());
        _close(fd);
    }
    return file;
}

}  // namespace

Opened OpenForReading(const std::filesystem::path& path, FilePtr& file, std::error_code& error) {
    file.reset();
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return Opened::Failed;
    }
    // A pipe, a console or a port is no file on disk.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return Opened::NotAFile;
    }
    file = StreamOf(handle, _O_RDONLY | _O_BINARY, "rb", error);
    return file ? Opened::Open : Opened::Failed;
}

NameKind KindOfName(const std::filesystem::path& path, std::error_code& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return NameKind::Missing;
        error.assign(static_cast<int>(code), std::system_category());
        return NameKind::Failed;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return NameKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return NameKind::Other;
    // Device names (NUL, COM1) and pipes have attributes too: only the handle tells.
    const HANDLE handle = CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return NameKind::Failed;
    }
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_DISK ? NameKind::File : NameKind::Other;
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
    file = StreamOf(handle, _O_WRONLY | _O_BINARY, "wb", error);
    if (!file) {
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
