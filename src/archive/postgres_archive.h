// The archive in a PostgreSQL database that a team shares (the schema is in
// docs/archive.md).
#pragma once

#include <string>

#include "archive/archive_store.h"

namespace lgcset::archive {

// Connects to the database of a postgresql:// URL, making the tables when there are none;
// an older schema is upgraded in one transaction, a newer one refused. Messages name the
// URL without its password.
OpenResult OpenPostgresArchive(const std::string& url);

// Connects only to read: no table is made or upgraded; a database without the tables holds
// no archive, and one of an older schema is refused.
OpenResult OpenPostgresArchiveToRead(const std::string& url);

}  // namespace lgcset::archive
