#include "archive/archive_schema.h"

#include <array>

namespace lgcset::archive {

namespace {

// Times of downloads are seconds since 1970 UTC; times of readings are the logger's clock
// counted the same way without a zone. An absent sensor or position value is NULL; a
// sensor's NaN, which SQLite would turn into NULL, is the text 'NaN'.
constexpr std::string_view kVersion1 = R"sql(
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE loggers (
  id INTEGER PRIMARY KEY,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  firmware TEXT NOT NULL DEFAULT '',
  first_seen INTEGER NOT NULL,
  last_seen INTEGER NOT NULL,
  UNIQUE (device_id, model));
CREATE TABLE downloads (
  id INTEGER PRIMARY KEY,
  logger_id INTEGER NOT NULL REFERENCES loggers (id),
  at INTEGER NOT NULL,
  range_from TEXT NOT NULL,
  range_to TEXT NOT NULL,
  received INTEGER NOT NULL,
  added INTEGER NOT NULL,
  source TEXT NOT NULL,
  workbook TEXT NOT NULL,
  workbook_sha256 TEXT NOT NULL,
  csv TEXT NOT NULL,
  csv_sha256 TEXT NOT NULL);
CREATE TABLE readings (
  logger_id INTEGER NOT NULL REFERENCES loggers (id),
  t INTEGER NOT NULL,
  sensor1 REAL, sensor2 REAL, sensor3 REAL, sensor4 REAL,
  longitude INTEGER, latitude INTEGER, velocity INTEGER, direction INTEGER,
  download_id INTEGER NOT NULL REFERENCES downloads (id));
CREATE INDEX readings_by_time ON readings (logger_id, t);
)sql";

// Loggers once archived under a device ID typed short ("101"): each is merged into the
// logger's own form of it ('0' on the left), which is made when missing. A reading the
// padded logger (or a twin merged before it) holds already is dropped rather than kept
// twice. merged_twins is left for the opener to say what was merged.
constexpr std::string_view kVersion2 = R"sql(
CREATE TEMP TABLE merged_twins AS
SELECT id AS twin, device_id, model,
       substr('000000000000000' || device_id, length(device_id) + 1) AS into_id,
       (SELECT count(*) FROM readings WHERE logger_id = loggers.id) AS readings
FROM loggers
WHERE device_id <> '' AND length(device_id) < 15 AND device_id NOT GLOB '*[^0-9]*';
INSERT INTO loggers (device_id, model, firmware, first_seen, last_seen)
SELECT m.into_id, m.model, '', min(l.first_seen), max(l.last_seen)
FROM merged_twins AS m JOIN loggers AS l ON l.id = m.twin
WHERE NOT EXISTS (SELECT 1 FROM loggers WHERE device_id = m.into_id AND model = m.model)
GROUP BY m.into_id, m.model;
CREATE TEMP TABLE twin_moves AS
SELECT m.twin, l.id AS target
FROM merged_twins AS m JOIN loggers AS l ON l.device_id = m.into_id AND l.model = m.model;
UPDATE loggers SET
  first_seen = min(first_seen, (SELECT min(t.first_seen) FROM twin_moves AS v
                                JOIN loggers AS t ON t.id = v.twin WHERE v.target = loggers.id)),
  last_seen = max(last_seen, (SELECT max(t.last_seen) FROM twin_moves AS v
                              JOIN loggers AS t ON t.id = v.twin WHERE v.target = loggers.id)),
  firmware = coalesce((SELECT t.firmware FROM twin_moves AS v JOIN loggers AS t ON t.id = v.twin
                       WHERE v.target = loggers.id AND t.firmware <> ''
                         AND (t.last_seen > loggers.last_seen OR loggers.firmware = '')
                       ORDER BY t.last_seen DESC LIMIT 1), firmware)
WHERE id IN (SELECT target FROM twin_moves);
DELETE FROM readings WHERE rowid IN (
  SELECT r.rowid FROM readings AS r JOIN twin_moves AS v ON v.twin = r.logger_id
  WHERE EXISTS (
    SELECT 1 FROM readings AS o
    WHERE (o.logger_id = v.target
           OR (o.logger_id IN (SELECT twin FROM twin_moves WHERE target = v.target)
               AND o.rowid < r.rowid))
      AND o.t = r.t AND o.sensor1 IS r.sensor1 AND o.sensor2 IS r.sensor2
      AND o.sensor3 IS r.sensor3 AND o.sensor4 IS r.sensor4 AND o.longitude IS r.longitude
      AND o.latitude IS r.latitude AND o.velocity IS r.velocity
      AND o.direction IS r.direction));
UPDATE readings SET logger_id = (SELECT target FROM twin_moves WHERE twin = readings.logger_id)
WHERE logger_id IN (SELECT twin FROM twin_moves);
UPDATE downloads SET logger_id = (SELECT target FROM twin_moves WHERE twin = downloads.logger_id)
WHERE logger_id IN (SELECT twin FROM twin_moves);
DELETE FROM loggers WHERE id IN (SELECT twin FROM twin_moves);
DROP TABLE twin_moves;
)sql";

// What was done to loggers and records and by whom, and the settings each logger held. A
// snapshot's pages are rows of their own, by address. The audit trail's sequence is given
// by the archive (the last one plus one), never by the table, and its rows are never
// changed or removed: the triggers refuse it, so that only someone who drops them first can.
// Made only when missing, so that a file marked older than it is runs the step again unharmed.
constexpr std::string_view kVersion3 = R"sql(
CREATE TABLE IF NOT EXISTS settings_snapshots (
  id INTEGER PRIMARY KEY,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  firmware TEXT NOT NULL,
  at INTEGER NOT NULL,
  reason TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS settings_snapshots_by_device ON settings_snapshots (device_id, at);
CREATE TABLE IF NOT EXISTS snapshot_pages (
  snapshot_id INTEGER NOT NULL REFERENCES settings_snapshots (id),
  address INTEGER NOT NULL,
  bytes BLOB NOT NULL,
  PRIMARY KEY (snapshot_id, address));
CREATE TABLE IF NOT EXISTS audit_trail (
  sequence INTEGER PRIMARY KEY,
  at INTEGER NOT NULL,
  user_name TEXT NOT NULL,
  role TEXT NOT NULL,
  host TEXT NOT NULL,
  program TEXT NOT NULL,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  action TEXT NOT NULL,
  detail TEXT NOT NULL,
  result TEXT NOT NULL,
  why TEXT NOT NULL,
  reason TEXT NOT NULL,
  previous_hash TEXT NOT NULL,
  hash TEXT NOT NULL);
CREATE TRIGGER IF NOT EXISTS audit_trail_not_changed BEFORE UPDATE ON audit_trail
BEGIN SELECT RAISE(ABORT, 'audit rows are never changed'); END;
CREATE TRIGGER IF NOT EXISTS audit_trail_not_removed BEFORE DELETE ON audit_trail
BEGIN SELECT RAISE(ABORT, 'audit rows are never removed'); END;
)sql";

// The calibration register: entries are appended, never changed; a later entry for the same
// logger and sensor stands for it. The two clock columns of downloads (SqliteAddedColumns)
// come with this step.
constexpr std::string_view kVersion4 = R"sql(
CREATE TABLE IF NOT EXISTS calibrations (
  id INTEGER PRIMARY KEY,
  device_id TEXT NOT NULL,
  sensor INTEGER NOT NULL,
  certificate TEXT NOT NULL,
  calibrated TEXT NOT NULL,
  due TEXT NOT NULL,
  note TEXT NOT NULL,
  entered_by TEXT NOT NULL,
  entered_at INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS calibrations_by_device ON calibrations (device_id, sensor, id);
CREATE TRIGGER IF NOT EXISTS calibrations_not_changed BEFORE UPDATE ON calibrations
BEGIN SELECT RAISE(ABORT, 'calibration entries are never changed'); END;
CREATE TRIGGER IF NOT EXISTS calibrations_not_removed BEFORE DELETE ON calibrations
BEGIN SELECT RAISE(ABORT, 'calibration entries are never removed'); END;
)sql";

constexpr std::array<std::string_view, 4> kSteps = {kVersion1, kVersion2, kVersion3, kVersion4};

// The logger's clock against the computer's at each download, unknown (NULL) for those
// archived before and for a clock that could not be read.
constexpr std::array<AddedColumn, 2> kSqliteAddedColumns = {{
    {4, "downloads", "clock_offset", "INTEGER"},
    {4, "downloads", "utc_offset", "INTEGER"},
}};

// The same tables in PostgreSQL. Concurrent writers are the point here, so a reading is
// kept once by a unique constraint (NULLs equal: an absent value matches only an absent
// one) rather than by looking first; its index serves a range too. A row key on readings
// keeps the order in which readings at the same time came.
constexpr std::string_view kPostgresVersion1 = R"sql(
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE loggers (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  firmware TEXT NOT NULL DEFAULT '',
  first_seen BIGINT NOT NULL,
  last_seen BIGINT NOT NULL,
  UNIQUE (device_id, model));
CREATE TABLE downloads (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  logger_id BIGINT NOT NULL REFERENCES loggers (id),
  at BIGINT NOT NULL,
  range_from TEXT NOT NULL,
  range_to TEXT NOT NULL,
  received BIGINT NOT NULL,
  added BIGINT NOT NULL,
  source TEXT NOT NULL,
  workbook TEXT NOT NULL,
  workbook_sha256 TEXT NOT NULL,
  csv TEXT NOT NULL,
  csv_sha256 TEXT NOT NULL);
CREATE TABLE readings (
  id BIGINT GENERATED ALWAYS AS IDENTITY,
  logger_id BIGINT NOT NULL REFERENCES loggers (id),
  t BIGINT NOT NULL,
  sensor1 DOUBLE PRECISION, sensor2 DOUBLE PRECISION,
  sensor3 DOUBLE PRECISION, sensor4 DOUBLE PRECISION,
  longitude BIGINT, latitude BIGINT, velocity BIGINT, direction BIGINT,
  download_id BIGINT NOT NULL REFERENCES downloads (id),
  CONSTRAINT readings_once UNIQUE NULLS NOT DISTINCT
    (logger_id, t, sensor1, sensor2, sensor3, sensor4, longitude, latitude, velocity, direction));
CREATE INDEX readings_by_download ON readings (download_id);
)sql";

// The same merge; the readings_once constraint would refuse a reading moved beside its
// double, so those go first.
constexpr std::string_view kPostgresVersion2 = R"sql(
CREATE TEMP TABLE merged_twins AS
SELECT id AS twin, device_id, model, lpad(device_id, 15, '0') AS into_id,
       (SELECT count(*) FROM readings WHERE logger_id = loggers.id) AS readings
FROM loggers
WHERE device_id ~ '^[0-9]{1,14}$';
INSERT INTO loggers (device_id, model, firmware, first_seen, last_seen)
SELECT m.into_id, m.model, '', min(l.first_seen), max(l.last_seen)
FROM merged_twins AS m JOIN loggers AS l ON l.id = m.twin
WHERE NOT EXISTS (SELECT 1 FROM loggers WHERE device_id = m.into_id AND model = m.model)
GROUP BY m.into_id, m.model;
CREATE TEMP TABLE twin_moves AS
SELECT m.twin, l.id AS target
FROM merged_twins AS m JOIN loggers AS l ON l.device_id = m.into_id AND l.model = m.model;
UPDATE loggers SET
  first_seen = least(first_seen, (SELECT min(t.first_seen) FROM twin_moves AS v
                                  JOIN loggers AS t ON t.id = v.twin WHERE v.target = loggers.id)),
  last_seen = greatest(last_seen, (SELECT max(t.last_seen) FROM twin_moves AS v
                                   JOIN loggers AS t ON t.id = v.twin WHERE v.target = loggers.id)),
  firmware = coalesce((SELECT t.firmware FROM twin_moves AS v JOIN loggers AS t ON t.id = v.twin
                       WHERE v.target = loggers.id AND t.firmware <> ''
                         AND (t.last_seen > loggers.last_seen OR loggers.firmware = '')
                       ORDER BY t.last_seen DESC LIMIT 1), firmware)
WHERE id IN (SELECT target FROM twin_moves);
DELETE FROM readings AS r USING twin_moves AS v
WHERE v.twin = r.logger_id AND EXISTS (
  SELECT 1 FROM readings AS o
  WHERE (o.logger_id = v.target
         OR (o.logger_id IN (SELECT twin FROM twin_moves WHERE target = v.target)
             AND o.id < r.id))
    AND o.t = r.t
    AND (o.sensor1, o.sensor2, o.sensor3, o.sensor4, o.longitude, o.latitude, o.velocity,
         o.direction) IS NOT DISTINCT FROM
        (r.sensor1, r.sensor2, r.sensor3, r.sensor4, r.longitude, r.latitude, r.velocity,
         r.direction));
UPDATE readings AS r SET logger_id = v.target FROM twin_moves AS v WHERE v.twin = r.logger_id;
UPDATE downloads AS d SET logger_id = v.target FROM twin_moves AS v WHERE v.twin = d.logger_id;
DELETE FROM loggers WHERE id IN (SELECT twin FROM twin_moves);
DROP TABLE twin_moves;
)sql";

// The same tables. A collecting role is granted only INSERT and SELECT on the audit trail
// (docs/archive-grants.sql); the triggers refuse a change or removal by its owner too.
constexpr std::string_view kPostgresVersion3 = R"sql(
CREATE TABLE IF NOT EXISTS settings_snapshots (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  firmware TEXT NOT NULL,
  at BIGINT NOT NULL,
  reason TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS settings_snapshots_by_device ON settings_snapshots (device_id, at);
CREATE TABLE IF NOT EXISTS snapshot_pages (
  snapshot_id BIGINT NOT NULL REFERENCES settings_snapshots (id),
  address BIGINT NOT NULL,
  bytes BYTEA NOT NULL,
  PRIMARY KEY (snapshot_id, address));
CREATE TABLE IF NOT EXISTS audit_trail (
  sequence BIGINT PRIMARY KEY,
  at BIGINT NOT NULL,
  user_name TEXT NOT NULL,
  role TEXT NOT NULL,
  host TEXT NOT NULL,
  program TEXT NOT NULL,
  device_id TEXT NOT NULL,
  model TEXT NOT NULL,
  action TEXT NOT NULL,
  detail TEXT NOT NULL,
  result TEXT NOT NULL,
  why TEXT NOT NULL,
  reason TEXT NOT NULL,
  previous_hash TEXT NOT NULL,
  hash TEXT NOT NULL);
CREATE OR REPLACE FUNCTION audit_trail_kept() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN RAISE EXCEPTION 'audit rows are never changed or removed'; END $$;
CREATE OR REPLACE TRIGGER audit_trail_not_changed BEFORE UPDATE OR DELETE ON audit_trail
  FOR EACH ROW EXECUTE FUNCTION audit_trail_kept();
CREATE OR REPLACE TRIGGER audit_trail_not_truncated BEFORE TRUNCATE ON audit_trail
  FOR EACH STATEMENT EXECUTE FUNCTION audit_trail_kept();
)sql";

constexpr std::string_view kPostgresVersion4 = R"sql(
ALTER TABLE downloads ADD COLUMN IF NOT EXISTS clock_offset BIGINT,
                      ADD COLUMN IF NOT EXISTS utc_offset BIGINT;
CREATE TABLE IF NOT EXISTS calibrations (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  device_id TEXT NOT NULL,
  sensor BIGINT NOT NULL,
  certificate TEXT NOT NULL,
  calibrated TEXT NOT NULL,
  due TEXT NOT NULL,
  note TEXT NOT NULL,
  entered_by TEXT NOT NULL,
  entered_at BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS calibrations_by_device ON calibrations (device_id, sensor, id);
CREATE OR REPLACE FUNCTION calibrations_kept() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN RAISE EXCEPTION 'calibration entries are never changed or removed'; END $$;
CREATE OR REPLACE TRIGGER calibrations_not_changed BEFORE UPDATE OR DELETE ON calibrations
  FOR EACH ROW EXECUTE FUNCTION calibrations_kept();
)sql";

constexpr std::array<std::string_view, 4> kPostgresSteps = {
    kPostgresVersion1, kPostgresVersion2, kPostgresVersion3, kPostgresVersion4};
static_assert(kPostgresSteps.size() == kSteps.size(), "both engines are at one version");

}  // namespace

std::span<const std::string_view> SchemaSteps() {
    return kSteps;
}
std::span<const std::string_view> PostgresSchemaSteps() {
    return kPostgresSteps;
}
std::span<const AddedColumn> SqliteAddedColumns() {
    return kSqliteAddedColumns;
}
int CurrentSchemaVersion() {
    return static_cast<int>(kSteps.size());
}

std::string_view MergedTwinsQuery() {
    return "SELECT device_id, model, into_id, readings FROM merged_twins "
           "ORDER BY into_id, model, device_id";
}

std::string_view DropMergedTwins() {
    return "DROP TABLE merged_twins";
}

}  // namespace lgcset::archive
