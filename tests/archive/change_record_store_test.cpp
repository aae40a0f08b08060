// Settings snapshots and the audit trail, the same against each engine.
#include <gtest/gtest.h>

#include <functional>
#include <latch>
#include <set>
#include <thread>

#include "archive/audit_chain.h"
#include "archive_engines.h"
#include "archive_test_data.h"

namespace lgcset::archive {
namespace {

using testing::Engine;
using testing::EngineKind;

// Pages that hold every byte value, NUL included, each page its own.
SettingsSnapshot Snapshot(const std::string& deviceId, std::int64_t at, SnapshotReason reason) {
    SettingsSnapshot s;
    s.deviceId = deviceId;
    s.model = "R481";
    s.firmware = "2.07";
    s.at = at;
    s.reason = reason;
    for (const std::uint32_t address : {0x0000u, 0x0100u, 0x0200u, 0x1000u}) {
        std::vector<std::uint8_t>& page = s.pages[address];
        for (int i = 0; i < 256; ++i) page.push_back(static_cast<std::uint8_t>(i + address / 256));
    }
    return s;
}

AuditEntry Entry(const std::string& deviceId, std::int64_t at, std::string detail = "") {
    AuditEntry e;
    e.at = at;
    e.user = "ann";
    e.role = "not the caller's to say";
    e.host = "bench-3";
    e.program = "LGCSET 1.4.0";
    e.deviceId = deviceId;
    e.model = "R481";
    e.detail = std::move(detail);
    e.result = AuditResult::Verified;
    e.reason = "calibration due";
    return e;
}

class ChangeRecordStoreTest : public testing::EngineTest {
  protected:
    ChangeRecordStoreTest() : EngineTest("records") {}

    // The role a row is written as: the connection's on PostgreSQL, none on SQLite.
    std::string Role() const { return GetParam().name == std::string("Postgres") ? "lgcset" : ""; }
};

TEST_P(ChangeRecordStoreTest, SnapshotsKeptByteForByteAndListedPerLoggerOldestFirst) {
    auto store = Open();
    const SettingsSnapshot later = Snapshot("000000000012345", 1'700'000'500, SnapshotReason::AfterWrite);
    const SettingsSnapshot earlier = Snapshot("000000000012345", 1'700'000'000, SnapshotReason::BeforeWrite);
    const SettingsSnapshot other = Snapshot("000000000099999", 1'700'000'100, SnapshotReason::Read);
    std::vector<std::int64_t> ids;
    for (const SettingsSnapshot* s : {&later, &earlier, &other}) {
        const Rows<SettingsSnapshot> kept = store->AddSnapshot(*s);
        ASSERT_TRUE(kept.status.ok()) << kept.status.message;
        ASSERT_EQ(kept.rows.size(), 1u);
        ids.push_back(kept.rows[0].id);
    }

    const Rows<SettingsSnapshot> one = store->Snapshot(ids[0]);
    ASSERT_EQ(one.rows.size(), 1u) << one.status.message;
    EXPECT_EQ(one.rows[0].pages, later.pages);
    EXPECT_EQ(one.rows[0].reason, SnapshotReason::AfterWrite);
    EXPECT_EQ(one.rows[0].firmware, "2.07");
    EXPECT_EQ(one.rows[0].at, later.at);

    const auto mine = store->Snapshots("000000000012345").rows;
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].id, ids[1]);
    EXPECT_EQ(mine[1].id, ids[0]);
    EXPECT_EQ(mine[0].pages, earlier.pages);
    EXPECT_EQ(store->Snapshots("").rows.size(), 3u);

    const Rows<SettingsSnapshot> none = store->Snapshot(ids.back() + 100);
    EXPECT_TRUE(none.status.ok());
    EXPECT_TRUE(none.rows.empty());
}

TEST_P(ChangeRecordStoreTest, TrailChainedAsStoredAndFilteredByLoggerAndTime) {
    auto store = Open();
    const std::vector<AuditEntry> entries = {
        Entry("000000000000001", 100, "Interval: 10 -> 5"), Entry("000000000000002", 200),
        Entry("000000000000001", 300), Entry("000000000000002", 400),
        Entry("000000000000001", 500, "Line one\nLine two: 'quoted'; --")};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Rows<AuditRow> appended = store->AppendAudit(entries[i]);
        ASSERT_TRUE(appended.status.ok()) << appended.status.message;
        ASSERT_EQ(appended.rows.size(), 1u);
        EXPECT_EQ(appended.rows[0].sequence, static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(appended.rows[0].entry.role, Role());
    }
    const auto all = store->AuditTrail({}).rows;
    ASSERT_EQ(all.size(), entries.size());
    EXPECT_EQ(VerifyChain(all), std::nullopt);
    EXPECT_EQ(all[4].entry.detail, entries[4].detail);
    EXPECT_EQ(all[4].entry.reason, "calibration due");
    EXPECT_EQ(all[4].entry.result, AuditResult::Verified);

    const struct {
        std::optional<std::string> deviceId;
        std::optional<std::int64_t> from, to;
        std::vector<std::int64_t> sequences;
    } cases[] = {
        {"000000000000001", {}, {}, {1, 3, 5}},
        {{}, 200, 400, {2, 3, 4}},
        {"000000000000002", 201, {}, {4}},
        {{}, {}, 99, {}},
    };
    for (const auto& c : cases) {
        AuditFilter filter;
        filter.deviceId = c.deviceId;
        filter.from = c.from;
        filter.to = c.to;
        const Rows<AuditRow> found = store->AuditTrail(filter);
        ASSERT_TRUE(found.status.ok()) << found.status.message;
        std::vector<std::int64_t> sequences;
        for (const AuditRow& row : found.rows) sequences.push_back(row.sequence);
        EXPECT_EQ(sequences, c.sequences) << c.deviceId.value_or("any logger");
    }
}

// The database's own tools are refused a change until the guard is dropped on purpose;
// then the chain finds the row.
TEST_P(ChangeRecordStoreTest, AuditRowsRefuseChangeAndRemovalAndAChangeMadeAnywayIsFound) {
    auto store = Open();
    for (int i = 1; i <= 3; ++i) store->AppendAudit(Entry("000000000000001", i));
    EXPECT_NE(engine_->Sql("UPDATE audit_trail SET detail = 'x' WHERE sequence = 2"), "");
    EXPECT_NE(engine_->Sql("DELETE FROM audit_trail WHERE sequence = 3"), "");
    EXPECT_EQ(store->AuditTrail({}).rows.size(), 3u);

    Sql(engine_->AllowAuditChanges());
    Sql("UPDATE audit_trail SET detail = 'Interval: 10 -> 60' WHERE sequence = 2");
    const std::optional<ChainFault> fault = VerifyChain(store->AuditTrail({}).rows);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->sequence, 2);
    EXPECT_EQ(fault->kind, ChainBreak::Hash);
}

// A row or snapshot that cannot be stored leaves nothing of itself, and the next one
// continues the chain where it was.
TEST_P(ChangeRecordStoreTest, AFailedAppendOrSnapshotLeavesNoHalfRow) {
    auto store = Open();
    ASSERT_TRUE(store->AppendAudit(Entry("000000000000001", 1)).status.ok());
    const SettingsSnapshot readBack = Snapshot("1", 2, SnapshotReason::AfterWrite);
    const struct {
        const char* table;
        std::function<ArchiveStatus()> keep;
    } kCases[] = {
        {"audit_trail", [&] { return store->AppendAudit(Entry("000000000000001", 2)).status; }},
        {"snapshot_pages", [&] { return store->AddSnapshot(readBack).status; }},
        // A row and the snapshot kept with it: neither without the other.
        {"snapshot_pages",
         [&] { return store->AppendAuditWith(Entry("000000000000001", 2), {&readBack, 1}).status; }},
    };
    std::set<std::string> full;
    for (const auto& each : kCases) {
        SCOPED_TRACE(each.table);
        if (full.insert(each.table).second)
            Sql(engine_->DiskFullOn(each.table));
        const ArchiveStatus status = each.keep();
        EXPECT_EQ(status.error, ArchiveError::WriteFailed);
        EXPECT_NE(status.message.find("disk full"), std::string::npos) << status.message;
        EXPECT_TRUE(status.message.ends_with("; the archive is as it was before it."))
            << status.message;
        EXPECT_EQ(store->AuditTrail({}).rows.size(), 1u);
    }
    EXPECT_TRUE(store->Snapshots("").rows.empty()) << "a snapshot without its pages";
    Sql(GetParam().name == std::string("Postgres") ? "DROP TRIGGER cut_audit_trail ON audit_trail"
                                                   : "DROP TRIGGER cut_audit_trail");
    const Rows<AuditRow> next = store->AppendAudit(Entry("000000000000001", 3));
    ASSERT_EQ(next.rows.size(), 1u) << next.status.message;
    EXPECT_EQ(next.rows[0].sequence, 2);
    EXPECT_EQ(VerifyChain(store->AuditTrail({}).rows), std::nullopt);
}

// Two programs appending at the same moment, each through its own connection.
TEST_P(ChangeRecordStoreTest, AppendsFromTwoStoresAtOnceMakeOneChain) {
    Open();
    constexpr int kEach = 40;
    std::string failures[2];
    std::latch start(2);
    auto append = [&](int writer) {
        OpenResult opened = OpenArchive(engine_->Archive(), false);
        start.arrive_and_wait();
        for (int i = 0; opened.store && i < kEach; ++i) {
            const Rows<AuditRow> r =
                opened.store->AppendAudit(Entry(std::to_string(writer), i));
            if (!r.status.ok())
                failures[writer] = r.status.message;
        }
        if (!opened.store)
            failures[writer] = opened.status.message;
    };
    std::thread a(append, 0), b(append, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
    const auto all = Open()->AuditTrail({}).rows;
    EXPECT_EQ(all.size(), 2u * kEach);
    EXPECT_EQ(VerifyChain(all), std::nullopt);
}

// An archive of version 2 keeps its loggers, downloads and readings, and takes
// snapshots and audit rows from then on.
TEST_P(ChangeRecordStoreTest, UpgradeFromThePreviousVersionKeepsEverything) {
    const auto steps = engine_->Steps();
    for (std::size_t i = 0; i < 2; ++i) Sql(std::string(steps[i]));
    Sql("INSERT INTO meta (key, value) VALUES ('schema_version', '2');"
        "INSERT INTO loggers (device_id, model, firmware, first_seen, last_seen) "
        "VALUES ('000000000012345', 'R481', '2.07', 10, 20);"
        "INSERT INTO downloads (logger_id, at, range_from, range_to, received, added, source, "
        "workbook, workbook_sha256, csv, csv_sha256) "
        "VALUES (1, 20, '2024-03-01', '2024-03-02', 2, 2, '/dev/ttyUSB0', 'a.xls', 'aa', "
        "'a.csv', 'cc');"
        "INSERT INTO readings (logger_id, t, sensor1, longitude, download_id) VALUES "
        "(1, " + std::to_string(ReadingTime(Reading(0))) + ", 21.5, 24123456, 1), "
        "(1, " + std::to_string(ReadingTime(Reading(1))) + ", 21.5, 24123456, 1);");

    auto store = Open();
    ASSERT_NE(store, nullptr);
    const auto loggers = store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].firmware, "2.07");
    EXPECT_EQ(loggers[0].readings, 2u);
    const auto downloads = store->Downloads().rows;
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].info.csvSha256, "cc");
    EXPECT_EQ(store->Add(Download(), Readings(0, 2)).counts.alreadyThere, 2u);
    EXPECT_TRUE(store->AddSnapshot(Snapshot("1", 1, SnapshotReason::Read)).status.ok());
    EXPECT_EQ(store->AppendAudit(Entry("1", 1)).rows.at(0).sequence, 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, ChangeRecordStoreTest,
                         ::testing::Values(testing::kSqlite, testing::kPostgres),
                         testing::EngineName);

}  // namespace
}  // namespace lgcset::archive
