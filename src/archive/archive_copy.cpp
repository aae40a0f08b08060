#include "archive/archive_copy.h"

namespace lgcset::archive {

CopyResult CopyArchive(ArchiveStore& from, ArchiveStore& to) {
    CopyResult result;
    for (const ArchivedDownload& download : from.Downloads()) {
        const AddResult added = to.AddCopy(download, from.ReadingsOf(download.id));
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
