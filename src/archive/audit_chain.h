// The chain of the audit trail: each row's hash covers the row before's hash and the row's
// own content, so that a row changed, removed or put in behind the archive's back breaks the
// chain at that row. Pure: the engines store what this computes, and anyone can check a trail
// with sha256sum (docs/archive.md describes the form).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "archive/change_record.h"

namespace lgcset::archive {

// The previous hash of the first row: 64 '0'.
inline constexpr std::string_view kFirstPreviousHash =
    "0000000000000000000000000000000000000000000000000000000000000000";

// The row's content as bytes: its sequence and every field of the entry in a fixed order,
// each as its length in decimal, ':' and its bytes, so that text moved from one field to the
// next gives another form.
std::string CanonicalForm(std::int64_t sequence, const AuditEntry& entry);

// SHA-256 of previousHash (its 64 hex characters) followed by the canonical form, in
// lower-case hex. Throws std::runtime_error when the system's crypto refuses.
std::string ChainHash(std::string_view previousHash, std::int64_t sequence,
                      const AuditEntry& entry);

enum class ChainBreak {
    Sequence,      // not one more than the row before's (the first: not 1)
    PreviousHash,  // not the row before's hash (the first: not 64 '0')
    Hash,          // not the hash of the row's own content
};

// "sequence", "previous hash", "hash": which part of a row does not hold.
std::string_view ChainBreakText(ChainBreak kind);

struct ChainFault {
    std::size_t index = 0;  // in the rows given
    std::int64_t sequence = 0;
    ChainBreak kind = ChainBreak::Hash;
};

// The first row that breaks the chain, or none. The rows are the whole trail, oldest first.
// A missing last row leaves no break: only a count kept elsewhere would show it.
std::optional<ChainFault> VerifyChain(std::span<const AuditRow> rows);

}  // namespace lgcset::archive
