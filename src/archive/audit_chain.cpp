#include "archive/audit_chain.h"

#include "data/sha256.h"

namespace lgcset::archive {

namespace {

void Field(std::string& form, std::string_view text) {
    form += std::to_string(text.size());
    form += ':';
    form += text;
}

}  // namespace

std::string CanonicalForm(std::int64_t sequence, const AuditEntry& entry) {
    std::string form;
    form.reserve(128 + entry.detail.size() + entry.why.size() + entry.reason.size());
    Field(form, std::to_string(sequence));
    Field(form, std::to_string(entry.at));
    Field(form, entry.user);
    Field(form, entry.role);
    Field(form, entry.host);
    Field(form, entry.program);
    Field(form, entry.deviceId);
    Field(form, entry.model);
    Field(form, AuditActionText(entry.action));
    Field(form, entry.detail);
    Field(form, AuditResultText(entry.result));
    Field(form, entry.why);
    Field(form, entry.reason);
    return form;
}

std::string ChainHash(std::string_view previousHash, std::int64_t sequence,
                      const AuditEntry& entry) {
    const std::string form = CanonicalForm(sequence, entry);
    data::Sha256 sha;
    sha.Add({reinterpret_cast<const unsigned char*>(previousHash.data()), previousHash.size()});
    sha.Add({reinterpret_cast<const unsigned char*>(form.data()), form.size()});
    return sha.FinishHex();
}

std::string_view ChainBreakText(ChainBreak kind) {
    switch (kind) {
    case ChainBreak::Sequence:
        return "sequence";
    case ChainBreak::PreviousHash:
        return "previous hash";
    case ChainBreak::Hash:
        return "hash";
    }
    return {};
}

std::optional<ChainFault> VerifyChain(std::span<const AuditRow> rows) {
    std::int64_t sequence = 0;
    std::string_view previous = kFirstPreviousHash;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AuditRow& row = rows[i];
        auto fault = [&](ChainBreak kind) { return ChainFault{i, row.sequence, kind}; };
        if (row.sequence != sequence + 1)
            return fault(ChainBreak::Sequence);
        if (row.previousHash != previous)
            return fault(ChainBreak::PreviousHash);
        if (row.hash != ChainHash(row.previousHash, row.sequence, row.entry))
            return fault(ChainBreak::Hash);
        sequence = row.sequence;
        previous = row.hash;
    }
    return std::nullopt;
}

}  // namespace lgcset::archive
