#include "jobs/change_log.h"

#include <ctime>

#include "archive/archive_open.h"

namespace lgcset::jobs {

archive::ArchiveStore* ChangeLog::Store(archive::ArchiveStatus& why) {
    if (store_ == nullptr && !name_.empty()) {
        // A failed opening is tried again by the next record: the server may be back.
        archive::OpenResult opened = archive::OpenArchive(name_, makesFolder_);
        why = opened.status;
        owned_ = std::move(opened.store);
        store_ = owned_.get();
    }
    return store_;
}

archive::ArchiveStatus ChangeLog::Record(archive::AuditEntry entry,
                                         std::vector<archive::SettingsSnapshot> keptWith) {
    archive::ArchiveStatus status;
    archive::ArchiveStore* store = Store(status);
    if (store == nullptr)
        return status;  // ok without an archive
    if (entry.at == 0)
        entry.at = static_cast<std::int64_t>(std::time(nullptr));
    entry.user = who_.user;
    entry.host = who_.host;
    entry.program = who_.program;
    for (archive::SettingsSnapshot& snapshot : keptWith)
        if (snapshot.at == 0)
            snapshot.at = entry.at;
    return store->AppendAuditWith(entry, keptWith).status;
}

archive::ArchiveStatus ChangeLog::Keep(archive::SettingsSnapshot snapshot) {
    archive::ArchiveStatus status;
    archive::ArchiveStore* store = Store(status);
    if (store == nullptr)
        return status;  // ok without an archive
    if (snapshot.at == 0)
        snapshot.at = static_cast<std::int64_t>(std::time(nullptr));
    return store->AddSnapshot(snapshot).status;
}

}  // namespace lgcset::jobs
