#include "archive/sqlite_change_records.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

#include "archive/audit_chain.h"
#include "archive/sqlite_statement.h"

namespace lgcset::archive::sqlite {

namespace {

template <class Row>
Rows<Row> Failed(ArchiveError error, std::string message) {
    return {{}, {error, std::move(message)}};
}

template <class Row>
Rows<Row> ReadFailed(const std::string& name, const std::string& why) {
    return Failed<Row>(ArchiveError::ReadFailed,
                       "The archive " + name + " could not be read: " + why + ".");
}

template <class Row>
Rows<Row> WriteFailed(sqlite3* db, const std::string& name, std::string_view what,
                      const std::string& why) {
    Exec(db, "ROLLBACK");
    return Failed<Row>(ArchiveError::WriteFailed, "The " + std::string(what) +
                                                      " could not be kept in " + name + ": " +
                                                      why + "; the archive is as it was before it.");
}

// Snapshots with their pages, `where` choosing them (its parameters bound by `bind`).
template <class Bind>
Rows<SettingsSnapshot> ReadSnapshots(sqlite3* db, const std::string& name, std::string_view where,
                                     Bind bind) {
    const Stmt s = Prepare(db, R"sql(
SELECT s.id, s.device_id, s.model, s.firmware, s.at, s.reason, p.address, p.bytes
FROM settings_snapshots AS s LEFT JOIN snapshot_pages AS p ON p.snapshot_id = s.id
)sql" + std::string(where) + " ORDER BY s.at, s.id, p.address");
    if (!s)
        return ReadFailed<SettingsSnapshot>(name, sqlite3_errmsg(db));
    bind(s.get());
    Rows<SettingsSnapshot> result;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(s.get())) == SQLITE_ROW) {
        const std::int64_t id = sqlite3_column_int64(s.get(), 0);
        if (result.rows.empty() || result.rows.back().id != id) {
            const std::string reason = ColumnText(s.get(), 5);
            const std::optional<SnapshotReason> known = SnapshotReasonFromText(reason);
            if (!known)
                return ReadFailed<SettingsSnapshot>(
                    name, "snapshot " + std::to_string(id) + " was taken for \"" + reason +
                              "\", which this program does not know");
            SettingsSnapshot& snapshot = result.rows.emplace_back();
            snapshot.id = id;
            snapshot.deviceId = ColumnText(s.get(), 1);
            snapshot.model = ColumnText(s.get(), 2);
            snapshot.firmware = ColumnText(s.get(), 3);
            snapshot.at = sqlite3_column_int64(s.get(), 4);
            snapshot.reason = *known;
        }
        if (sqlite3_column_type(s.get(), 6) == SQLITE_NULL)
            continue;
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(s.get(), 7));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(s.get(), 7));
        result.rows.back().pages[static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 6))] =
            std::vector<std::uint8_t>(bytes, bytes + size);
    }
    if (step != SQLITE_DONE)
        return ReadFailed<SettingsSnapshot>(name, sqlite3_errmsg(db));
    return result;
}

// The row at the current step of an audit query (columns as kAuditColumns), or why not.
std::optional<AuditRow> AuditRowAt(sqlite3_stmt* s, std::string& why) {
    AuditRow row;
    row.sequence = sqlite3_column_int64(s, 0);
    AuditEntry& e = row.entry;
    e.at = sqlite3_column_int64(s, 1);
    e.user = ColumnText(s, 2);
    e.role = ColumnText(s, 3);
    e.host = ColumnText(s, 4);
    e.program = ColumnText(s, 5);
    e.deviceId = ColumnText(s, 6);
    e.model = ColumnText(s, 7);
    const std::string action = ColumnText(s, 8);
    e.detail = ColumnText(s, 9);
    const std::string result = ColumnText(s, 10);
    e.why = ColumnText(s, 11);
    e.reason = ColumnText(s, 12);
    row.previousHash = ColumnText(s, 13);
    row.hash = ColumnText(s, 14);
    if (!TakeStoredTexts(row, action, result, why))
        return std::nullopt;
    return row;
}

constexpr std::string_view kAuditColumns =
    "sequence, at, user_name, role, host, program, device_id, model, action, detail, result, "
    "why, reason, previous_hash, hash";

// The last row's sequence and hash: 0 and the first row's previous hash when there is none.
std::optional<std::pair<std::int64_t, std::string>> LastLink(sqlite3* db, std::string& why) {
    const Stmt s = Prepare(db, "SELECT sequence, hash FROM audit_trail "
                               "ORDER BY sequence DESC LIMIT 1");
    const int step = s ? sqlite3_step(s.get()) : SQLITE_ERROR;
    if (step == SQLITE_ROW)
        return std::pair{sqlite3_column_int64(s.get(), 0), ColumnText(s.get(), 1)};
    if (step == SQLITE_DONE)
        return std::pair{std::int64_t{0}, std::string(kFirstPreviousHash)};
    why = sqlite3_errmsg(db);
    return std::nullopt;
}

// Empty when stored; else why not, read before the statement is finalized (which clears it).
std::string InsertAudit(sqlite3* db, const AuditRow& row) {
    const Stmt s = Prepare(db, "INSERT INTO audit_trail (" + std::string(kAuditColumns) +
                                   ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, "
                                   "?13, ?14, ?15)");
    if (!s)
        return sqlite3_errmsg(db);
    const AuditEntry& e = row.entry;
    sqlite3_bind_int64(s.get(), 1, row.sequence);
    sqlite3_bind_int64(s.get(), 2, e.at);
    int index = 3;
    for (const std::string_view text :
         {std::string_view(e.user), std::string_view(e.role), std::string_view(e.host),
          std::string_view(e.program), std::string_view(e.deviceId), std::string_view(e.model),
          AuditActionText(e.action), std::string_view(e.detail), AuditResultText(e.result),
          std::string_view(e.why), std::string_view(e.reason),
          std::string_view(row.previousHash), std::string_view(row.hash)})
        BindText(s.get(), index++, text);
    return sqlite3_step(s.get()) == SQLITE_DONE ? std::string() : sqlite3_errmsg(db);
}

// The snapshot's rows, in the transaction open; its id, or the database's words.
std::optional<std::int64_t> InsertSnapshot(sqlite3* db, const SettingsSnapshot& snapshot,
                                           std::string& why) {
    std::int64_t id = 0;
    {
        const Stmt s = Prepare(db, "INSERT INTO settings_snapshots (device_id, model, firmware, "
                                   "at, reason) VALUES (?1, ?2, ?3, ?4, ?5)");
        if (!s)
            return why = sqlite3_errmsg(db), std::nullopt;
        BindText(s.get(), 1, snapshot.deviceId);
        BindText(s.get(), 2, snapshot.model);
        BindText(s.get(), 3, snapshot.firmware);
        sqlite3_bind_int64(s.get(), 4, snapshot.at);
        BindText(s.get(), 5, SnapshotReasonText(snapshot.reason));
        if (sqlite3_step(s.get()) != SQLITE_DONE)
            return why = sqlite3_errmsg(db), std::nullopt;
        id = sqlite3_last_insert_rowid(db);
    }
    const Stmt page = Prepare(
        db, "INSERT INTO snapshot_pages (snapshot_id, address, bytes) VALUES (?1, ?2, ?3)");
    if (!page)
        return why = sqlite3_errmsg(db), std::nullopt;
    for (const auto& [address, bytes] : snapshot.pages) {
        sqlite3_reset(page.get());
        sqlite3_bind_int64(page.get(), 1, id);
        sqlite3_bind_int64(page.get(), 2, address);
        // A null pointer would bind NULL, not an empty page.
        if (bytes.empty())
            sqlite3_bind_zeroblob(page.get(), 3, 0);
        else
            sqlite3_bind_blob(page.get(), 3, bytes.data(), static_cast<int>(bytes.size()),
                              SQLITE_TRANSIENT);
        if (sqlite3_step(page.get()) != SQLITE_DONE)
            return why = sqlite3_errmsg(db), std::nullopt;
    }
    return id;
}

}  // namespace

Rows<SettingsSnapshot> AddSnapshot(sqlite3* db, const std::string& name,
                                   const SettingsSnapshot& snapshot) {
    constexpr std::string_view kWhat = "settings snapshot";
    if (!Exec(db, "BEGIN IMMEDIATE"))
        return WriteFailed<SettingsSnapshot>(db, name, kWhat, sqlite3_errmsg(db));
    std::string why;
    const std::optional<std::int64_t> id = InsertSnapshot(db, snapshot, why);
    if (!id)
        return WriteFailed<SettingsSnapshot>(db, name, kWhat, why);
    if (!Exec(db, "COMMIT"))
        return WriteFailed<SettingsSnapshot>(db, name, kWhat, sqlite3_errmsg(db));
    SettingsSnapshot kept = snapshot;
    kept.id = *id;
    return {{std::move(kept)}, {}};
}

Rows<SettingsSnapshot> Snapshots(sqlite3* db, const std::string& name,
                                 const std::string& deviceId) {
    return ReadSnapshots(db, name, "WHERE ?1 = '' OR s.device_id = ?1",
                         [&](sqlite3_stmt* s) { BindText(s, 1, deviceId); });
}

Rows<SettingsSnapshot> Snapshot(sqlite3* db, const std::string& name, std::int64_t id) {
    return ReadSnapshots(db, name, "WHERE s.id = ?1",
                         [&](sqlite3_stmt* s) { sqlite3_bind_int64(s, 1, id); });
}

Rows<AuditRow> AppendAudit(sqlite3* db, const std::string& name, const AuditEntry& entry,
                           std::span<const SettingsSnapshot> keptWith) {
    constexpr std::string_view kWhat = "audit row";
    if (!Exec(db, "BEGIN IMMEDIATE"))
        return WriteFailed<AuditRow>(db, name, kWhat, sqlite3_errmsg(db));
    std::string why;
    for (const SettingsSnapshot& snapshot : keptWith)
        if (!InsertSnapshot(db, snapshot, why))
            return WriteFailed<AuditRow>(db, name, kWhat, why);
    const auto last = LastLink(db, why);
    if (!last)
        return WriteFailed<AuditRow>(db, name, kWhat, why);
    AuditRow row;
    row.sequence = last->first + 1;
    row.entry = entry;
    row.entry.role.clear();
    row.previousHash = last->second;
    // The system's crypto refusing is the one failure that comes as an exception; the
    // transaction it would leave open holds the file's write lock.
    try {
        row.hash = ChainHash(row.previousHash, row.sequence, row.entry);
    } catch (const std::runtime_error& error) {
        return WriteFailed<AuditRow>(db, name, kWhat, error.what());
    }
    if (why = InsertAudit(db, row); !why.empty())
        return WriteFailed<AuditRow>(db, name, kWhat, why);
    if (!Exec(db, "COMMIT"))
        return WriteFailed<AuditRow>(db, name, kWhat, sqlite3_errmsg(db));
    return {{std::move(row)}, {}};
}

Rows<AuditRow> AuditTrail(sqlite3* db, const std::string& name, const AuditFilter& filter) {
    const Stmt s = Prepare(db, "SELECT " + std::string(kAuditColumns) +
                                   " FROM audit_trail WHERE (?1 IS NULL OR device_id = ?1) "
                                   "AND (?2 IS NULL OR at >= ?2) AND (?3 IS NULL OR at <= ?3) "
                                   "ORDER BY sequence");
    if (!s)
        return ReadFailed<AuditRow>(name, sqlite3_errmsg(db));
    if (filter.deviceId)
        BindText(s.get(), 1, *filter.deviceId);
    if (filter.from)
        sqlite3_bind_int64(s.get(), 2, *filter.from);
    if (filter.to)
        sqlite3_bind_int64(s.get(), 3, *filter.to);
    Rows<AuditRow> result;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(s.get())) == SQLITE_ROW) {
        std::string why;
        std::optional<AuditRow> row = AuditRowAt(s.get(), why);
        if (!row)
            return ReadFailed<AuditRow>(name, why);
        result.rows.push_back(std::move(*row));
    }
    if (step != SQLITE_DONE)
        return ReadFailed<AuditRow>(name, sqlite3_errmsg(db));
    return result;
}

}  // namespace lgcset::archive::sqlite
