// Settings snapshots and the audit trail in an archive's SQLite file: the store's calls of
// the same names, on its connection. `name` is the file as messages show it.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "archive/archive_store.h"

namespace lgcset::archive::sqlite {

Rows<SettingsSnapshot> AddSnapshot(sqlite3* db, const std::string& name,
                                   const SettingsSnapshot& snapshot);
Rows<SettingsSnapshot> Snapshots(sqlite3* db, const std::string& name,
                                 const std::string& deviceId);
Rows<SettingsSnapshot> Snapshot(sqlite3* db, const std::string& name, std::int64_t id);

// Sequence and hash from the last row, under the file's write lock (BEGIN IMMEDIATE): two
// programs appending at once wait on each other and make one chain. The role stays empty.
Rows<AuditRow> AppendAudit(sqlite3* db, const std::string& name, const AuditEntry& entry);
Rows<AuditRow> AuditTrail(sqlite3* db, const std::string& name, const AuditFilter& filter);

}  // namespace lgcset::archive::sqlite
