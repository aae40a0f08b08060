// The chain finds the first row that was changed, removed or put in, and says how.
#include "archive/audit_chain.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace lgcset::archive {
namespace {

// Five rows chained as the archive chains them.
std::vector<AuditRow> Chain() {
    std::vector<AuditRow> rows;
    std::string previous(kFirstPreviousHash);
    for (int i = 1; i <= 5; ++i) {
        AuditRow row;
        row.sequence = i;
        row.entry.at = 1'700'000'000 + i;
        row.entry.user = "ann";
        row.entry.program = "LGCSET 1.4.0";
        row.entry.deviceId = "000000000012345";
        row.entry.detail = "Interval: 10 -> " + std::to_string(i);
        row.previousHash = previous;
        row.hash = ChainHash(previous, i, row.entry);
        previous = row.hash;
        rows.push_back(row);
    }
    return rows;
}

TEST(AuditChain, FirstBrokenRowNamedWithHowItBreaks) {
    const struct {
        const char* what;
        std::function<void(std::vector<AuditRow>&)> tamper;
        std::optional<ChainFault> fault;
    } cases[] = {
        {"untouched", [](auto&) {}, std::nullopt},
        {"a field changed", [](auto& r) { r[2].entry.detail = "Interval: 10 -> 60"; },
         ChainFault{2, 3, ChainBreak::Hash}},
        {"the result changed", [](auto& r) { r[1].entry.result = AuditResult::Verified; },
         ChainFault{1, 2, ChainBreak::Hash}},
        {"changed and rehashed", [](auto& r) {
             r[2].entry.user = "bob";
             r[2].hash = ChainHash(r[2].previousHash, 3, r[2].entry);
         }, ChainFault{3, 4, ChainBreak::PreviousHash}},
        {"a row removed", [](auto& r) { r.erase(r.begin() + 1); },
         ChainFault{1, 3, ChainBreak::Sequence}},
        {"a row removed, the rest renumbered", [](auto& r) {
             r.erase(r.begin() + 1);
             for (std::size_t i = 1; i < r.size(); ++i) r[i].sequence = static_cast<int>(i) + 1;
         }, ChainFault{1, 2, ChainBreak::PreviousHash}},
        {"a row put in", [](auto& r) {
             AuditRow extra = r[3];
             extra.entry.detail = "Password: **** -> ****";
             extra.hash = ChainHash(extra.previousHash, extra.sequence, extra.entry);
             r.insert(r.begin() + 3, extra);
         }, ChainFault{4, 4, ChainBreak::Sequence}},
        {"the first row removed", [](auto& r) { r.erase(r.begin()); },
         ChainFault{0, 2, ChainBreak::Sequence}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<AuditRow> rows = Chain();
        c.tamper(rows);
        const std::optional<ChainFault> found = VerifyChain(rows);
        ASSERT_EQ(found.has_value(), c.fault.has_value());
        if (!found)
            continue;
        EXPECT_EQ(found->index, c.fault->index);
        EXPECT_EQ(found->sequence, c.fault->sequence);
        EXPECT_EQ(ChainBreakText(found->kind), ChainBreakText(c.fault->kind));
    }
}

// Each field counts with its length: text moved across a field's end gives another hash.
TEST(AuditChain, TextMovedBetweenNeighbouringFieldsChangesTheHash) {
    AuditEntry entry;
    entry.user = "ann";
    entry.host = "lab";
    entry.why = "cut";
    entry.reason = "short";
    AuditEntry moved = entry;
    moved.user = "annl";
    moved.host = "ab";
    AuditEntry across = entry;
    across.why = "cutshort";
    across.reason = "";
    const std::string hash = ChainHash(kFirstPreviousHash, 1, entry);
    EXPECT_EQ(hash.size(), 64u);
    EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(ChainHash(kFirstPreviousHash, 1, moved), hash);
    EXPECT_NE(ChainHash(kFirstPreviousHash, 1, across), hash);
    EXPECT_NE(ChainHash(kFirstPreviousHash, 2, entry), hash);
}

}  // namespace
}  // namespace lgcset::archive
