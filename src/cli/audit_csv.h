// The audit trail as a CSV file: a header row, then a record per row with every field the
// archive keeps, the hashes included, so that a reader can check the chain without us.
#pragma once

#include <span>
#include <string>

#include "archive/change_record.h"

namespace lgcset::cli {

// UTF-8 text as stored; CR LF after each record.
std::string AuditCsv(std::span<const archive::AuditRow> rows);

}  // namespace lgcset::cli
