// The archive a user names: a postgresql:// (or postgres://) URL is a PostgreSQL database,
// anything else a SQLite file.
#pragma once

#include <string>
#include <string_view>

#include "archive/archive_store.h"

namespace lgcset::archive {

bool IsDatabaseUrl(std::string_view name);

// The name as messages show it: the password libpq reads from a URL (in its user part or
// as a parameter, raw or percent-encoded) replaced by "***"; a file's path as it is.
std::string ShownArchiveName(std::string_view name);

// `text` with every occurrence of the password libpq reads from `url`, raw or
// percent-encoded, replaced by "***".
std::string WithoutPassword(std::string_view text, std::string_view url);

// `makeFolder`: for a file, its folder is made when missing (the default place).
OpenResult OpenArchive(const std::string& name, bool makeFolder);

// For a command that only reads: the archive must exist, and is left exactly as it is.
OpenResult OpenArchiveToRead(const std::string& name);

}  // namespace lgcset::archive
