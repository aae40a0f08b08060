// A build without SQLite keeps no archive: no default file, and a file named anyway is
// refused with the reason when a transfer or the chart would open it.
#include "archive/archive_path.h"
#include "archive/sqlite_archive.h"

namespace lgcset::archive {

std::optional<std::filesystem::path> DefaultArchivePath(
    const std::function<std::optional<std::string>(const char*)>&) {
    return std::nullopt;
}

std::optional<std::filesystem::path> DefaultArchivePath() {
    return std::nullopt;
}

OpenResult OpenSqliteArchive(const std::filesystem::path&, bool) {
    OpenResult result;
    result.status = {ArchiveError::CannotOpen, "this build keeps no archive."};
    return result;
}

}  // namespace lgcset::archive
