// An archive that keeps in memory what it is handed: downloads, snapshots and audit rows,
// in order. Set `refusal` and every call fails with that sentence, as a full disk would.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "archive/archive_store.h"

namespace lgcset::support {

struct RecordingArchive final : archive::ArchiveStore {
    archive::AddResult Add(const archive::DownloadInfo& download,
                           std::span<const data::HistoryRecord> records) override {
        if (!refusal.empty())
            return {Refused(), {}};
        downloads.push_back(download);
        return {{}, {records.size(), records.size(), 0, 0}};
    }
    archive::Rows<archive::LoggerSummary> Loggers() override { return {}; }
    archive::Rows<data::HistoryRecord> Readings(const archive::LoggerKey&, std::int64_t,
                                                std::int64_t) override {
        return {};
    }
    archive::Rows<archive::ArchivedDownload> Downloads() override { return {}; }
    archive::Rows<data::HistoryRecord> ReadingsOf(std::int64_t) override { return {}; }
    archive::AddResult AddCopy(const archive::ArchivedDownload&,
                               std::span<const data::HistoryRecord>) override {
        return {};
    }
    archive::Rows<archive::SettingsSnapshot> AddSnapshot(
        const archive::SettingsSnapshot& snapshot) override {
        if (!refusal.empty())
            return {{}, Refused()};
        snapshots.push_back(snapshot);
        snapshots.back().id = static_cast<std::int64_t>(snapshots.size());
        return {{snapshots.back()}, {}};
    }
    archive::Rows<archive::SettingsSnapshot> Snapshots(const std::string&) override {
        return {snapshots, {}};
    }
    archive::Rows<archive::SettingsSnapshot> Snapshot(std::int64_t) override { return {}; }
    archive::Rows<archive::AuditRow> AppendAudit(const archive::AuditEntry& entry) override {
        if (!refusal.empty())
            return {{}, Refused()};
        audit.push_back(entry);
        return {{{static_cast<std::int64_t>(audit.size()), entry, {}, {}}}, {}};
    }
    archive::Rows<archive::AuditRow> AuditTrail(const archive::AuditFilter&) override {
        return {};
    }

    archive::ArchiveStatus Refused() const { return {archive::ArchiveError::WriteFailed, refusal}; }

    std::vector<archive::DownloadInfo> downloads;
    std::vector<archive::SettingsSnapshot> snapshots;
    std::vector<archive::AuditEntry> audit;
    std::string refusal;
};

}  // namespace lgcset::support
