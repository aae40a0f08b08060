// Where the records of what changed a logger or a record go: the archive's audit trail and
// its settings snapshots, or nowhere (a run with --no-archive, a build without an archive),
// which every host says in one line rather than letting a change pass unrecorded unseen.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
    // Over a store someone else keeps open.
    ChangeLog(archive::ArchiveStore& store, Operator who) : store_(&store), who_(std::move(who)) {}
    // Over the archive of that name (archive::OpenArchive), opened on first use and then
    // kept open; `makesFolder`: the default place, whose folder is made when missing.
    ChangeLog(std::string archiveName, bool makesFolder, Operator who)
        : name_(std::move(archiveName)), makesFolder_(makesFolder), who_(std::move(who)) {}

    // Whether changes are recorded at all: false for a run without an archive.
    bool Keeps() const { return store_ != nullptr || !name_.empty(); }

    // Appends the entry to the audit trail, with who made it and, when `at` is 0, now.
    // Without an archive: nothing is kept and the status is ok; ask Keeps() to tell.
    // With the snapshots the action leaves, kept in the same transaction (at now when their
    // `at` is 0): a write's row and the pages read back after it.
    archive::ArchiveStatus Record(archive::AuditEntry entry,
                                  std::vector<archive::SettingsSnapshot> keptWith = {});

    // Keeps the snapshot, at now when its `at` is 0.
    archive::ArchiveStatus Keep(archive::SettingsSnapshot snapshot);

    // The store, opened when needed, to read what was recorded; null when there is none
    // (`why` says why when one is named but cannot be opened).
    archive::ArchiveStore* Store(archive::ArchiveStatus& why);

    const Operator& Who() const { return who_; }

  private:
    archive::ArchiveStore* store_ = nullptr;
    std::unique_ptr<archive::ArchiveStore> owned_;
    std::string name_;
    bool makesFolder_ = false;
    Operator who_;
};

}  // namespace lgcset::jobs
