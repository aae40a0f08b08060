#include "cli/cli_recording.h"

#include <utility>

#include "data/printable_text.h"
#include "jobs/audit_entries.h"

namespace lgcset::cli {

void CommandRecord::Record(const std::optional<archive::AuditEntry>& entry) {
    if (!entry)
        return;
    if (!changes_.Keeps()) {
        if (!std::exchange(saidNoRecord_, true))
            err_ << "lgcset-cli: " << jobs::kNoRecordKept << "\n";
        return;
    }
    // One archive that cannot be written is said once, not once per row.
    if (const archive::ArchiveStatus kept = changes_.Record(*entry);
        !kept.ok() && !std::exchange(saidNotRecorded_, true))
        err_ << "lgcset-cli: " << data::PrintableText(jobs::NotRecordedLine(kept)) << "\n";
}

void CommandRecord::Keep(archive::SettingsSnapshot snapshot) {
    if (!changes_.Keeps())
        return;
    if (const archive::ArchiveStatus kept = changes_.Keep(std::move(snapshot)); !kept.ok())
        err_ << "lgcset-cli: " << data::PrintableText(kept.message)
             << " The settings read were not kept.\n";
}

}  // namespace lgcset::cli
