// The store's behaviour, the same against each engine.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <latch>
#include <limits>
#include <thread>

#include "archive/archive_schema.h"
#include "archive_engines.h"
#include "archive_test_data.h"

namespace lgcset::archive {
namespace {

using testing::Engine;
using testing::EngineKind;

class ArchiveStoreTest : public testing::EngineTest {
  protected:
    ArchiveStoreTest() : EngineTest("store") {}
};

TEST_P(ArchiveStoreTest, OverlappingDownloadsKeepTheirUnionOnceAndSayWhatWasNew) {
    auto store = Open();
    const AddResult first = store->Add(Download(), Readings(0, 100));
    ASSERT_TRUE(first.status.ok()) << first.status.message;
    EXPECT_EQ(first.counts.added, 100u);
    EXPECT_EQ(first.counts.alreadyThere, 0u);

    const AddResult second = store->Add(Download(kTruck, 1'700'100'000), Readings(60, 100));
    EXPECT_EQ(second.counts.received, 100u);
    EXPECT_EQ(second.counts.added, 60u);
    EXPECT_EQ(second.counts.alreadyThere, 40u);

    const auto all = Everything(*store);
    ASSERT_EQ(all.size(), 160u);
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(ReadingTime(all[i]), ReadingTime(Reading(static_cast<int>(i))));

    const auto loggers = store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].readings, 160u);
    EXPECT_EQ(loggers[0].downloads, 2u);
    EXPECT_EQ(loggers[0].firstSeen, 1'700'000'000);
    EXPECT_EQ(loggers[0].lastSeen, 1'700'100'000);
    EXPECT_EQ(loggers[0].firstReading, ReadingTime(Reading(0)));
    EXPECT_EQ(loggers[0].lastReading, ReadingTime(Reading(159)));
}

TEST_P(ArchiveStoreTest, SameTimeDifferentValuesKeptBesideAbsentValueDiffersFromZero) {
    auto store = Open();
    data::HistoryRecord zeroSensor2 = Reading(0);
    zeroSensor2.sensorPresent[1] = 1;  // sensor 2 sent as 0, not absent
    data::HistoryRecord noPosition = Reading(0);
    noPosition.longitude = data::kAbsentPosition;
    const std::vector<data::HistoryRecord> records = {Reading(0), Reading(0, 30.0), zeroSensor2,
                                                      noPosition, Reading(0)};
    const AddResult added = store->Add(Download(), records);
    EXPECT_EQ(added.counts.added, 4u);
    EXPECT_EQ(added.counts.alreadyThere, 1u);

    const auto all = Everything(*store);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].sensor[0], 30.0);
    EXPECT_EQ(all[2].sensorPresent, (std::array<std::uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(all[3].longitude, data::kAbsentPosition);
    EXPECT_EQ(all[0].longitude, 24'123456u);
    EXPECT_EQ(all[0].velocity, data::kAbsentPosition);
}

TEST_P(ArchiveStoreTest, ValuesKeptAsTheExportShowsThemSoAnImportedExportMerges) {
    auto store = Open();
    store->Add(Download(), {{Reading(0, 21.456f), Reading(1, -0.1), Reading(2, 1e-3)}});
    const AddResult imported =
        store->Add(Download(), {{Reading(0, 21.46), Reading(1, -0.1), Reading(2, 0.0)}});
    EXPECT_EQ(imported.counts.alreadyThere, 3u);
    const auto all = Everything(*store);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].sensor[0], 21.46);
    EXPECT_EQ(all[1].sensor[0], -0.1);
}

// A logger sends NaN or an infinity for a sensor it cannot read: that is a value, shown in
// the export as "NAN" or "INF", and neither an absent sensor nor a number.
TEST_P(ArchiveStoreTest, NotANumberAndInfinitiesKeptApartFromAnAbsentSensor) {
    auto store = Open();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    data::HistoryRecord absent = Reading(0);
    absent.sensorPresent[0] = 0;
    const std::vector<data::HistoryRecord> records = {Reading(0, nan), Reading(0, inf),
                                                      Reading(0, -inf), absent, Reading(0, 0.0)};
    const AddResult first = store->Add(Download(), records);
    ASSERT_TRUE(first.status.ok()) << first.status.message;
    EXPECT_EQ(first.counts.added, 5u);
    const AddResult again = store->Add(Download(kTruck, 1'700'100'000), records);
    EXPECT_EQ(again.counts.alreadyThere, 5u);

    const auto all = Everything(*store);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].sensorPresent[0], 1);
    EXPECT_TRUE(std::isnan(all[0].sensor[0]));
    EXPECT_EQ(all[1].sensor[0], inf);
    EXPECT_EQ(all[2].sensor[0], -inf);
    EXPECT_EQ(all[3].sensorPresent[0], 0);
    EXPECT_EQ(all[4].sensorPresent[0], 1);
    EXPECT_EQ(all[4].sensor[0], 0.0);
}

TEST_P(ArchiveStoreTest, LoggersApartByDeviceIdAndModelAndRangeReadsOnlyTheRange) {
    auto store = Open();
    const LoggerKey other{"000000000012345", "R482"};
    store->Add(Download(), Readings(0, 48));
    store->Add(Download(other), Readings(0, 10));
    EXPECT_EQ(store->Loggers().rows.size(), 2u);
    EXPECT_EQ(Everything(*store, other).size(), 10u);
    EXPECT_TRUE(Everything(*store, {"it'; DROP TABLE readings; --", "R481"}).empty());
    const auto hours =
        store->Readings(kTruck, ReadingTime(Reading(4)), ReadingTime(Reading(7))).rows;
    ASSERT_EQ(hours.size(), 4u);
    EXPECT_EQ(hours.front().hour, 2);
    EXPECT_EQ(hours.back().minute, 30);
}

TEST_P(ArchiveStoreTest, RecordWithoutARealTimeIsCountedNotKept) {
    auto store = Open();
    data::HistoryRecord bad = Reading(0);
    bad.month = 0;
    const AddResult added = store->Add(Download(), {{bad, Reading(1)}});
    EXPECT_EQ(added.counts.withoutTime, 1u);
    EXPECT_EQ(added.counts.added, 1u);
}

TEST_P(ArchiveStoreTest, ATransferLargerThanABatchIsCountedWhole) {
    auto store = Open();
    store->Add(Download(), Readings(1500, 1000));
    const AddResult added = store->Add(Download(), Readings(0, 2900));
    EXPECT_EQ(added.counts.withoutTime, 0u);
    EXPECT_EQ(added.counts.added, 1900u);
    EXPECT_EQ(added.counts.alreadyThere, 1000u);
    EXPECT_EQ(Everything(*store).size(), 2900u);
}

TEST_P(ArchiveStoreTest, TransferCutShortLeavesTheArchiveAsBefore) {
    Open()->Add(Download(), Readings(0, 10));
    Sql(engine_->DiskFullAfter15());
    auto store = Open();
    const AddResult cut = store->Add(Download(), Readings(5, 20));
    EXPECT_EQ(cut.status.error, ArchiveError::WriteFailed);
    EXPECT_NE(cut.status.message.find("disk full"), std::string::npos) << cut.status.message;
    EXPECT_EQ(cut.counts.added, 0u);
    EXPECT_EQ(Everything(*store).size(), 10u);
    EXPECT_EQ(store->Loggers().rows.at(0).downloads, 1u);
}

TEST_P(ArchiveStoreTest, SchemaVersionsOlderUpgradedNewerRefusedForeignRefused) {
    Open();
    Sql("UPDATE meta SET value = '" + std::to_string(CurrentSchemaVersion() + 1) +
        "' WHERE key = 'schema_version'");
    OpenResult newer = OpenArchive(engine_->Archive(), false);
    EXPECT_EQ(newer.status.error, ArchiveError::NewerSchema);
    EXPECT_EQ(newer.store, nullptr);
    EXPECT_NE(newer.status.message.find("newer version"), std::string::npos);

    // An archive at version 0 (made, nothing in it yet) is brought to the current one.
    const std::string dropAll =
        "DROP TABLE readings; DROP TABLE downloads; DROP TABLE loggers; DROP TABLE meta; "
        "DROP TABLE snapshot_pages; DROP TABLE settings_snapshots; DROP TABLE audit_trail; "
        "DROP TABLE calibrations;";
    Sql(dropAll);
    auto upgraded = Open();
    ASSERT_NE(upgraded, nullptr);
    EXPECT_TRUE(upgraded->Add(Download(), Readings(0, 1)).status.ok());
    upgraded.reset();

    Sql(dropAll + "CREATE TABLE other (x INTEGER);");
    EXPECT_EQ(OpenArchive(engine_->Archive(), false).status.error, ArchiveError::NotAnArchive);
}

// A reading opening makes no archive where there is none and upgrades no older one: it
// says why it cannot read, and a second try finds the same.
TEST_P(ArchiveStoreTest, AReadingOpeningNeitherMakesNorUpgrades) {
    for (int time = 0; time < 2; ++time) {
        const OpenResult none = OpenArchiveToRead(engine_->Archive());
        EXPECT_EQ(none.store, nullptr);
        EXPECT_TRUE(none.status.error == ArchiveError::Missing ||
                    none.status.error == ArchiveError::NotAnArchive)
            << none.status.message;
    }
    EXPECT_NE(engine_->Sql("SELECT 1 FROM meta"), "") << "tables made";

    Open()->Add(Download(), Readings(0, 3));
    Sql("UPDATE meta SET value = '1' WHERE key = 'schema_version'");
    for (int time = 0; time < 2; ++time) {
        const OpenResult older = OpenArchiveToRead(engine_->Archive());
        EXPECT_EQ(older.status.error, ArchiveError::OlderSchema) << older.status.message;
        EXPECT_NE(older.status.message.find("open it for writing once"), std::string::npos);
    }
}

// An archive of an earlier version that kept a logger under a device ID typed short, beside
// or without the logger's own form of it: merged once on the next opening.
TEST_P(ArchiveStoreTest, TwinsUnderAShortDeviceIdMergedIntoThePaddedLoggerOnce) {
    const LoggerKey padded{"000000000000101", "R483"}, twin{"101", "R483"}, twin2{"0101", "R483"};
    {
        auto store = Open();
        DownloadInfo own = Download(padded, 1'700'000'000);
        own.firmware = "1.0";
        store->Add(own, Readings(0, 100));
        DownloadInfo later = Download(twin, 1'701'000'000);
        later.firmware = "1.2";
        store->Add(Download(twin, 1'699'000'000), Readings(50, 50));
        store->Add(later, Readings(100, 50));
        store->Add(Download(twin2), Readings(140, 20));
        store->Add(Download({"7", "R481"}), Readings(0, 10));
        store->Add(Download({"12a", "R481"}), Readings(0, 1));
    }
    Sql("UPDATE meta SET value = '1' WHERE key = 'schema_version'");

    OpenResult opened = OpenArchive(engine_->Archive(), false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    ASSERT_EQ(opened.merged.size(), 3u);
    EXPECT_EQ(MergedLine(opened.merged[0]),
              "Merged 10 readings of logger 7 (R481) into 000000000000007.");
    EXPECT_EQ(MergedLine(opened.merged[1]),
              "Merged 20 readings of logger 0101 (R483) into 000000000000101.");
    EXPECT_EQ(MergedLine(opened.merged[2]),
              "Merged 100 readings of logger 101 (R483) into 000000000000101.");

    const auto all = Everything(*opened.store, padded);
    ASSERT_EQ(all.size(), 160u) << "a reading kept twice or lost";
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(ReadingTime(all[i]), ReadingTime(Reading(static_cast<int>(i)))) << i;
    const auto loggers = opened.store->Loggers().rows;
    ASSERT_EQ(loggers.size(), 3u);
    EXPECT_EQ(loggers[0].logger.deviceId, "000000000000007");
    EXPECT_EQ(loggers[0].readings, 10u);
    EXPECT_EQ(loggers[1].logger.deviceId, "000000000000101");
    EXPECT_EQ(loggers[1].downloads, 4u);
    EXPECT_EQ(loggers[1].firstSeen, 1'699'000'000);
    EXPECT_EQ(loggers[1].lastSeen, 1'701'000'000);
    EXPECT_EQ(loggers[1].firmware, "1.2");
    EXPECT_EQ(loggers[2].logger.deviceId, "12a") << "no device ID to pad";
    EXPECT_EQ(opened.store->Add(Download(padded), Readings(0, 160)).counts.alreadyThere, 160u);
    opened.store.reset();

    const OpenResult again = OpenArchive(engine_->Archive(), false);
    EXPECT_TRUE(again.status.ok()) << again.status.message;
    EXPECT_TRUE(again.merged.empty()) << "said once, by the opening that merged";
}

// Two collectors archiving the same logger at the same moment, each through its own
// connection: every reading is kept once and the two counts add up to the union.
TEST_P(ArchiveStoreTest, TwoWritersAtOnceKeepEachReadingOnce) {
    Open();
    constexpr int kRuns = 4;
    std::size_t added[2] = {0, 0};
    std::string failures[2];
    std::latch start(2);
    auto collect = [&](int writer) {
        OpenResult opened = OpenArchive(engine_->Archive(), false);
        if (!opened.store) {
            failures[writer] = opened.status.message;
            start.count_down();
            return;
        }
        start.arrive_and_wait();
        // Both cover days 0..3; each has a day of its own besides.
        for (int run = 0; run < kRuns; ++run) {
            const AddResult r = opened.store->Add(
                Download(kTruck, 1'700'000'000 + writer),
                Readings(writer == 0 ? run * 48 : 4 * 48 - (run + 1) * 48, 96 + writer * 48));
            if (!r.status.ok())
                failures[writer] = r.status.message;
            added[writer] += r.counts.added;
        }
    };
    std::thread a(collect, 0), b(collect, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
    const auto all = Everything(*Open());
    std::set<std::int64_t> times;
    for (const auto& r : all) times.insert(ReadingTime(r));
    EXPECT_EQ(times.size(), all.size()) << "a reading stored twice";
    EXPECT_EQ(added[0] + added[1], all.size());
}

TEST_P(ArchiveStoreTest, AQueryTheArchiveCannotAnswerSaysSoRatherThanReadingAsEmpty) {
    auto store = Open();
    ASSERT_TRUE(store->Add(Download(), Readings(0, 10)).status.ok());
    const std::int64_t download = store->Downloads().rows.at(0).id;
    Sql("ALTER TABLE readings RENAME TO readings_away");

    const Rows<LoggerSummary> loggers = store->Loggers();
    const Rows<data::HistoryRecord> range = store->Readings(kTruck, INT64_MIN, INT64_MAX);
    const Rows<data::HistoryRecord> of = store->ReadingsOf(download);
    for (const ArchiveStatus* status : {&loggers.status, &range.status, &of.status}) {
        EXPECT_EQ(status->error, ArchiveError::ReadFailed);
        EXPECT_NE(status->message.find("could not be read"), std::string::npos) << status->message;
    }
    EXPECT_TRUE(loggers.rows.empty());
    EXPECT_TRUE(range.rows.empty());
    EXPECT_TRUE(of.rows.empty());
    EXPECT_TRUE(store->Downloads().status.ok()) << "the downloads do not need the readings";

    Sql("ALTER TABLE readings_away RENAME TO readings");
    EXPECT_EQ(store->Readings(kTruck, INT64_MIN, INT64_MAX).rows.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveStoreTest,
                         ::testing::Values(testing::kSqlite, testing::kPostgres),
                         testing::EngineName);

// Only a server drops a connection: the store's own backend is ended from another
// connection, as a restart of the server would end it, which leaves other tests alone.
TEST(PostgresArchive, AConnectionTheServerDroppedIsMadeAgainOnceAndSaysWhenItCannotBe) {
    const testing::TestDatabase db;
    if (!db.SkipReason().empty())
        GTEST_SKIP() << db.SkipReason();
    ASSERT_EQ(db.Error(), "");
    const OpenResult opened = OpenArchive(db.Url(), false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    // Returns once the store's backend is gone.
    const std::string endStore = "SELECT pg_terminate_backend(pid, 30000) FROM pg_stat_activity "
                                 "WHERE datname = '" + db.Name() + "'";
    ASSERT_EQ(db.AdminSql(endStore), "");
    const AddResult first = opened.store->Add(Download(), Readings(0, 10));
    EXPECT_TRUE(first.status.ok()) << first.status.message;
    EXPECT_EQ(first.counts.added, 10u);

    ASSERT_EQ(db.AdminSql("ALTER DATABASE " + db.Name() + " ALLOW_CONNECTIONS false"), "");
    ASSERT_EQ(db.AdminSql(endStore), "");
    const AddResult second = opened.store->Add(Download(kTruck, 1'700'100'000), Readings(10, 10));
    EXPECT_EQ(second.status.error, ArchiveError::WriteFailed);
    EXPECT_NE(second.status.message.find("the connection to the database was lost and could not "
                                         "be made again: "),
              std::string::npos)
        << second.status.message;
    EXPECT_EQ(second.counts.added, 0u);
}

// A role of the test's own, dropped with what it was granted.
struct TestRole {
    explicit TestRole(const testing::TestDatabase& database)
        : db(database), name("lgcset_other_" + database.Name()) {
        EXPECT_EQ(db.AdminSql("CREATE ROLE " + name + " LOGIN"), "");
    }
    ~TestRole() {
        db.Sql("DROP OWNED BY " + name);
        db.AdminSql("DROP ROLE " + name);
    }
    const testing::TestDatabase& db;
    const std::string name;
};

TEST(PostgresArchive, TablesOfAnotherRoleNameTheirOwnerAndTheGrantThatIsMissing) {
    const testing::TestDatabase db;
    if (!db.SkipReason().empty())
        GTEST_SKIP() << db.SkipReason();
    ASSERT_EQ(db.Error(), "");
    ASSERT_TRUE(OpenArchive(db.Url(), false).status.ok());  // the tables, as "lgcset"
    const TestRole other(db);
    std::string url = db.Url();
    url.replace(0, url.find('@'), "postgresql://" + other.name);

    const std::string grant = "GRANT SELECT, INSERT, UPDATE, DELETE ON meta, loggers, "
                              "downloads, readings TO " + other.name +
                              " and GRANT SELECT, INSERT ON settings_snapshots, snapshot_pages, "
                              "audit_trail, calibrations TO " + other.name;
    const OpenResult refused = OpenArchive(url, false);
    EXPECT_EQ(refused.status.error, ArchiveError::CannotOpen);
    EXPECT_EQ(refused.status.message,
              "The archive " + url + " holds tables of the role \"lgcset\", on which the role \"" +
                  other.name + "\" has no rights; their owner gives them with " + grant + ".");
    EXPECT_EQ(OpenArchiveToRead(url).status.message, refused.status.message);

    // The grants named are the ones needed.
    std::string grants = grant;
    grants.replace(grants.find(" and "), 5, "; ");
    ASSERT_EQ(db.Sql(grants), "");
    const OpenResult opened = OpenArchive(url, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    EXPECT_TRUE(opened.store->Add(Download(), Readings(0, 10)).status.ok());
    EXPECT_TRUE(opened.store->AppendAudit({}).status.ok());
}

// The grants docs/archive-grants.sql gives a collecting role: it stores and reads
// everything, each audit row as itself, and the server refuses it a change to the trail.
TEST(PostgresArchive, ACollectingRoleAppendsAndReadsButMayNotChangeTheTrail) {
    const testing::TestDatabase db;
    if (!db.SkipReason().empty())
        GTEST_SKIP() << db.SkipReason();
    ASSERT_EQ(db.Error(), "");
    ASSERT_TRUE(OpenArchive(db.Url(), false).store->AppendAudit({}).status.ok());
    const TestRole collector(db);
    std::ifstream file(LGCSET_GRANTS_SQL);
    std::string grants((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (std::size_t at; (at = grants.find("lgcset_collector")) != std::string::npos;)
        grants.replace(at, 16, collector.name);
    ASSERT_EQ(db.Sql(grants), "");
    std::string url = db.Url();
    url.replace(0, url.find('@'), "postgresql://" + collector.name);

    const OpenResult opened = OpenArchive(url, false);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message;
    EXPECT_TRUE(opened.store->Add(Download(), Readings(0, 10)).status.ok());
    SettingsSnapshot snapshot;
    snapshot.pages[0] = std::vector<std::uint8_t>(256, 7);
    EXPECT_TRUE(opened.store->AddSnapshot(snapshot).status.ok());
    const Rows<AuditRow> appended = opened.store->AppendAudit({});
    ASSERT_TRUE(appended.status.ok()) << appended.status.message;
    EXPECT_EQ(appended.rows.at(0).entry.role, collector.name);
    EXPECT_EQ(opened.store->AuditTrail({}).rows.size(), 2u);
    EXPECT_EQ(opened.store->Snapshots("").rows.size(), 1u);

    for (const char* change : {"UPDATE audit_trail SET detail = 'x'", "DELETE FROM audit_trail",
                               "TRUNCATE audit_trail", "DELETE FROM snapshot_pages"}) {
        PGconn* c = PQconnectdb(url.c_str());
        PGresult* r = PQexec(c, change);
        EXPECT_STREQ(PQresultErrorField(r, PG_DIAG_SQLSTATE), "42501") << change;  // no right
        PQclear(r);
        PQfinish(c);
    }
}

}  // namespace
}  // namespace lgcset::archive
