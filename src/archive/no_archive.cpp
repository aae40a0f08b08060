// A build without SQLite and libpq keeps no archive: no default or configured one, nor demo
// mode's own, and an archive named anyway is refused with the reason when a transfer or the
// chart would open it.
#include "archive/archive_config.h"
#include "archive/archive_open.h"
#include "archive/archive_path.h"
#include "archive/sqlite_archive.h"
#include "archive/throwaway_archive.h"

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

OpenResult OpenSqliteArchiveToRead(const std::filesystem::path& file) {
    return OpenSqliteArchive(file, false);
}

OpenResult OpenArchive(const std::string& name, bool makeFolder) {
    return OpenSqliteArchive(name, makeFolder);
}

OpenResult OpenArchiveToRead(const std::string& name) {
    return OpenSqliteArchive(name, false);
}

std::optional<std::string> ArchiveWhenNoneNamed() {
    return std::nullopt;
}

ThrowawayArchive::ThrowawayArchive() = default;
ThrowawayArchive::~ThrowawayArchive() = default;

}  // namespace lgcset::archive
