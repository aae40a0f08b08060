#include "archive/sqlite_archive.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "archive/archive_schema.h"
#include "archive/archive_values.h"
#include "archive/sqlite_change_records.h"
#include "archive/sqlite_statement.h"

namespace lgcset::archive {

namespace {

using sqlite::BindText;
using sqlite::ColumnText;
using sqlite::Db;
using sqlite::Exec;
using sqlite::Prepare;
using sqlite::Stmt;

// SQLite keeps no NaN: bound as a number it becomes NULL, which is an absent sensor. A
// logger's NaN is kept as this text instead, which a REAL column leaves as it is.
constexpr std::string_view kNotANumber = "NaN";

// The sensor and position columns of a reading from parameter `first` on: NULL when
// absent.
void BindValues(sqlite3_stmt* s, int first, const data::HistoryRecord& r) {
    for (std::size_t i = 0; i < data::kSensorCount; ++i) {
        const int index = first + static_cast<int>(i);
        if (r.sensorPresent[i] != 1)
            sqlite3_bind_null(s, index);
        else if (std::isnan(r.sensor[i]))
            BindText(s, index, std::string(kNotANumber));
        else
            sqlite3_bind_double(s, index, ArchivedSensor(r.sensor[i]));
    }
    const std::uint32_t positions[] = {r.longitude, r.latitude, r.velocity, r.direction};
    for (int i = 0; i < 4; ++i) {
        const int index = first + data::kSensorCount + i;
        if (positions[i] == data::kAbsentPosition)
            sqlite3_bind_null(s, index);
        else
            sqlite3_bind_int64(s, index, positions[i]);
    }
}

void BindOptionalInt(sqlite3_stmt* s, int index, const std::optional<std::int64_t>& value) {
    if (value)
        sqlite3_bind_int64(s, index, *value);
    else
        sqlite3_bind_null(s, index);
}

std::optional<std::int64_t> OptionalInt(sqlite3_stmt* row, int column) {
    if (sqlite3_column_type(row, column) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_int64(row, column);
}

// A file SQLite finds broken: `writing`, a transfer that was to be stored in it.
ArchiveStatus DamagedStatus(const std::string& name, const std::string& why, bool writing) {
    return {ArchiveError::Damaged, "The archive " + name + " is damaged (" + why + ")" +
                                       (writing ? ": nothing was stored." : ".")};
}

class SqliteArchive final : public ArchiveStore {
  public:
    Rows<SettingsSnapshot> AddSnapshot(const SettingsSnapshot& snapshot) override {
        return sqlite::AddSnapshot(db_.get(), file_.string(), snapshot);
    }
    Rows<SettingsSnapshot> Snapshots(const std::string& deviceId) override {
        return sqlite::Snapshots(db_.get(), file_.string(), deviceId);
    }
    Rows<SettingsSnapshot> Snapshot(std::int64_t id) override {
        return sqlite::Snapshot(db_.get(), file_.string(), id);
    }
    Rows<AuditRow> AppendAudit(const AuditEntry& entry) override {
        return sqlite::AppendAudit(db_.get(), file_.string(), entry, {});
    }
    Rows<AuditRow> AppendAuditWith(const AuditEntry& entry,
                                   std::span<const SettingsSnapshot> keptWith) override {
        return sqlite::AppendAudit(db_.get(), file_.string(), entry, keptWith);
    }
    Rows<AuditRow> AuditTrail(const AuditFilter& filter) override {
        return sqlite::AuditTrail(db_.get(), file_.string(), filter);
    }

    SqliteArchive(Db db, std::filesystem::path file) : db_(std::move(db)), file_(std::move(file)) {}

    AddResult Add(const DownloadInfo& download,
                  std::span<const data::HistoryRecord> records) override {
        return Merge(download, records, records.size(), false);
    }

    AddResult AddCopy(const ArchivedDownload& download,
                      std::span<const data::HistoryRecord> records) override {
        return Merge(download.info, records, download.received, true);
    }

    Rows<ArchivedDownload> Downloads() override {
        const Stmt s = Prepare(db_.get(), R"sql(
SELECT d.id, l.device_id, l.model, l.firmware, d.at, d.range_from, d.range_to, d.source,
       d.workbook, d.workbook_sha256, d.csv, d.csv_sha256, d.received, d.added,
       d.clock_offset, d.utc_offset
FROM downloads AS d JOIN loggers AS l ON l.id = d.logger_id ORDER BY d.id)sql");
        return ReadAll<ArchivedDownload>(s, [](sqlite3_stmt* row) {
            ArchivedDownload d;
            d.id = sqlite3_column_int64(row, 0);
            d.info.logger = {ColumnText(row, 1), ColumnText(row, 2)};
            d.info.firmware = ColumnText(row, 3);
            d.info.at = sqlite3_column_int64(row, 4);
            d.info.rangeFrom = ColumnText(row, 5);
            d.info.rangeTo = ColumnText(row, 6);
            d.info.source = ColumnText(row, 7);
            d.info.workbook = ColumnText(row, 8);
            d.info.workbookSha256 = ColumnText(row, 9);
            d.info.csv = ColumnText(row, 10);
            d.info.csvSha256 = ColumnText(row, 11);
            d.received = static_cast<std::size_t>(sqlite3_column_int64(row, 12));
            d.added = static_cast<std::size_t>(sqlite3_column_int64(row, 13));
            d.info.clockOffset = OptionalInt(row, 14);
            d.info.utcOffset = OptionalInt(row, 15);
            return d;
        });
    }

    Rows<data::HistoryRecord> ReadingsOf(std::int64_t download) override {
        const Stmt s = Prepare(db_.get(), R"sql(
SELECT t, sensor1, sensor2, sensor3, sensor4, longitude, latitude, velocity, direction
FROM readings WHERE download_id = ?1 ORDER BY t, rowid)sql");
        if (s)
            sqlite3_bind_int64(s.get(), 1, download);
        return ReadAll<data::HistoryRecord>(s, Record);
    }

    Rows<LoggerSummary> Loggers() override {
        const Stmt s = Prepare(db_.get(), R"sql(
SELECT l.device_id, l.model, l.firmware, l.first_seen, l.last_seen,
       (SELECT min(t) FROM readings WHERE logger_id = l.id),
       (SELECT max(t) FROM readings WHERE logger_id = l.id),
       (SELECT count(*) FROM readings WHERE logger_id = l.id),
       (SELECT count(*) FROM downloads WHERE logger_id = l.id)
FROM loggers AS l ORDER BY l.device_id, l.model)sql");
        return ReadAll<LoggerSummary>(s, [](sqlite3_stmt* row) {
            LoggerSummary l;
            l.logger = {ColumnText(row, 0), ColumnText(row, 1)};
            l.firmware = ColumnText(row, 2);
            l.firstSeen = sqlite3_column_int64(row, 3);
            l.lastSeen = sqlite3_column_int64(row, 4);
            l.firstReading = sqlite3_column_int64(row, 5);
            l.lastReading = sqlite3_column_int64(row, 6);
            l.readings = static_cast<std::size_t>(sqlite3_column_int64(row, 7));
            l.downloads = static_cast<std::size_t>(sqlite3_column_int64(row, 8));
            return l;
        });
    }

    Rows<data::HistoryRecord> Readings(const LoggerKey& logger, std::int64_t from,
                                       std::int64_t to) override {
        const Stmt s = Prepare(db_.get(), R"sql(
SELECT t, sensor1, sensor2, sensor3, sensor4, longitude, latitude, velocity, direction
FROM readings
WHERE logger_id = (SELECT id FROM loggers WHERE device_id = ?1 AND model = ?2)
  AND t BETWEEN ?3 AND ?4
ORDER BY t, rowid)sql");
        if (s) {
            BindText(s.get(), 1, logger.deviceId);
            BindText(s.get(), 2, logger.model);
            sqlite3_bind_int64(s.get(), 3, from);
            sqlite3_bind_int64(s.get(), 4, to);
        }
        return ReadAll<data::HistoryRecord>(s, Record);
    }

  private:
    // Every row of a prepared query, each made by `row`; a query that could not be prepared
    // or failed on the way returns no row and why.
    template <class Row, class MakeRow>
    Rows<Row> ReadAll(const Stmt& s, MakeRow row) {
        Rows<Row> result;
        if (s) {
            int step = SQLITE_ROW;
            while ((step = sqlite3_step(s.get())) == SQLITE_ROW)
                result.rows.push_back(row(s.get()));
            if (step == SQLITE_DONE)
                return result;
        }
        result.rows.clear();
        result.status =
            sqlite3_errcode(db_.get()) == SQLITE_CORRUPT
                ? DamagedStatus(file_.string(), sqlite3_errmsg(db_.get()), false)
                : ArchiveStatus{ArchiveError::ReadFailed, "The archive " + file_.string() +
                                                              " could not be read: " +
                                                              sqlite3_errmsg(db_.get()) + "."};
        return result;
    }

    AddResult Merge(const DownloadInfo& download, std::span<const data::HistoryRecord> records,
                    std::size_t received, bool skipKnown) {
        AddResult result;
        result.counts.received = records.size();
        failure_.clear();
        if (!Exec(db_.get(), "BEGIN IMMEDIATE")) {
            result.status = WriteFailure();
            return result;
        }
        if (skipKnown) {
            const std::optional<bool> known = Known(download, received);
            if (known.value_or(false)) {
                Exec(db_.get(), "ROLLBACK");
                result.known = true;
                result.counts.alreadyThere = records.size();
                return result;
            }
            if (!known) {
                result.status = WriteFailure();
                Exec(db_.get(), "ROLLBACK");
                return result;
            }
        }
        if (!Store(download, records, received, result.counts) || !Exec(db_.get(), "COMMIT")) {
            result.status = WriteFailure();
            Exec(db_.get(), "ROLLBACK");
            result.counts = {records.size(), 0, 0, 0};
        }
        return result;
    }

    // Whether the archive holds this download already; nothing when that cannot be read.
    std::optional<bool> Known(const DownloadInfo& d, std::size_t received) {
        const Stmt s = Prepare(db_.get(), R"sql(
SELECT 1 FROM downloads AS d JOIN loggers AS l ON l.id = d.logger_id
WHERE l.device_id = ?1 AND l.model = ?2 AND d.at = ?3 AND d.range_from = ?4
  AND d.range_to = ?5 AND d.source = ?6 AND d.workbook = ?7 AND d.workbook_sha256 = ?8
  AND d.csv = ?9 AND d.csv_sha256 = ?10 AND d.received = ?11
LIMIT 1)sql");
        if (!s) {
            Fail();
            return std::nullopt;
        }
        BindText(s.get(), 1, d.logger.deviceId);
        BindText(s.get(), 2, d.logger.model);
        sqlite3_bind_int64(s.get(), 3, d.at);
        BindText(s.get(), 4, d.rangeFrom);
        BindText(s.get(), 5, d.rangeTo);
        BindText(s.get(), 6, d.source);
        BindText(s.get(), 7, d.workbook);
        BindText(s.get(), 8, d.workbookSha256);
        BindText(s.get(), 9, d.csv);
        BindText(s.get(), 10, d.csvSha256);
        sqlite3_bind_int64(s.get(), 11, static_cast<std::int64_t>(received));
        const int step = sqlite3_step(s.get());
        if (step == SQLITE_ROW)
            return true;
        if (step == SQLITE_DONE)
            return false;
        Fail();
        return std::nullopt;
    }

    // Finalizing the statement that failed clears the connection's message: it is kept
    // from the moment of the failure.
    bool Fail() {
        failure_ = sqlite3_errmsg(db_.get());
        return false;
    }

    std::optional<std::int64_t> FailedId() {
        Fail();
        return std::nullopt;
    }

    ArchiveStatus WriteFailure() {
        if (failure_.empty())
            failure_ = sqlite3_errmsg(db_.get());
        ArchiveStatus status =
            ArchiveStatus{ArchiveError::WriteFailed, "The transfer could not be archived in " +
                                                  file_.string() + ": " + failure_ +
                                                  "; the archive is as it was before it."};
        failure_.clear();
        return status;
    }

    std::optional<std::int64_t> LoggerId(const DownloadInfo& d) {
        const Stmt find =
            Prepare(db_.get(), "SELECT id FROM loggers WHERE device_id = ?1 AND model = ?2");
        if (!find)
            return FailedId();
        BindText(find.get(), 1, d.logger.deviceId);
        BindText(find.get(), 2, d.logger.model);
        if (sqlite3_step(find.get()) == SQLITE_ROW) {
            const std::int64_t id = sqlite3_column_int64(find.get(), 0);
            const Stmt seen = Prepare(db_.get(), R"sql(
UPDATE loggers SET first_seen = min(first_seen, ?2), last_seen = max(last_seen, ?2),
                   firmware = CASE WHEN ?3 = '' THEN firmware ELSE ?3 END
WHERE id = ?1)sql");
            if (!seen)
                return FailedId();
            sqlite3_bind_int64(seen.get(), 1, id);
            sqlite3_bind_int64(seen.get(), 2, d.at);
            BindText(seen.get(), 3, d.firmware);
            if (sqlite3_step(seen.get()) != SQLITE_DONE)
                return FailedId();
            return id;
        }
        const Stmt add = Prepare(db_.get(),
                                 "INSERT INTO loggers (device_id, model, firmware, first_seen, "
                                 "last_seen) VALUES (?1, ?2, ?3, ?4, ?4)");
        if (!add)
            return FailedId();
        BindText(add.get(), 1, d.logger.deviceId);
        BindText(add.get(), 2, d.logger.model);
        BindText(add.get(), 3, d.firmware);
        sqlite3_bind_int64(add.get(), 4, d.at);
        if (sqlite3_step(add.get()) != SQLITE_DONE)
            return FailedId();
        return sqlite3_last_insert_rowid(db_.get());
    }

    std::optional<std::int64_t> DownloadId(const DownloadInfo& d, std::int64_t logger,
                                           std::size_t received) {
        const Stmt add = Prepare(db_.get(), R"sql(
INSERT INTO downloads (logger_id, at, range_from, range_to, received, added, source,
                       workbook, workbook_sha256, csv, csv_sha256, clock_offset, utc_offset)
VALUES (?1, ?2, ?3, ?4, ?5, 0, ?6, ?7, ?8, ?9, ?10, ?11, ?12))sql");
        if (!add)
            return FailedId();
        sqlite3_bind_int64(add.get(), 1, logger);
        sqlite3_bind_int64(add.get(), 2, d.at);
        BindText(add.get(), 3, d.rangeFrom);
        BindText(add.get(), 4, d.rangeTo);
        sqlite3_bind_int64(add.get(), 5, static_cast<std::int64_t>(received));
        BindText(add.get(), 6, d.source);
        BindText(add.get(), 7, d.workbook);
        BindText(add.get(), 8, d.workbookSha256);
        BindText(add.get(), 9, d.csv);
        BindText(add.get(), 10, d.csvSha256);
        BindOptionalInt(add.get(), 11, d.clockOffset);
        BindOptionalInt(add.get(), 12, d.utcOffset);
        if (sqlite3_step(add.get()) != SQLITE_DONE)
            return FailedId();
        return sqlite3_last_insert_rowid(db_.get());
    }

    bool Store(const DownloadInfo& d, std::span<const data::HistoryRecord> records,
               std::size_t received, AddCounts& counts) {
        const std::optional<std::int64_t> logger = LoggerId(d);
        if (!logger)
            return Fail();
        const std::optional<std::int64_t> download = DownloadId(d, *logger, received);
        if (!download)
            return Fail();
        // IS compares NULL with NULL as equal: an absent value matches only an absent one.
        const Stmt same = Prepare(db_.get(), R"sql(
SELECT 1 FROM readings WHERE logger_id = ?1 AND t = ?2
  AND sensor1 IS ?3 AND sensor2 IS ?4 AND sensor3 IS ?5 AND sensor4 IS ?6
  AND longitude IS ?7 AND latitude IS ?8 AND velocity IS ?9 AND direction IS ?10
LIMIT 1)sql");
        const Stmt insert = Prepare(db_.get(), R"sql(
INSERT INTO readings (logger_id, t, sensor1, sensor2, sensor3, sensor4,
                      longitude, latitude, velocity, direction, download_id)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11))sql");
        if (!same || !insert)
            return Fail();
        for (const data::HistoryRecord& r : records) {
            if (!HasRealTime(r)) {
                ++counts.withoutTime;
                continue;
            }
            const std::int64_t t = ReadingTime(r);
            sqlite3_reset(same.get());
            sqlite3_bind_int64(same.get(), 1, *logger);
            sqlite3_bind_int64(same.get(), 2, t);
            BindValues(same.get(), 3, r);
            const int found = sqlite3_step(same.get());
            if (found == SQLITE_ROW) {
                ++counts.alreadyThere;
                continue;
            }
            if (found != SQLITE_DONE)
                return Fail();
            sqlite3_reset(insert.get());
            sqlite3_bind_int64(insert.get(), 1, *logger);
            sqlite3_bind_int64(insert.get(), 2, t);
            BindValues(insert.get(), 3, r);
            sqlite3_bind_int64(insert.get(), 11, *download);
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                return Fail();
            ++counts.added;
        }
        const Stmt added = Prepare(db_.get(), "UPDATE downloads SET added = ?1 WHERE id = ?2");
        if (!added)
            return Fail();
        sqlite3_bind_int64(added.get(), 1, static_cast<std::int64_t>(counts.added));
        sqlite3_bind_int64(added.get(), 2, *download);
        return sqlite3_step(added.get()) == SQLITE_DONE || Fail();
    }

    static data::HistoryRecord Record(sqlite3_stmt* s) {
        data::HistoryRecord r = RecordAt(sqlite3_column_int64(s, 0));
        for (std::size_t i = 0; i < data::kSensorCount; ++i) {
            const int column = 1 + static_cast<int>(i);
            const int type = sqlite3_column_type(s, column);
            r.sensorPresent[i] = type == SQLITE_NULL ? 0 : 1;
            r.sensor[i] = type == SQLITE_TEXT ? std::numeric_limits<double>::quiet_NaN()
                                              : sqlite3_column_double(s, column);
        }
        std::uint32_t* positions[] = {&r.longitude, &r.latitude, &r.velocity, &r.direction};
        for (int i = 0; i < 4; ++i) {
            const int column = 1 + data::kSensorCount + i;
            *positions[i] = sqlite3_column_type(s, column) == SQLITE_NULL
                                ? data::kAbsentPosition
                                : static_cast<std::uint32_t>(sqlite3_column_int64(s, column));
        }
        return r;
    }

    Db db_;
    std::filesystem::path file_;
    std::string failure_;
};

// The file's schema version: 0 for a file without tables, nothing for a file that holds
// something other than an archive (or no database at all).
std::optional<int> FileVersion(sqlite3* db) {
    const Stmt tables = Prepare(db, "SELECT count(*), sum(name = 'meta') FROM sqlite_master");
    if (!tables || sqlite3_step(tables.get()) != SQLITE_ROW)
        return std::nullopt;
    if (sqlite3_column_int(tables.get(), 0) == 0)
        return 0;
    if (sqlite3_column_int(tables.get(), 1) != 1)
        return std::nullopt;
    const Stmt version = Prepare(db, "SELECT value FROM meta WHERE key = 'schema_version'");
    if (!version || sqlite3_step(version.get()) != SQLITE_ROW)
        return std::nullopt;
    const std::string text = ColumnText(version.get(), 0);
    int v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || v < 1)
        return std::nullopt;
    return v;
}

// The loggers the twin merge left in its table, which is dropped.
bool ReadMergedTwins(sqlite3* db, std::vector<TwinMerge>& merged) {
    {
        const Stmt s = Prepare(db, MergedTwinsQuery());
        if (!s)
            return false;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(s.get())) == SQLITE_ROW)
            merged.push_back({ColumnText(s.get(), 0), ColumnText(s.get(), 1),
                              ColumnText(s.get(), 2),
                              static_cast<std::size_t>(sqlite3_column_int64(s.get(), 3))});
        if (step != SQLITE_DONE)
            return false;
    }
    return Exec(db, DropMergedTwins());
}

// How long another program holding the file is waited for.
constexpr int kBusyMs = 5000;

// Switching a new file to WAL takes it for itself without waiting as other statements do:
// a second program making the same file at the same moment is waited for here.
bool UseWal(sqlite3* db) {
    constexpr int kPauseMs = 10;
    for (int waited = 0;; waited += kPauseMs) {
        const int code = sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        if (code != SQLITE_BUSY || waited >= kBusyMs)
            return code == SQLITE_OK;
        sqlite3_sleep(kPauseMs);
    }
}

bool HasColumn(sqlite3* db, std::string_view table, std::string_view column) {
    const Stmt s = Prepare(db, "SELECT 1 FROM pragma_table_info('" + std::string(table) +
                                   "') WHERE name = '" + std::string(column) + "'");
    return s && sqlite3_step(s.get()) == SQLITE_ROW;
}

// The step to `version`, after the columns it adds that are not there yet.
bool RunStep(sqlite3* db, int version, std::string_view step) {
    for (const AddedColumn& added : SqliteAddedColumns())
        if (added.version == version && !HasColumn(db, added.table, added.column) &&
            !Exec(db, "ALTER TABLE " + std::string(added.table) + " ADD COLUMN " +
                          std::string(added.column) + " " + std::string(added.type)))
            return false;
    return Exec(db, step);
}

// Made or upgraded under the file's own write lock, waited for: two programs opening a
// new file at once would otherwise both make its tables. The version is read again inside,
// as the other may have upgraded it meanwhile.
bool Upgrade(sqlite3* db, std::vector<TwinMerge>& merged) {
    if (!Exec(db, "BEGIN IMMEDIATE"))
        return false;
    const std::optional<int> from = FileVersion(db);
    const auto steps = SchemaSteps();
    bool ok = from && *from <= CurrentSchemaVersion();
    for (std::size_t i = static_cast<std::size_t>(from.value_or(0)); ok && i < steps.size(); ++i)
        ok = RunStep(db, static_cast<int>(i) + 1, steps[i]);
    ok = ok && (*from >= kTwinMergeVersion || ReadMergedTwins(db, merged));
    ok = ok && (*from == CurrentSchemaVersion() ||
                Exec(db, "INSERT OR REPLACE INTO meta (key, value) VALUES ('schema_version', '" +
                             std::to_string(CurrentSchemaVersion()) + "')"));
    if (ok && Exec(db, "COMMIT"))
        return true;
    Exec(db, "ROLLBACK");
    return false;
}

// SQLite's own check of the file's structure, stopped at the first fault so that its answer
// stays short; empty when the file is sound. It reads the whole file once, about 0.2 s per
// million readings, so it runs once per opening to write rather than per transfer.
std::string FirstFault(sqlite3* db) {
    const Stmt check = Prepare(db, "PRAGMA quick_check(1)");
    if (!check || sqlite3_step(check.get()) != SQLITE_ROW)
        return sqlite3_errmsg(db);
    const std::string answer = ColumnText(check.get(), 0);
    return answer == "ok" ? std::string() : answer;
}

// Why a file's version could not be read: a broken file, one that cannot be opened, or
// something other than an archive.
ArchiveStatus Unreadable(sqlite3* db, const std::string& name, bool writing) {
    switch (sqlite3_errcode(db)) {
    case SQLITE_CORRUPT:
        return DamagedStatus(name, sqlite3_errmsg(db), writing);
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return {ArchiveError::CannotOpen,
                "The archive " + name + " cannot be opened: " + sqlite3_errmsg(db) + "."};
    default:
        return {ArchiveError::NotAnArchive, name + " is not an archive of this program."};
    }
}

ArchiveStatus VersionRefused(const std::string& name, int version) {
    const std::string versions = "(schema " + std::to_string(version) +
                                 ", this one knows up to " +
                                 std::to_string(CurrentSchemaVersion()) + ")";
    if (version == 0)
        return {ArchiveError::NotAnArchive, name + " holds no archive of this program."};
    if (version < CurrentSchemaVersion())
        return {ArchiveError::OlderSchema,
                "The archive " + name + " was written by an older version of this program " +
                    versions + "; open it for writing once to upgrade it."};
    return {ArchiveError::NewerSchema, "The archive " + name +
                                           " was written by a newer version of this program " +
                                           versions + "; it is left as it is."};
}

// The folder of a file to write: there, or made when `makeFolder`.
ArchiveStatus ReadyFolder(const std::filesystem::path& file, bool makeFolder) {
    const std::filesystem::path folder =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return {};
    if (!makeFolder || std::filesystem::exists(folder, error))
        return {ArchiveError::FolderMissing,
                "The archive's folder " + folder.string() + " does not exist."};
    std::filesystem::create_directories(folder, error);
    if (error)
        return {ArchiveError::CannotOpen, "The archive's folder " + folder.string() +
                                              " cannot be made: " + error.message() + "."};
    return {};
}

}  // namespace

OpenResult OpenSqliteArchive(const std::filesystem::path& file, bool makeFolder) {
    OpenResult result;
    const std::string name = file.string();
    if (result.status = ReadyFolder(file, makeFolder); !result.status.ok())
        return result;
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Db db(raw);
    auto cannot = [&](const std::string& what, const std::string& after) {
        return ArchiveStatus{ArchiveError::CannotOpen,
                             "The archive " + name + " " + what + ": " +
                                 (db ? sqlite3_errmsg(db.get()) : "out of memory") + after};
    };
    if (opened != SQLITE_OK) {
        result.status = cannot("cannot be opened", ".");
        return result;
    }
    // Another program holding the file for a moment is waited for, not failed.
    sqlite3_busy_timeout(db.get(), kBusyMs);
    const std::optional<int> version = FileVersion(db.get());
    if (!version) {
        result.status = Unreadable(db.get(), name, true);
        return result;
    }
    if (*version > CurrentSchemaVersion()) {
        result.status = VersionRefused(name, *version);
        return result;
    }
    // A transfer stored into a broken file would seem kept and be lost with it.
    if (const std::string fault = *version > 0 ? FirstFault(db.get()) : ""; !fault.empty()) {
        result.status = DamagedStatus(name, fault, true);
        return result;
    }
    if (!UseWal(db.get())) {
        result.status = cannot("cannot be opened", ".");
        return result;
    }
    if (*version < CurrentSchemaVersion() && !Upgrade(db.get(), result.merged)) {
        result.merged.clear();
        result.status = cannot("cannot be brought to this version", "; it is left as it was.");
        return result;
    }
    result.store = std::make_unique<SqliteArchive>(std::move(db), file);
    return result;
}

OpenResult OpenSqliteArchiveToRead(const std::filesystem::path& file) {
    OpenResult result;
    const std::string name = file.string();
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        result.status = {ArchiveError::Missing, "The archive " + name + " does not exist."};
        return result;
    }
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    if (opened != SQLITE_OK) {
        result.status = {ArchiveError::CannotOpen,
                         "The archive " + name + " cannot be opened: " +
                             (db ? sqlite3_errmsg(db.get()) : "out of memory") + "."};
        return result;
    }
    sqlite3_busy_timeout(db.get(), kBusyMs);
    const std::optional<int> version = FileVersion(db.get());
    if (!version) {
        result.status = Unreadable(db.get(), name, false);
        return result;
    }
    // Reading one of another version as if it were this one's could show less than it holds.
    if (*version != CurrentSchemaVersion()) {
        result.status = VersionRefused(name, *version);
        return result;
    }
    result.store = std::make_unique<SqliteArchive>(std::move(db), file);
    return result;
}

}  // namespace lgcset::archive
