#include "profiles/ini_storage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "profiles/ini_file_calls.h"

namespace lgcset::profiles {
namespace fs = std::filesystem;
namespace {

constexpr const char* kNotAFile = "it is not a regular file";

std::string ErrnoText(int error) {
    return std::generic_category().message(error);
}

// Creates a file beside target that did not exist before, named after it; a target whose
// name is as long as names can be gets a short name.
FilePtr CreateTemporary(const fs::path& target, fs::path& name, std::error_code& error) {
    bool shortName = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = ".saving" + (attempt == 0 ? "" : std::to_string(attempt));
        if (shortName) {
            name = target.parent_path() / suffix;
        } else {
            name = target;
            name += suffix;
        }
        error.clear();
        FilePtr file;
        const NewFile created = CreateNewFile(name, file, error);
        if (created == NewFile::Created) {
            return file;
        }
        if (created == NewFile::NameTooLong && !shortName) {
            shortName = true;
            --attempt;
            continue;
        }
        if (created != NewFile::Exists) {
            break;
        }
    }
    return nullptr;
}

}  // namespace

ReadOutcome ReadFileBytes(const fs::path& path, std::uintmax_t maxBytes,
                          const std::string& tooLarge, std::string& bytes, std::string& error) {
    bytes.clear();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return ReadOutcome::Missing;
    }
    if (ec) {
        error = ec.message();
        return ReadOutcome::Failed;
    }
    if (fs::is_directory(status)) {
        error = "it is a folder";
        return ReadOutcome::Failed;
    }
    FilePtr in;
    switch (OpenForReading(path, in, ec)) {
        case Opened::Open:
            break;
        case Opened::NotAFile:
            error = kNotAFile;
            return ReadOutcome::Failed;
        case Opened::Failed:
            error = ec.message();
            return ReadOutcome::Failed;
    }
    char buffer[8192];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, in.get());
        bytes.append(buffer, n);
        if (bytes.size() > maxBytes) {
            error = tooLarge;
            bytes.clear();
            return ReadOutcome::Failed;
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(in.get())) {
        error = "the file could not be read";
        bytes.clear();
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Read;
}

ReadOutcome ReadIniFile(const fs::path& path, IniFile& file, std::string& error) {
    file = IniFile();
    std::string bytes;
    const ReadOutcome read = ReadFileBytes(
        path, kMaxIniFileBytes, "the file is larger than a profile can be", bytes, error);
    if (read == ReadOutcome::Read)
        file = IniFile::FromBytes(bytes);
    return read;
}

bool WriteIniFile(const fs::path& path, const IniFile& file, std::string& error) {
    // Never through a link: a profile named over a link to another file (planted, or left
    // from elsewhere) would write the settings and passwords into that file.
    std::error_code ec;
    switch (KindOfName(path, ec)) {
        case NameKind::Missing:
        case NameKind::File:
            break;
        case NameKind::Link:
            error = "it is a symbolic link, which a profile is not written through";
            return false;
        case NameKind::Other:
            error = kNotAFile;
            return false;
        case NameKind::Failed:
            error = ec.message();
            return false;
    }
    fs::path temporary;
    FilePtr out = CreateTemporary(path, temporary, ec);
    if (!out) {
        error = ec.message();
        return false;
    }
    const std::string bytes = file.ToBytes();
    errno = 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
    written = std::fflush(out.get()) == 0 && written;
    int writeError = errno;
    written = std::fclose(out.release()) == 0 && written;
    if (writeError == 0) {
        writeError = errno;
    }
    if (!written) {
        fs::remove(temporary, ec);
        error = writeError != 0 ? ErrnoText(writeError) : "the file could not be written";
        return false;
    }
    // The replacement keeps the old file's permissions.
    const fs::file_status old = fs::status(path, ec);
    if (!ec && fs::exists(old)) {
        fs::permissions(temporary, old.permissions(), ec);
    }
    if (!MoveReplacing(temporary, path, ec)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = ec.message();
        return false;
    }
    return true;
}

}  // namespace lgcset::profiles
