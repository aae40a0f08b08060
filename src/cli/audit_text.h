// The audit trail's rows as every output shows them: the list, the CSV file and the PDF
// file take their texts from here, so that a row reads the same wherever it is printed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/change_record.h"
#include "cli/cli_options.h"

namespace lgcset::cli {

// "YYYY-MM-DD HH:MM:SS" in UTC.
std::string UtcText(std::int64_t at);

// "anna", or "anna (collector)" when the archive knows the database role.
std::string WhoText(const archive::AuditEntry& entry);

// "verified", or "failed: " and why.
std::string OutcomeText(const archive::AuditEntry& entry);

// The detail's lines, one per changed setting; none for an empty detail.
std::vector<std::string> DetailLines(std::string_view detail);

// The rows --device-id, --from and --to let through; the days are whole UTC days.
archive::AuditFilter AuditFilterOf(const CliOptions& options);

// "every row", or "device ID 000000000000101, from 2024-03-01, to 2024-03-31".
std::string FilterText(const CliOptions& options);

}  // namespace lgcset::cli
