#include "cli/audit_verdict.h"

#include "archive/audit_chain.h"

namespace lgcset::cli {

namespace {

std::string BreakLine(std::span<const archive::AuditRow> rows, const archive::ChainFault& fault) {
    const std::string row = "Row " + std::to_string(fault.sequence);
    const bool first = fault.index == 0;
    const std::int64_t before = first ? 0 : rows[fault.index - 1].sequence;
    const std::string rowBefore = "row " + std::to_string(before);
    switch (fault.kind) {
        case archive::ChainBreak::Hash:
            return row + " was changed: its hash does not match its content.";
        case archive::ChainBreak::Sequence:
            if (first)
                return row + " comes first: the rows before it are missing.";
            if (fault.sequence > before + 1)
                return row + " does not follow " + rowBefore + ": a row is missing.";
            return row + " does not follow " + rowBefore + ": the rows were renumbered.";
        case archive::ChainBreak::PreviousHash:
            if (first)
                return row + "'s previous hash is not a first row's: a row was put in.";
            return row + "'s previous hash is not " + rowBefore + "'s: a row was put in.";
    }
    return row + " breaks the chain.";
}

}  // namespace

ChainVerdict CheckChain(std::span<const archive::AuditRow> rows) {
    ChainVerdict verdict;
    verdict.rows = rows.size();
    if (!rows.empty())
        verdict.finalHash = rows.back().hash;
    if (const std::optional<archive::ChainFault> fault = archive::VerifyChain(rows)) {
        verdict.verifies = false;
        verdict.line = BreakLine(rows, *fault);
    } else if (rows.empty()) {
        verdict.line = "The audit trail holds no rows.";
    } else {
        verdict.line =
            std::to_string(rows.size()) + " rows verified; final hash " + verdict.finalHash;
    }
    return verdict;
}

}  // namespace lgcset::cli
