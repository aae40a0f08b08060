#include "archive/postgres_change_records.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

#include "archive/audit_chain.h"
#include "archive/postgres_statement.h"

namespace lgcset::archive::postgres {

namespace {

// Serialises the appends of every program on the same database.
constexpr std::string_view kAuditLock = "SELECT pg_advisory_xact_lock(4807352)";

std::string Why(PGconn* c, const Result& r) {
    return Trimmed(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(c));
}

template <class Row>
Rows<Row> ReadFailed(const std::string& shown, const std::string& why) {
    return {{}, {ArchiveError::ReadFailed, "The archive " + shown + " could not be read: " + why + "."}};
}

template <class Row>
Rows<Row> WriteFailed(PGconn* c, const std::string& shown, std::string_view what,
                      const std::string& why) {
    Exec(c, "ROLLBACK");
    return {{},
            {ArchiveError::WriteFailed, "The " + std::string(what) + " could not be kept in " +
                                            shown + ": " + why +
                                            "; the archive is as it was before it."}};
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0f];
    }
    return text;
}

std::vector<std::uint8_t> Bytes(std::string_view hex) {
    std::vector<std::uint8_t> bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, bytes[i], 16);
    return bytes;
}

Rows<SettingsSnapshot> ReadSnapshots(PGconn* c, const std::string& shown, std::string_view where,
                                     const Params& p) {
    const Result r = Run(c, R"sql(
SELECT s.id, s.device_id, s.model, s.firmware, s.at, s.reason, p.address, encode(p.bytes, 'hex')
FROM settings_snapshots AS s LEFT JOIN snapshot_pages AS p ON p.snapshot_id = s.id
)sql" + std::string(where) + " ORDER BY s.at, s.id, p.address",
                         p);
    if (!r || PQresultStatus(r.get()) != PGRES_TUPLES_OK)
        return ReadFailed<SettingsSnapshot>(shown, Why(c, r));
    Rows<SettingsSnapshot> result;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        const std::int64_t id = IntCell(r, row, 0);
        if (result.rows.empty() || result.rows.back().id != id) {
            const std::string reason = Cell(r, row, 5);
            const std::optional<SnapshotReason> known = SnapshotReasonFromText(reason);
            if (!known)
                return ReadFailed<SettingsSnapshot>(
                    shown, "snapshot " + std::to_string(id) + " was taken for \"" + reason +
                               "\", which this program does not know");
            SettingsSnapshot& snapshot = result.rows.emplace_back();
            snapshot.id = id;
            snapshot.deviceId = Cell(r, row, 1);
            snapshot.model = Cell(r, row, 2);
            snapshot.firmware = Cell(r, row, 3);
            snapshot.at = IntCell(r, row, 4);
            snapshot.reason = *known;
        }
        if (!PQgetisnull(r.get(), row, 6))
            result.rows.back().pages[static_cast<std::uint32_t>(IntCell(r, row, 6))] =
                Bytes(Cell(r, row, 7));
    }
    return result;
}

constexpr std::string_view kAuditColumns =
    "sequence, at, user_name, role, host, program, device_id, model, action, detail, result, "
    "why, reason, previous_hash, hash";

std::optional<AuditRow> AuditRowAt(const Result& r, int index, std::string& why) {
    AuditRow row;
    row.sequence = IntCell(r, index, 0);
    AuditEntry& e = row.entry;
    e.at = IntCell(r, index, 1);
    e.user = Cell(r, index, 2);
    e.role = Cell(r, index, 3);
    e.host = Cell(r, index, 4);
    e.program = Cell(r, index, 5);
    e.deviceId = Cell(r, index, 6);
    e.model = Cell(r, index, 7);
    const std::string action = Cell(r, index, 8);
    e.detail = Cell(r, index, 9);
    const std::string result = Cell(r, index, 10);
    e.why = Cell(r, index, 11);
    e.reason = Cell(r, index, 12);
    row.previousHash = Cell(r, index, 13);
    row.hash = Cell(r, index, 14);
    if (!TakeStoredTexts(row, action, result, why))
        return std::nullopt;
    return row;
}

}  // namespace

namespace {

// The snapshot's rows, in the transaction open; its id, or the failed statement's words.
std::optional<std::int64_t> InsertSnapshot(PGconn* c, const SettingsSnapshot& snapshot,
                                           std::string& why) {
    Params p;
    p.Text(snapshot.deviceId);
    p.Text(snapshot.model);
    p.Text(snapshot.firmware);
    p.Int(snapshot.at);
    p.Text(std::string(SnapshotReasonText(snapshot.reason)));
    const Result made = Run(c,
                            "INSERT INTO settings_snapshots (device_id, model, firmware, at, "
                            "reason) VALUES ($1, $2, $3, $4, $5) RETURNING id",
                            p);
    if (!Succeeded(made) || PQntuples(made.get()) != 1)
        return why = Why(c, made), std::nullopt;
    const std::int64_t id = IntCell(made, 0, 0);
    for (const auto& [address, bytes] : snapshot.pages) {
        Params page;
        page.Int(id);
        page.Int(address);
        page.Text(Hex(bytes));
        const Result stored = Run(c,
                                  "INSERT INTO snapshot_pages (snapshot_id, address, bytes) "
                                  "VALUES ($1, $2, decode($3, 'hex'))",
                                  page);
        if (!Succeeded(stored))
            return why = Why(c, stored), std::nullopt;
    }
    return id;
}

}  // namespace

Rows<SettingsSnapshot> AddSnapshot(PGconn* c, const std::string& shown,
                                   const SettingsSnapshot& snapshot) {
    constexpr std::string_view kWhat = "settings snapshot";
    if (!Exec(c, "BEGIN"))
        return WriteFailed<SettingsSnapshot>(c, shown, kWhat, Trimmed(PQerrorMessage(c)));
    std::string why;
    const std::optional<std::int64_t> id = InsertSnapshot(c, snapshot, why);
    if (!id)
        return WriteFailed<SettingsSnapshot>(c, shown, kWhat, why);
    const Result committed(PQexec(c, "COMMIT"));
    if (!Succeeded(committed))
        return WriteFailed<SettingsSnapshot>(c, shown, kWhat, Why(c, committed));
    SettingsSnapshot kept = snapshot;
    kept.id = *id;
    return {{std::move(kept)}, {}};
}

Rows<SettingsSnapshot> Snapshots(PGconn* c, const std::string& shown, const std::string& deviceId) {
    Params p;
    p.Text(deviceId);
    return ReadSnapshots(c, shown, "WHERE $1 = '' OR s.device_id = $1", p);
}

Rows<SettingsSnapshot> Snapshot(PGconn* c, const std::string& shown, std::int64_t id) {
    Params p;
    p.Int(id);
    return ReadSnapshots(c, shown, "WHERE s.id = $1", p);
}

Rows<AuditRow> AppendAudit(PGconn* c, const std::string& shown, const AuditEntry& entry,
                           std::span<const SettingsSnapshot> keptWith) {
    constexpr std::string_view kWhat = "audit row";
    if (!Exec(c, "BEGIN"))
        return WriteFailed<AuditRow>(c, shown, kWhat, Trimmed(PQerrorMessage(c)));
    // The last row is read after the lock is held, so that it is the one committed last.
    const Result locked(PQexec(c, std::string(kAuditLock).c_str()));
    if (!Succeeded(locked))
        return WriteFailed<AuditRow>(c, shown, kWhat, Why(c, locked));
    const Result last = Run(c, R"sql(
SELECT current_user, a.sequence, a.hash
FROM (SELECT 1) AS one
LEFT JOIN (SELECT sequence, hash FROM audit_trail ORDER BY sequence DESC LIMIT 1) AS a ON true)sql");
    if (!Succeeded(last) || PQntuples(last.get()) != 1)
        return WriteFailed<AuditRow>(c, shown, kWhat, Why(c, last));
    std::string why;
    for (const SettingsSnapshot& snapshot : keptWith)
        if (!InsertSnapshot(c, snapshot, why))
            return WriteFailed<AuditRow>(c, shown, kWhat, why);
    AuditRow row;
    row.entry = entry;
    row.entry.role = Cell(last, 0, 0);
    const bool first = PQgetisnull(last.get(), 0, 1);
    row.sequence = first ? 1 : IntCell(last, 0, 1) + 1;
    row.previousHash = first ? std::string(kFirstPreviousHash) : Cell(last, 0, 2);
    // The system's crypto refusing is the one failure that comes as an exception.
    try {
        row.hash = ChainHash(row.previousHash, row.sequence, row.entry);
    } catch (const std::runtime_error& error) {
        return WriteFailed<AuditRow>(c, shown, kWhat, error.what());
    }
    const AuditEntry& e = row.entry;
    Params p;
    p.Int(row.sequence);
    p.Int(e.at);
    for (const std::string_view text :
         {std::string_view(e.user), std::string_view(e.role), std::string_view(e.host),
          std::string_view(e.program), std::string_view(e.deviceId), std::string_view(e.model),
          AuditActionText(e.action), std::string_view(e.detail), AuditResultText(e.result),
          std::string_view(e.why), std::string_view(e.reason),
          std::string_view(row.previousHash), std::string_view(row.hash)})
        p.Text(std::string(text));
    const Result inserted = Run(c,
                                "INSERT INTO audit_trail (" + std::string(kAuditColumns) +
                                    ") VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, "
                                    "$12, $13, $14, $15)",
                                p);
    if (!Succeeded(inserted))
        return WriteFailed<AuditRow>(c, shown, kWhat, Why(c, inserted));
    const Result committed(PQexec(c, "COMMIT"));
    if (!Succeeded(committed))
        return WriteFailed<AuditRow>(c, shown, kWhat, Why(c, committed));
    return {{std::move(row)}, {}};
}

Rows<AuditRow> AuditTrail(PGconn* c, const std::string& shown, const AuditFilter& filter) {
    Params p;
    if (filter.deviceId)
        p.Text(*filter.deviceId);
    else
        p.Null();
    for (const std::optional<std::int64_t>& bound : {filter.from, filter.to}) {
        if (bound)
            p.Int(*bound);
        else
            p.Null();
    }
    const Result r = Run(c,
                         "SELECT " + std::string(kAuditColumns) +
                             " FROM audit_trail WHERE ($1::text IS NULL OR device_id = $1) "
                             "AND ($2::bigint IS NULL OR at >= $2) "
                             "AND ($3::bigint IS NULL OR at <= $3) ORDER BY sequence",
                         p);
    if (!r || PQresultStatus(r.get()) != PGRES_TUPLES_OK)
        return ReadFailed<AuditRow>(shown, Why(c, r));
    Rows<AuditRow> result;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        std::string why;
        std::optional<AuditRow> read = AuditRowAt(r, row, why);
        if (!read)
            return ReadFailed<AuditRow>(shown, why);
        result.rows.push_back(std::move(*read));
    }
    return result;
}

}  // namespace lgcset::archive::postgres
