#include "archive/postgres_archive.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "archive/archive_open.h"
#include "archive/archive_schema.h"
#include "archive/archive_values.h"
#include "archive/postgres_change_records.h"
#include "archive/postgres_statement.h"

namespace lgcset::archive {

namespace {

using postgres::Cell;
using postgres::Conn;
using postgres::Exec;
using postgres::IntCell;
using postgres::Params;
using postgres::Result;
using postgres::Run;
using postgres::Succeeded;
using postgres::Trimmed;

// Readings go in as multi-row statements: one round trip per batch instead of per reading.
constexpr std::size_t kBatch = 1000;
constexpr int kColumns = 11;
// The upgrade is serialised across every program that opens the same database at once.
constexpr std::string_view kUpgradeLock = "SELECT pg_advisory_xact_lock(4807351)";
// A transfer that lost a deadlock to another collector is tried again.
constexpr int kTries = 3;

void AddValues(Params& p, const data::HistoryRecord& r) {
    for (std::size_t i = 0; i < data::kSensorCount; ++i) {
        if (r.sensorPresent[i] == 1)
            p.Double(ArchivedSensor(r.sensor[i]));
        else
            p.Null();
    }
    for (const std::uint32_t v : {r.longitude, r.latitude, r.velocity, r.direction}) {
        if (v == data::kAbsentPosition)
            p.Null();
        else
            p.Int(v);
    }
}

// "($1, ..., $11), ($12, ...)": placeholders only, never values.
std::string InsertReadings(std::size_t rows) {
    std::string sql =
        "INSERT INTO readings (logger_id, t, sensor1, sensor2, sensor3, sensor4, longitude, "
        "latitude, velocity, direction, download_id) VALUES ";
    int n = 1;
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? "(" : ", (";
        for (int c = 0; c < kColumns; ++c) sql += (c == 0 ? "$" : ", $") + std::to_string(n++);
        sql += ")";
    }
    return sql + " ON CONFLICT DO NOTHING";
}

const std::string kReadingColumns =
    "SELECT t, sensor1, sensor2, sensor3, sensor4, longitude, latitude, velocity, direction "
    "FROM readings ";

// The reading in one row of kReadingColumns.
data::HistoryRecord RecordRow(const Result& r, int row) {
    data::HistoryRecord rec = RecordAt(IntCell(r, row, 0));
    for (std::size_t i = 0; i < data::kSensorCount; ++i) {
        const int column = 1 + static_cast<int>(i);
        rec.sensorPresent[i] = PQgetisnull(r.get(), row, column) ? 0 : 1;
        rec.sensor[i] = 0;
        if (rec.sensorPresent[i] == 1) {
            const char* text = PQgetvalue(r.get(), row, column);
            std::from_chars(text, text + PQgetlength(r.get(), row, column), rec.sensor[i]);
        }
    }
    std::uint32_t* positions[] = {&rec.longitude, &rec.latitude, &rec.velocity, &rec.direction};
    for (int i = 0; i < 4; ++i) {
        const int column = 1 + data::kSensorCount + i;
        *positions[i] = PQgetisnull(r.get(), row, column)
                            ? data::kAbsentPosition
                            : static_cast<std::uint32_t>(IntCell(r, row, column));
    }
    return rec;
}

std::optional<std::int64_t> OptionalInt(const Result& r, int row, int column) {
    if (PQgetisnull(r.get(), row, column))
        return std::nullopt;
    return IntCell(r, row, column);
}

class PostgresArchive final : public ArchiveStore {
  public:
    Rows<SettingsSnapshot> AddSnapshot(const SettingsSnapshot& snapshot) override {
        return Written([&] { return postgres::AddSnapshot(conn_.get(), shown_, snapshot); });
    }
    Rows<SettingsSnapshot> Snapshots(const std::string& deviceId) override {
        return postgres::Snapshots(conn_.get(), shown_, deviceId);
    }
    Rows<SettingsSnapshot> Snapshot(std::int64_t id) override {
        return postgres::Snapshot(conn_.get(), shown_, id);
    }
    Rows<AuditRow> AppendAudit(const AuditEntry& entry) override {
        return Written([&] { return postgres::AppendAudit(conn_.get(), shown_, entry, {}); });
    }
    Rows<AuditRow> AppendAuditWith(const AuditEntry& entry,
                                   std::span<const SettingsSnapshot> keptWith) override {
        return Written(
            [&] { return postgres::AppendAudit(conn_.get(), shown_, entry, keptWith); });
    }
    Rows<AuditRow> AuditTrail(const AuditFilter& filter) override {
        return postgres::AuditTrail(conn_.get(), shown_, filter);
    }

    PostgresArchive(Conn conn, std::string shown, bool toRead)
        : conn_(std::move(conn)), shown_(std::move(shown)), toRead_(toRead) {}

    AddResult Add(const DownloadInfo& download,
                  std::span<const data::HistoryRecord> records) override {
        return Merge(download, records, records.size(), false);
    }

    AddResult AddCopy(const ArchivedDownload& download,
                      std::span<const data::HistoryRecord> records) override {
        return Merge(download.info, records, download.received, true);
    }

    Rows<LoggerSummary> Loggers() override {
        const Result r = Run(conn_.get(), R"sql(
SELECT l.device_id, l.model, l.firmware, l.first_seen, l.last_seen,
       (SELECT min(t) FROM readings WHERE logger_id = l.id),
       (SELECT max(t) FROM readings WHERE logger_id = l.id),
       (SELECT count(*) FROM readings WHERE logger_id = l.id),
       (SELECT count(*) FROM downloads WHERE logger_id = l.id)
FROM loggers AS l ORDER BY l.device_id, l.model)sql");
        return ReadAll<LoggerSummary>(r, [](const Result& answer, int row) {
            LoggerSummary l;
            l.logger = {Cell(answer, row, 0), Cell(answer, row, 1)};
            l.firmware = Cell(answer, row, 2);
            l.firstSeen = IntCell(answer, row, 3);
            l.lastSeen = IntCell(answer, row, 4);
            l.firstReading = IntCell(answer, row, 5);
            l.lastReading = IntCell(answer, row, 6);
            l.readings = static_cast<std::size_t>(IntCell(answer, row, 7));
            l.downloads = static_cast<std::size_t>(IntCell(answer, row, 8));
            return l;
        });
    }

    Rows<data::HistoryRecord> Readings(const LoggerKey& logger, std::int64_t from,
                                       std::int64_t to) override {
        Params p;
        p.Text(logger.deviceId);
        p.Text(logger.model);
        p.Int(from);
        p.Int(to);
        return ReadAll<data::HistoryRecord>(
            Run(conn_.get(),
                kReadingColumns + "WHERE logger_id = (SELECT id FROM loggers WHERE device_id = $1 "
                                  "AND model = $2) AND t BETWEEN $3 AND $4 ORDER BY t, id",
                p),
            RecordRow);
    }

    Rows<ArchivedDownload> Downloads() override {
        const Result r = Run(conn_.get(), R"sql(
SELECT d.id, l.device_id, l.model, l.firmware, d.at, d.range_from, d.range_to, d.source,
       d.workbook, d.workbook_sha256, d.csv, d.csv_sha256, d.received, d.added,
       d.clock_offset, d.utc_offset
FROM downloads AS d JOIN loggers AS l ON l.id = d.logger_id ORDER BY d.id)sql");
        return ReadAll<ArchivedDownload>(r, [](const Result& answer, int row) {
            ArchivedDownload d;
            d.id = IntCell(answer, row, 0);
            d.info.logger = {Cell(answer, row, 1), Cell(answer, row, 2)};
            d.info.firmware = Cell(answer, row, 3);
            d.info.at = IntCell(answer, row, 4);
            d.info.rangeFrom = Cell(answer, row, 5);
            d.info.rangeTo = Cell(answer, row, 6);
            d.info.source = Cell(answer, row, 7);
            d.info.workbook = Cell(answer, row, 8);
            d.info.workbookSha256 = Cell(answer, row, 9);
            d.info.csv = Cell(answer, row, 10);
            d.info.csvSha256 = Cell(answer, row, 11);
            d.received = static_cast<std::size_t>(IntCell(answer, row, 12));
            d.added = static_cast<std::size_t>(IntCell(answer, row, 13));
            d.info.clockOffset = OptionalInt(answer, row, 14);
            d.info.utcOffset = OptionalInt(answer, row, 15);
            return d;
        });
    }

    Rows<data::HistoryRecord> ReadingsOf(std::int64_t download) override {
        Params p;
        p.Int(download);
        return ReadAll<data::HistoryRecord>(
            Run(conn_.get(), kReadingColumns + "WHERE download_id = $1 ORDER BY t, id", p),
            RecordRow);
    }

  private:
    // Every row of a query's result, each made by `make`; a failed query returns no row and
    // why.
    template <class Row, class MakeRow>
    Rows<Row> ReadAll(const Result& r, MakeRow make) {
        Rows<Row> result;
        if (!r || PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
            const std::string why = r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_.get());
            result.status =
                ArchiveStatus{ArchiveError::ReadFailed,
                       "The archive " + shown_ + " could not be read: " + Trimmed(why) + "."};
            return result;
        }
        const int rows = PQntuples(r.get());
        result.rows.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) result.rows.push_back(make(r, row));
        return result;
    }

    // A write on a connection the server dropped meanwhile is tried once more on a new one;
    // the server rolled back what was begun.
    template <class Write>
    std::invoke_result_t<Write> Written(Write write) {
        auto result = write();
        if (result.status.ok() || PQstatus(conn_.get()) != CONNECTION_BAD)
            return result;
        if (!Reconnect()) {
            result.status.message = "The archive " + shown_ + " could not be written: " +
                                    Trimmed(failure_) + "; the archive is as it was before it.";
            failure_.clear();
            return result;
        }
        return write();
    }

    enum class Outcome { Stored, Known, Failed, Retry };

    // A connection the server dropped (a restart between two transfers) is made again, once
    // for each transfer; false, with why, when it cannot be.
    bool Reconnect() {
        PQreset(conn_.get());
        if (PQstatus(conn_.get()) == CONNECTION_OK &&
            (!toRead_ || Exec(conn_.get(), "SET default_transaction_read_only = on")))
            return true;
        failure_ = "the connection to the database was lost and could not be made again: " +
                   std::string(PQerrorMessage(conn_.get()));
        return false;
    }

    AddResult Merge(const DownloadInfo& download, std::span<const data::HistoryRecord> records,
                    std::size_t received, bool skipKnown) {
        AddResult result;
        bool reconnected = false;
        for (int attempt = 1; attempt <= kTries; ++attempt) {
            result = {};
            result.counts.received = records.size();
            Outcome outcome = Outcome::Failed;
            if (!Exec(conn_.get(), "BEGIN")) {
                failure_ = PQerrorMessage(conn_.get());
            } else {
                outcome = Store(download, records, received, skipKnown, result.counts);
                if (outcome == Outcome::Stored) {
                    const Result committed(PQexec(conn_.get(), "COMMIT"));
                    if (Succeeded(committed))
                        return result;
                    outcome = Fail(committed);
                }
                Exec(conn_.get(), "ROLLBACK");
            }
            if (outcome == Outcome::Known) {
                result.known = true;
                result.counts.alreadyThere = records.size() - result.counts.withoutTime;
                return result;
            }
            // The server rolled back what was begun; the next try starts afresh.
            if (PQstatus(conn_.get()) == CONNECTION_BAD && !reconnected) {
                reconnected = true;
                if (!Reconnect())
                    break;
                --attempt;
                continue;
            }
            if (outcome != Outcome::Retry || attempt == kTries)
                break;
        }
        result.status = ArchiveStatus{ArchiveError::WriteFailed,
                               "The transfer could not be archived in " + shown_ + ": " +
                                   Trimmed(failure_) + "; the archive is as it was before it."};
        result.counts = {records.size(), 0, 0, 0};
        return result;
    }

    // Notes why a statement failed; a deadlock or a serialisation failure against another
    // writer is worth another try.
    Outcome Fail(const Result& r) {
        failure_ = r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_.get());
        const char* state = r ? PQresultErrorField(r.get(), PG_DIAG_SQLSTATE) : nullptr;
        const std::string_view code = state != nullptr ? state : "";
        return code == "40P01" || code == "40001" ? Outcome::Retry : Outcome::Failed;
    }

    Outcome Store(const DownloadInfo& d, std::span<const data::HistoryRecord> records,
                  std::size_t received, bool skipKnown, AddCounts& counts) {
        Params logger;
        logger.Text(d.logger.deviceId);
        logger.Text(d.logger.model);
        logger.Text(d.firmware);
        logger.Int(d.at);
        const Result id = Run(conn_.get(), R"sql(
INSERT INTO loggers (device_id, model, firmware, first_seen, last_seen)
VALUES ($1, $2, $3, $4, $4)
ON CONFLICT (device_id, model) DO UPDATE
SET first_seen = least(loggers.first_seen, excluded.first_seen),
    last_seen = greatest(loggers.last_seen, excluded.last_seen),
    firmware = CASE WHEN excluded.firmware = '' THEN loggers.firmware ELSE excluded.firmware END
RETURNING id)sql",
                              logger);
        if (!Succeeded(id) || PQntuples(id.get()) != 1)
            return Fail(id);
        const std::int64_t loggerId = IntCell(id, 0, 0);

        Params download;
        download.Int(loggerId);
        download.Int(d.at);
        download.Text(d.rangeFrom);
        download.Text(d.rangeTo);
        download.Int(static_cast<std::int64_t>(received));
        download.Text(d.source);
        download.Text(d.workbook);
        download.Text(d.workbookSha256);
        download.Text(d.csv);
        download.Text(d.csvSha256);
        if (skipKnown) {
            const Result known = Run(conn_.get(), R"sql(
SELECT 1 FROM downloads
WHERE logger_id = $1 AND at = $2 AND range_from = $3 AND range_to = $4 AND received = $5
  AND source = $6 AND workbook = $7 AND workbook_sha256 = $8 AND csv = $9 AND csv_sha256 = $10
LIMIT 1)sql",
                                     download);
            if (!Succeeded(known))
                return Fail(known);
            if (PQntuples(known.get()) > 0) {
                for (const data::HistoryRecord& r : records)
                    counts.withoutTime += HasRealTime(r) ? 0 : 1;
                return Outcome::Known;
            }
        }
        for (const std::optional<std::int64_t>& clock : {d.clockOffset, d.utcOffset}) {
            if (clock)
                download.Int(*clock);
            else
                download.Null();
        }
        const Result made = Run(conn_.get(), R"sql(
INSERT INTO downloads (logger_id, at, range_from, range_to, received, added, source,
                       workbook, workbook_sha256, csv, csv_sha256, clock_offset, utc_offset)
VALUES ($1, $2, $3, $4, $5, 0, $6, $7, $8, $9, $10, $11, $12) RETURNING id)sql",
                                 download);
        if (!Succeeded(made) || PQntuples(made.get()) != 1)
            return Fail(made);
        const std::int64_t downloadId = IntCell(made, 0, 0);

        std::vector<const data::HistoryRecord*> placed;
        placed.reserve(records.size());
        for (const data::HistoryRecord& r : records) {
            if (HasRealTime(r))
                placed.push_back(&r);
            else
                ++counts.withoutTime;
        }
        // Rows of one statement that are the same are kept once by the constraint too.
        for (std::size_t first = 0; first < placed.size(); first += kBatch) {
            const std::size_t rows = std::min(kBatch, placed.size() - first);
            Params p;
            for (std::size_t i = first; i < first + rows; ++i) {
                p.Int(loggerId);
                p.Int(ReadingTime(*placed[i]));
                AddValues(p, *placed[i]);
                p.Int(downloadId);
            }
            const Result inserted = Run(conn_.get(), InsertReadings(rows), p);
            if (!Succeeded(inserted))
                return Fail(inserted);
            std::size_t added = 0;
            const std::string_view tuples = PQcmdTuples(inserted.get());
            std::from_chars(tuples.data(), tuples.data() + tuples.size(), added);
            counts.added += added;
            counts.alreadyThere += rows - added;
        }
        Params added;
        added.Int(static_cast<std::int64_t>(counts.added));
        added.Int(downloadId);
        const Result set = Run(conn_.get(), "UPDATE downloads SET added = $1 WHERE id = $2", added);
        return Succeeded(set) ? Outcome::Stored : Fail(set);
    }

    Conn conn_;
    std::string shown_;
    bool toRead_;
    std::string failure_;
};

// The database's schema version: 0 when it holds no tables, nothing when it holds others
// or cannot be read (`unreadable` says which).
std::optional<int> DatabaseVersion(PGconn* c, bool& unreadable) {
    unreadable = true;
    const Result tables = Run(c, R"sql(
SELECT count(*), count(*) FILTER (WHERE table_name = 'meta')
FROM information_schema.tables WHERE table_schema = current_schema())sql");
    if (!Succeeded(tables) || PQntuples(tables.get()) != 1)
        return std::nullopt;
    unreadable = false;
    if (IntCell(tables, 0, 0) == 0)
        return 0;
    if (IntCell(tables, 0, 1) != 1)
        return std::nullopt;
    const Result version = Run(c, "SELECT value FROM meta WHERE key = 'schema_version'");
    if (!Succeeded(version) || PQntuples(version.get()) != 1)
        return std::nullopt;
    const std::string text = Cell(version, 0, 0);
    int v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || v < 1)
        return std::nullopt;
    return v;
}

// Tables of the archive that another role owns and this one may not even see (which
// information_schema hides): why, and the grant the owner would give; none when the
// archive's tables are not there or this role may use them.
std::optional<std::string> TablesOfAnotherRole(PGconn* c, const std::string& shown) {
    const Result owner = Run(c, R"sql(
SELECT tableowner, current_user, quote_ident(current_user::text) FROM pg_tables
WHERE schemaname = current_schema() AND tablename = 'meta' AND tableowner <> current_user)sql");
    if (!Succeeded(owner) || PQntuples(owner.get()) != 1)
        return std::nullopt;
    return "The archive " + shown + " holds tables of the role \"" + Cell(owner, 0, 0) +
           "\", on which the role \"" + Cell(owner, 0, 1) +
           "\" has no rights; their owner gives them with GRANT SELECT, INSERT, UPDATE, DELETE "
           "ON meta, loggers, downloads, readings TO " +
           Cell(owner, 0, 2) +
           " and GRANT SELECT, INSERT ON settings_snapshots, snapshot_pages, audit_trail, "
           "calibrations TO " +
           Cell(owner, 0, 2) + ".";
}

// `toRead`: every transaction of the connection is read-only, and the tables are neither
// made nor upgraded.
OpenResult Open(const std::string& url, bool toRead) {
    OpenResult result;
    const std::string shown = ShownArchiveName(url);
    // libpq's own words may quote what it read from the URL.
    auto why = [&url](PGconn* c) { return WithoutPassword(Trimmed(PQerrorMessage(c)), url); };
    Conn conn(PQconnectdb(url.c_str()));
    if (!conn || PQstatus(conn.get()) != CONNECTION_OK) {
        result.status = ArchiveStatus{ArchiveError::CannotOpen,
                               "The archive " + shown + " cannot be opened: " +
                                   (conn ? why(conn.get()) : "out of memory") +
                                   "."};
        return result;
    }
    // Notices (an index that exists already) are not the user's business.
    PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
    PGconn* c = conn.get();
    auto cannot = [&](const std::string& what) {
        return ArchiveStatus{ArchiveError::CannotOpen,
                      "The archive " + shown + " " + what + ": " + why(c) + "."};
    };
    // Read and upgraded under one lock, so that two programs opening a new database at
    // once do not both make its tables.
    if ((toRead && !Exec(c, "SET default_transaction_read_only = on")) || !Exec(c, "BEGIN") ||
        !Exec(c, kUpgradeLock)) {
        result.status = cannot("cannot be opened");
        return result;
    }
    bool unreadable = false;
    const std::optional<int> version = DatabaseVersion(c, unreadable);
    if (!version) {
        const std::string reason = why(c);
        Exec(c, "ROLLBACK");
        result.status = !unreadable ? ArchiveStatus{ArchiveError::NotAnArchive,
                                                "The database " + shown +
                                                    " holds tables of something other than an "
                                                    "archive of this program."}
                                       : ArchiveStatus{ArchiveError::CannotOpen,
                                                "The archive " + shown + " cannot be read: " +
                                                    reason + "."};
        return result;
    }
    if (*version == 0)
        if (const std::optional<std::string> foreign = TablesOfAnotherRole(c, shown)) {
            Exec(c, "ROLLBACK");
            result.status = ArchiveStatus{ArchiveError::CannotOpen, *foreign};
            return result;
        }
    if (*version > CurrentSchemaVersion()) {
        Exec(c, "ROLLBACK");
        result.status =
            ArchiveStatus{ArchiveError::NewerSchema,
                   "The archive " + shown + " was written by a newer version of this " +
                       "program (schema " + std::to_string(*version) + ", this one knows up to " +
                       std::to_string(CurrentSchemaVersion()) + "); it is left as it is."};
        return result;
    }
    if (toRead && *version < CurrentSchemaVersion()) {
        Exec(c, "ROLLBACK");
        result.status =
            *version == 0
                ? ArchiveStatus{ArchiveError::NotAnArchive,
                                "The database " + shown + " holds no archive of this program."}
                : ArchiveStatus{ArchiveError::OlderSchema,
                                "The archive " + shown +
                                    " was written by an older version of this program (schema " +
                                    std::to_string(*version) + ", this one knows up to " +
                                    std::to_string(CurrentSchemaVersion()) +
                                    "); open it for writing once to upgrade it."};
        return result;
    }
    bool ok = true;
    const auto steps = PostgresSchemaSteps();
    for (std::size_t i = static_cast<std::size_t>(*version); ok && i < steps.size(); ++i)
        ok = Exec(c, steps[i]);
    if (ok && *version < CurrentSchemaVersion()) {
        Params p;
        p.Text(std::to_string(CurrentSchemaVersion()));
        ok = Succeeded(Run(c,
                           "INSERT INTO meta (key, value) VALUES ('schema_version', $1) "
                           "ON CONFLICT (key) DO UPDATE SET value = excluded.value",
                           p));
    }
    if (ok && *version < kTwinMergeVersion) {
        const Result merged = Run(c, std::string(MergedTwinsQuery()));
        ok = Succeeded(merged) && Exec(c, DropMergedTwins());
        for (int row = 0; ok && row < PQntuples(merged.get()); ++row)
            result.merged.push_back({Cell(merged, row, 0), Cell(merged, row, 1),
                                     Cell(merged, row, 2),
                                     static_cast<std::size_t>(IntCell(merged, row, 3))});
    }
    if (!ok || !Exec(c, "COMMIT")) {
        result.merged.clear();
        result.status = ArchiveStatus{ArchiveError::CannotOpen,
                               "The archive " + shown + " cannot be brought to this version: " +
                                   why(c) + "; it is left as it was."};
        Exec(c, "ROLLBACK");
        return result;
    }
    result.store = std::make_unique<PostgresArchive>(std::move(conn), shown, toRead);
    return result;
}

}  // namespace

OpenResult OpenPostgresArchive(const std::string& url) {
    return Open(url, false);
}

OpenResult OpenPostgresArchiveToRead(const std::string& url) {
    return Open(url, true);
}

}  // namespace lgcset::archive
