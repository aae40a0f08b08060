// The audit trail as a printable PDF file: A4 landscape pages with the archive, the filter
// and the rows as a table whose changes wrap within their column, page numbers, and at the
// end the chain's final hash and whether it verifies.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/change_record.h"
#include "cli/audit_verdict.h"

namespace lgcset::cli {

struct AuditPdfHeading {
    std::string archive;  // as shown to users: never with a password
    std::string filter;   // "every row", "device ID ..."
    std::string made;     // when and by which program
};

// The bytes of the PDF file, or none and `error` says why.
std::vector<char> AuditPdf(std::span<const archive::AuditRow> rows, const AuditPdfHeading& heading,
                           const ChainVerdict& chain, std::string& error);

// UTF-8 text as the pages' font can show it (Latin-1): every other character, a control
// character and a byte that is no UTF-8 become '?'.
std::string PdfLatin1(std::string_view utf8);

}  // namespace lgcset::cli
