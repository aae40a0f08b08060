// The archive in one SQLite file (the schema is in docs/archive.md).
#pragma once

#include <filesystem>

#include "archive/archive_store.h"

namespace lgcset::archive {

// Opens the file, making it when missing; an older schema is upgraded in one transaction,
// a newer one refused. `makeFolder`: the folder is made when missing (the default place);
// otherwise a missing folder is refused.
OpenResult OpenSqliteArchive(const std::filesystem::path& file, bool makeFolder);

}  // namespace lgcset::archive
