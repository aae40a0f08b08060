#include "export/pending_file.h"

#include <cerrno>
#include <cstring>

namespace lgcset::exports {

bool PendingFile::Fail(const std::string& what) {
    const int code = errno;
    error_ = what + " " + temporary_.string();
    if (code != 0)
        error_ += std::string(": ") + std::strerror(code);
    Discard();
    return false;
}

bool PendingFile::Open(const std::filesystem::path& target) {
    Discard();
    error_.clear();
    closed_ = false;
    target_ = target;
    temporary_ = target;
    temporary_ += ".part";
    errno = 0;
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_.is_open()) {
        const int code = errno;
        error_ = "cannot create " + temporary_.string();
        if (code != 0)
            error_ += std::string(": ") + std::strerror(code);
        temporary_.clear();
        return false;
    }
    return true;
}

bool PendingFile::Write(std::span<const char> bytes) {
    errno = 0;
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out_ ? true : Fail("cannot write");
}

bool PendingFile::Close() {
    errno = 0;
    out_.flush();
    if (!out_)
        return Fail("cannot write");
    out_.close();
    if (out_.fail())
        return Fail("cannot close");
    closed_ = true;
    return true;
}

bool PendingFile::Commit() {
    if (!closed_ || temporary_.empty())
        return false;
    std::error_code ec;
    std::filesystem::rename(temporary_, target_, ec);
    if (ec) {
        error_ = "cannot rename " + temporary_.string() + " to " + target_.string() + ": " +
                 ec.message();
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void PendingFile::Discard() {
    if (out_.is_open())
        out_.close();
    if (!temporary_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
        temporary_.clear();
    }
    closed_ = false;
}

}  // namespace lgcset::exports
