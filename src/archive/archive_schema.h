// The archive file's schema, as the steps that bring a file from each version to the next.
#pragma once

#include <span>
#include <string_view>

namespace lgcset::archive {

// Step i brings a file at version i to version i + 1; a new file is at version 0. The
// current version is the count of steps.
std::span<const std::string_view> SchemaSteps();
// The same steps for a PostgreSQL database: the versions are the same.
std::span<const std::string_view> PostgresSchemaSteps();
int CurrentSchemaVersion();

// A column that the step to `version` adds to a table made before it. SQLite has no "ADD
// COLUMN IF NOT EXISTS": its upgrade adds each one the table lacks before the step runs, so
// that a file marked older than it is runs the step again unharmed.
struct AddedColumn {
    int version;
    std::string_view table, column, type;
};
std::span<const AddedColumn> SqliteAddedColumns();

// The step to this version merges the loggers archived under a device ID typed short into
// the logger's own form of it, and leaves a temporary table of what it merged: read it with
// MergedTwinsQuery (device ID, model, the ID merged into, readings) in the upgrade's
// transaction, then drop it.
inline constexpr int kTwinMergeVersion = 2;
std::string_view MergedTwinsQuery();
std::string_view DropMergedTwins();

}  // namespace lgcset::archive
