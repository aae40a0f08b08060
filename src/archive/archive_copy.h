// One archive merged into another: a laptop's file into the team's database, say.
#pragma once

#include <cstddef>

#include "archive/archive_store.h"

namespace lgcset::archive {

struct CopyResult {
    ArchiveStatus status;  // the first download that could not be read or stored stops the copy
    std::size_t downloads = 0;       // copied
    std::size_t downloadsKnown = 0;  // the target held them already
    std::size_t added = 0;           // readings new to the target
    std::size_t alreadyThere = 0;    // readings the target held already
    std::size_t snapshots = 0;       // settings snapshots copied
    std::size_t snapshotsKnown = 0;  // the target held them already
};

// Every download of `from` with its readings, oldest first, each in its own transaction:
// a copy that stops half way keeps what it stored, and running it again finishes it. Then
// the settings snapshots the target lacks (same logger, time, reason, firmware and pages).
// Audit rows are not copied: each trail is a chain of its own archive, and a row chained
// again into another would no longer be the row that was written.
CopyResult CopyArchive(ArchiveStore& from, ArchiveStore& to);

}  // namespace lgcset::archive
