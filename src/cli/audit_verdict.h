// What the chain of hashes says of an audit trail, in the words verify and the PDF use.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "archive/change_record.h"

namespace lgcset::cli {

struct ChainVerdict {
    bool verifies = true;
    std::size_t rows = 0;
    std::string finalHash;  // the last row's; empty for an empty trail
    // "12 rows verified; final hash ...", or the first row that breaks the chain and how.
    std::string line;
};

// `rows`: the whole trail in order, never a filtered part of it.
ChainVerdict CheckChain(std::span<const archive::AuditRow> rows);

}  // namespace lgcset::cli
