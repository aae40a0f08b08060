// The archive: every history transfer of every logger kept in one place, overlapping
// transfers merged, so that a logger's readings can be read back over any range.
//
// The interface is engine-neutral; archive_open.h opens the one a user names: a local SQLite
// file or a PostgreSQL database that a team shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/change_record.h"
#include "data/history_record.h"

namespace lgcset::archive {

// A logger is known by its device ID (all '0' when none was set) and its model.
struct LoggerKey {
    std::string deviceId;
    std::string model;
};

// Where a download came from and what it left behind.
struct DownloadInfo {
    LoggerKey logger;
    std::string firmware;   // empty when not known
    std::int64_t at = 0;    // when it ended, seconds since 1970 UTC
    std::string rangeFrom;  // the range asked, "YYYY-MM-DD"; empty for an imported file
    std::string rangeTo;
    std::string source;    // the port, or the imported file's path
    std::string workbook;  // the export files' names and SHA-256; empty when none
    std::string workbookSha256;
    std::string csv;
    std::string csvSha256;
    // The logger's clock less this computer's local time at the download, and this
    // computer's offset from UTC then (seconds east); unknown when the clock was not read.
    std::optional<std::int64_t> clockOffset;
    std::optional<std::int64_t> utcOffset;
};

struct AddCounts {
    std::size_t received = 0;      // records handed in
    std::size_t added = 0;         // new to the archive
    std::size_t alreadyThere = 0;  // identical to an archived reading
    std::size_t withoutTime = 0;   // no real date and time: they cannot be placed, not kept
};

enum class ArchiveError {
    None,
    FolderMissing,  // the archive's folder does not exist and was not to be made
    CannotOpen,     // the file cannot be opened or made (read-only folder, no permission)
    NotAnArchive,   // the file is something else
    NewerSchema,    // written by a newer program
    OlderSchema,    // opened to read, but written by an older program: writing upgrades it
    Missing,        // opened to read, but there is no such file
    Damaged,        // the file's own check finds it broken: nothing is stored in it
    WriteFailed,    // a transfer could not be stored; the archive is as it was
    ReadFailed,     // a query could not be answered (a lost server, a damaged file)
};

struct ArchiveStatus {
    ArchiveError error = ArchiveError::None;
    std::string message;  // when error != None: one sentence for the user
    bool ok() const { return error == ArchiveError::None; }
};

// What a query read: every row it asked for, or none and why. A query that failed part way
// must not pass for an archive that holds less.
template <class Row>
struct Rows {
    std::vector<Row> rows;
    ArchiveStatus status;
};

struct AddResult {
    ArchiveStatus status;
    AddCounts counts;
    bool known = false;  // AddCopy: the download was there already and nothing was stored
};

// A download as archived, for copying one archive into another.
struct ArchivedDownload {
    std::int64_t id = 0;
    DownloadInfo info;         // firmware: the logger's last known one
    std::size_t received = 0;  // records the transfer brought
    std::size_t added = 0;     // of them, new to the archive
};

struct LoggerSummary {
    LoggerKey logger;
    std::string firmware;
    std::int64_t firstSeen = 0, lastSeen = 0;        // downloads, seconds since 1970 UTC
    std::int64_t firstReading = 0, lastReading = 0;  // ReadingTime of its readings
    std::size_t readings = 0;
    std::size_t downloads = 0;
};

// A reading's time on the logger's clock as seconds from 1970-01-01 00:00:00 of that clock
// (no time zone: the logger keeps none). Only for a record with a real date and time.
std::int64_t ReadingTime(const data::HistoryRecord& record);

class ArchiveStore {
  public:
    virtual ~ArchiveStore() = default;

    // One transfer's records, merged: a reading identical to one archived for this logger
    // (same time, same values) is not stored again; a different one at the same time is
    // kept beside it. All of it or nothing is stored.
    virtual AddResult Add(const DownloadInfo& download,
                          std::span<const data::HistoryRecord> records) = 0;

    // Every logger, by device ID and model.
    virtual Rows<LoggerSummary> Loggers() = 0;

    // A logger's readings whose ReadingTime lies in [from, to], in time order.
    virtual Rows<data::HistoryRecord> Readings(const LoggerKey& logger, std::int64_t from,
                                               std::int64_t to) = 0;

    // Every download, oldest first.
    virtual Rows<ArchivedDownload> Downloads() = 0;

    // The readings a download brought that were new to the archive, in time order.
    virtual Rows<data::HistoryRecord> ReadingsOf(std::int64_t download) = 0;

    // Another archive's download and its readings, merged as Add merges, the download's own
    // received count kept. Nothing is stored when the same download (logger, time, range,
    // source, files and count) is here already: copying twice adds nothing.
    virtual AddResult AddCopy(const ArchivedDownload& download,
                              std::span<const data::HistoryRecord> records) = 0;
    // ---- Changes and their record ----

    // Keeps a snapshot of a logger's settings; the result's rows hold it with its id.
    virtual Rows<SettingsSnapshot> AddSnapshot(const SettingsSnapshot& snapshot) = 0;

    // A logger's snapshots (every logger's when deviceId is empty), oldest first.
    virtual Rows<SettingsSnapshot> Snapshots(const std::string& deviceId) = 0;

    // One snapshot by its id; no row when there is none.
    virtual Rows<SettingsSnapshot> Snapshot(std::int64_t id) = 0;

    // Appends one row to the audit trail, chained to the last one: rows appended at once by
    // several programs are put in one order. The result's rows hold the row as stored.
    virtual Rows<AuditRow> AppendAudit(const AuditEntry& entry) = 0;

    // The same with the snapshots the action leaves (a write's pages read back), kept in the
    // same transaction: both or neither, for one flush of the file rather than two. A store
    // without transactions keeps them one after the other.
    virtual Rows<AuditRow> AppendAuditWith(const AuditEntry& entry,
                                           std::span<const SettingsSnapshot> keptWith) {
        for (const SettingsSnapshot& snapshot : keptWith)
            if (Rows<SettingsSnapshot> kept = AddSnapshot(snapshot); !kept.status.ok())
                return {{}, kept.status};
        return AppendAudit(entry);
    }

    // The audit trail's rows that the filter lets through, in the order appended.
    virtual Rows<AuditRow> AuditTrail(const AuditFilter& filter) = 0;
};

// A logger archived under a device ID typed short ("101") beside the logger's own form of
// it, merged into that when the archive was opened.
struct TwinMerge {
    std::string deviceId, model;
    std::string into;           // the device ID as the logger stores it
    std::size_t readings = 0;   // the twin's readings, those the other held already included
};

// "Merged 985 readings of logger 101 (R483) into 000000000000101."
inline std::string MergedLine(const TwinMerge& merge) {
    return "Merged " + std::to_string(merge.readings) + " readings of logger " + merge.deviceId +
           " (" + merge.model + ") into " + merge.into + ".";
}

struct OpenResult {
    std::unique_ptr<ArchiveStore> store;  // null when status says why
    ArchiveStatus status;
    // Said once, by the opening that merged them.
    std::vector<TwinMerge> merged;
};

}  // namespace lgcset::archive
