#include "archive/archive_copy.h"

namespace lgcset::archive {

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
    return result;
}

}  // namespace lgcset::archive
