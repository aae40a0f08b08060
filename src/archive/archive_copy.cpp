#include "archive/archive_copy.h"

#include <algorithm>

namespace lgcset::archive {

namespace {

bool SameSnapshot(const SettingsSnapshot& a, const SettingsSnapshot& b) {
    return a.deviceId == b.deviceId && a.model == b.model && a.firmware == b.firmware &&
           a.at == b.at && a.reason == b.reason && a.pages == b.pages;
}

// The snapshots of `from` that `to` lacks, each kept on its own.
ArchiveStatus CopySnapshots(ArchiveStore& from, ArchiveStore& to, CopyResult& result) {
    const Rows<SettingsSnapshot> source = from.Snapshots("");
    if (!source.status.ok())
        return source.status;
    Rows<SettingsSnapshot> target = to.Snapshots("");
    if (!target.status.ok())
        return target.status;
    for (const SettingsSnapshot& snapshot : source.rows) {
        const bool known = std::any_of(target.rows.begin(), target.rows.end(),
                                       [&](const auto& held) { return SameSnapshot(held, snapshot); });
        if (known) {
            ++result.snapshotsKnown;
            continue;
        }
        const Rows<SettingsSnapshot> kept = to.AddSnapshot(snapshot);
        if (!kept.status.ok())
            return kept.status;
        target.rows.push_back(snapshot);
        ++result.snapshots;
    }
    return {};
}

}  // namespace

CopyResult CopyArchive(ArchiveStore& from, ArchiveStore& to) {
    CopyResult result;
    const Rows<ArchivedDownload> downloads = from.Downloads();
    if (!downloads.status.ok()) {
        result.status = downloads.status;
        return result;
    }
    for (const ArchivedDownload& download : downloads.rows) {
        // A download stored without its readings would count as copied for ever after.
        const Rows<data::HistoryRecord> readings = from.ReadingsOf(download.id);
        if (!readings.status.ok()) {
            result.status = readings.status;
            return result;
        }
        const AddResult added = to.AddCopy(download, readings.rows);
        if (!added.status.ok()) {
            result.status = added.status;
            return result;
        }
        ++(added.known ? result.downloadsKnown : result.downloads);
        result.added += added.counts.added;
        result.alreadyThere += added.counts.alreadyThere;
    }
    result.status = CopySnapshots(from, to, result);
    return result;
}

}  // namespace lgcset::archive
