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

constexpr std::array<std::string_view, 1> kSteps = {kVersion1};

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

constexpr std::array<std::string_view, 1> kPostgresSteps = {kPostgresVersion1};
static_assert(kPostgresSteps.size() == kSteps.size(), "both engines are at one version");

}  // namespace

std::span<const std::string_view> SchemaSteps() {
    return kSteps;
}
std::span<const std::string_view> PostgresSchemaSteps() {
    return kPostgresSteps;
}
int CurrentSchemaVersion() {
    return static_cast<int>(kSteps.size());
}

}  // namespace lgcset::archive
