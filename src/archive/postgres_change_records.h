// Settings snapshots and the audit trail in an archive's PostgreSQL database: the store's
// calls of the same names, on its connection. `shown` is the database as messages show it.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <string>

#include "archive/archive_store.h"

namespace lgcset::archive::postgres {

Rows<SettingsSnapshot> AddSnapshot(PGconn* c, const std::string& shown,
                                   const SettingsSnapshot& snapshot);
Rows<SettingsSnapshot> Snapshots(PGconn* c, const std::string& shown, const std::string& deviceId);
Rows<SettingsSnapshot> Snapshot(PGconn* c, const std::string& shown, std::int64_t id);

// Sequence and hash from the last row under an advisory lock held to the end of the
// transaction: programs appending at once wait on each other and make one chain (a lock on
// the table would need rights a collecting role must not have). The role is current_user.
Rows<AuditRow> AppendAudit(PGconn* c, const std::string& shown, const AuditEntry& entry);
Rows<AuditRow> AuditTrail(PGconn* c, const std::string& shown, const AuditFilter& filter);

}  // namespace lgcset::archive::postgres
