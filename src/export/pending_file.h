// A file written under a temporary name beside its target and renamed to the target only
// when complete, so that a full disk or a failure never leaves a half-written file behind.
// A pending file that is not committed is removed when it goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <span>
#include <string>

namespace lgcset::exports {

class PendingFile {
  public:
    PendingFile() = default;
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file for `target`; false when the folder cannot be written.
    bool Open(const std::filesystem::path& target);
    std::ostream& Stream() { return out_; }
    bool Write(std::span<const char> bytes);
    // Flushes and closes the temporary file; false (and the file is gone) on any error.
    bool Close();
    // Renames a closed file to its target.
    bool Commit();
    void Discard();

    const std::filesystem::path& Target() const { return target_; }
    const std::string& Error() const { return error_; }

  private:
    bool Fail(const std::string& what);

    std::filesystem::path target_, temporary_;
    std::ofstream out_;
    std::string error_;
    bool closed_ = false;
};

}  // namespace lgcset::exports
