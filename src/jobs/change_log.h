// Where the records of what changed a logger or a record go: the archive's audit trail and
// its settings snapshots, or nowhere (a run with --no-archive, a build without an archive),
// which every host says in one line rather than letting a change pass unrecorded unseen.
#pragma once

#include <string>
#include <string_view>

#include "archive/archive_store.h"

namespace lgcset::jobs {

// Who made a change, as the audit trail names them.
struct Operator {
    std::string user;     // the system's login name
    std::string host;     // the computer's name
    std::string program;  // "LGCSET 1.22"
};

// The user and computer this program runs as (one small file per platform).
Operator CurrentOperator();

// What a host says when a change was made but nothing could record it.
inline constexpr std::string_view kNoRecordKept = "No record was kept: this run has no archive.";

class ChangeLog {
  public:
    ChangeLog() = default;  // keeps nothing
    ChangeLog(archive::ArchiveStore& store, Operator who) : store_(&store), who_(std::move(who)) {}

    bool Keeps() const { return store_ != nullptr; }

    // Appends the entry to the audit trail, with who made it and, when `at` is 0, now.
    // Without an archive: nothing is kept and the status is ok; ask Keeps() to tell.
    archive::ArchiveStatus Record(archive::AuditEntry entry);

    // Keeps the snapshot, at now when its `at` is 0.
    archive::ArchiveStatus Keep(archive::SettingsSnapshot snapshot);

  private:
    archive::ArchiveStore* store_ = nullptr;
    Operator who_;
};

}  // namespace lgcset::jobs
