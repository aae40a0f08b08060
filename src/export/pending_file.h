// A file written under a temporary name beside its target and given a name of its own only
// when complete, so that a full disk or a failure never leaves a half-written file behind.
// Neither the temporary name nor the final one is ever taken from another file. A pending
// file that is not kept is removed when it goes, under whatever name it has by then.
#pragma once

#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "export/no_replace.h"

namespace lgcset::exports {

class PendingFile {
  public:
    PendingFile() = default;
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates a new temporary file beside `target`; false when the folder cannot be written.
    bool Open(const std::filesystem::path& target);
    std::ostream& Stream() { return out_; }
    bool Write(std::span<const char> bytes);
    // Flushes and closes the temporary file; false (and the file is gone) on any error.
    bool Close();
    // Gives the closed file the name `name` unless a file already has it (Exists: the file
    // keeps the name it had). It may be moved on to another name until it is kept.
    Claim MoveTo(const std::filesystem::path& name);
    // The file stays under its current name.
    void Keep();
    void Discard();

    const std::filesystem::path& Target() const { return target_; }
    // The name the file has now: the temporary one until a MoveTo succeeds.
    const std::filesystem::path& Current() const { return current_; }
    const std::string& Error() const { return error_; }

  private:
    bool Fail(const std::string& what);

    std::filesystem::path target_, current_;
    std::ofstream out_;
    std::string error_;
    bool closed_ = false;
};

}  // namespace lgcset::exports
