#include "export/pending_file.h"

#include <cerrno>
#include <cstring>

namespace lgcset::exports {
namespace {

// Other programs writing the same target at once each get a temporary name of their own.
constexpr int kTemporaryNames = 100;

std::filesystem::path TemporaryName(const std::filesystem::path& target, int n) {
    std::filesystem::path name = target;
    name += n == 1 ? std::string(".part") : "." + std::to_string(n) + ".part";
    return name;
}

}  // namespace

bool PendingFile::Fail(const std::string& what) {
    const int code = errno;
    error_ = what + " " + current_.string();
    if (code != 0)
        error_ += std::string(": ") + std::strerror(code);
    Discard();
    return false;
}

bool PendingFile::Open(const std::filesystem::path& target) {
    Discard();
    error_.clear();
    target_ = target;
    std::error_code ec;
    for (int n = 1; n <= kTemporaryNames; ++n) {
        const std::filesystem::path name = TemporaryName(target, n);
        const Claim claim = CreateNewFile(name, ec);
        if (claim == Claim::Exists)
            continue;
        if (claim == Claim::Failed) {
            error_ = "cannot create " + name.string() + ": " + ec.message();
            return false;
        }
        current_ = name;
        // The file is ours now: opening it again cannot take another's.
        errno = 0;
        out_.open(current_, std::ios::binary | std::ios::trunc);
        if (!out_.is_open())
            return Fail("cannot open");
        return true;
    }
    error_ =
        "cannot create " + TemporaryName(target, 1).string() + ": every temporary name is taken";
    return false;
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

Claim PendingFile::MoveTo(const std::filesystem::path& name) {
    if (!closed_ || current_.empty()) {
        error_ = "cannot name " + target_.string() + ": the file is not complete";
        return Claim::Failed;
    }
    std::error_code ec;
    const Claim claim = MoveNoReplace(current_, name, ec);
    if (claim == Claim::Taken)
        current_ = name;
    else if (claim == Claim::Failed)
        error_ =
            "cannot rename " + current_.string() + " to " + name.string() + ": " + ec.message();
    return claim;
}

void PendingFile::Keep() {
    current_.clear();
    closed_ = false;
}

void PendingFile::Discard() {
    if (out_.is_open())
        out_.close();
    if (!current_.empty()) {
        std::error_code ec;
        std::filesystem::remove(current_, ec);
        current_.clear();
    }
    closed_ = false;
}

}  // namespace lgcset::exports
