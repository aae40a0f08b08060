#include "jobs/change_log.h"

#include <ctime>

namespace lgcset::jobs {

archive::ArchiveStatus ChangeLog::Record(archive::AuditEntry entry) {
    if (!Keeps())
        return {};
    if (entry.at == 0)
        entry.at = static_cast<std::int64_t>(std::time(nullptr));
    entry.user = who_.user;
    entry.host = who_.host;
    entry.program = who_.program;
    return store_->AppendAudit(entry).status;
}

archive::ArchiveStatus ChangeLog::Keep(archive::SettingsSnapshot snapshot) {
    if (!Keeps())
        return {};
    if (snapshot.at == 0)
        snapshot.at = static_cast<std::int64_t>(std::time(nullptr));
    return store_->AddSnapshot(snapshot).status;
}

}  // namespace lgcset::jobs
