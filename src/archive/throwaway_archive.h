// Demo mode's archive: a file in a folder of its own under the system's temporary folder,
// removed with everything in it when the object goes, so that a simulated logger's records
// never reach the user's archive.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace lgcset::archive {

// What a message about a transfer kept there adds.
inline constexpr std::string_view kThrowawayNote =
    "in demo mode's own archive, removed when the program ends";

class ThrowawayArchive {
  public:
    ThrowawayArchive();
    ~ThrowawayArchive();
    ThrowawayArchive(const ThrowawayArchive&) = delete;
    ThrowawayArchive& operator=(const ThrowawayArchive&) = delete;

    // The archive file, made on first use; nothing when no folder could be made for it, or
    // the build keeps no archive.
    const std::optional<std::filesystem::path>& File() const { return file_; }

  private:
    std::filesystem::path folder_;
    std::optional<std::filesystem::path> file_;
};

}  // namespace lgcset::archive
