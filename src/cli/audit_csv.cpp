#include "cli/audit_csv.h"

#include <array>
#include <string_view>

#include "cli/audit_text.h"
#include "export/csv_writer.h"

namespace lgcset::cli {

std::string AuditCsv(std::span<const archive::AuditRow> rows) {
    std::string text;
    constexpr std::array<std::string_view, 15> kHeader{
        "Sequence", "Time (UTC)", "User", "Role",   "Host",   "Program",       "Device ID", "Model",
        "Action",   "Result",     "Why",  "Reason", "Detail", "Previous hash", "Hash"};
    exports::AppendCsvRecord(text, kHeader);
    for (const archive::AuditRow& row : rows) {
        const archive::AuditEntry& e = row.entry;
        const std::string sequence = std::to_string(row.sequence);
        const std::string at = UtcText(e.at);
        const std::array<std::string_view, 15> fields{sequence,
                                                      at,
                                                      e.user,
                                                      e.role,
                                                      e.host,
                                                      e.program,
                                                      e.deviceId,
                                                      e.model,
                                                      archive::AuditActionText(e.action),
                                                      archive::AuditResultText(e.result),
                                                      e.why,
                                                      e.reason,
                                                      e.detail,
                                                      row.previousHash,
                                                      row.hash};
        exports::AppendCsvRecord(text, fields);
    }
    return text;
}

}  // namespace lgcset::cli
