// The archive in one SQLite file (the schema is in docs/archive.md).
#pragma once

#include <filesystem>

#include "archive/archive_store.h"

namespace lgcset::archive {

// Opens the file to write, making it when missing; an older schema is upgraded in one
// transaction, a newer one refused, and a damaged file refused before anything is stored.
// `makeFolder`: the folder is made when missing (the default place); otherwise a missing
// folder is refused.
OpenResult OpenSqliteArchive(const std::filesystem::path& file, bool makeFolder);

// Opens the file only to read: nothing is made, upgraded or written; a missing file, an
// older schema and a newer one are refused.
OpenResult OpenSqliteArchiveToRead(const std::filesystem::path& file);

}  // namespace lgcset::archive
