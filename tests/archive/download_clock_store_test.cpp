// The logger's clock kept with each download, and the upgrade that brings the columns to an
// archive of the version before: the same against each engine.
#include <gtest/gtest.h>

#include "archive_engines.h"
#include "archive_test_data.h"

namespace lgcset::archive {
namespace {

class DownloadClockStoreTest : public testing::EngineTest {
  protected:
    DownloadClockStoreTest() : EngineTest("clock") {}
};

TEST_P(DownloadClockStoreTest, TheClockKeptWithADownloadUnknownStaysUnknownAndACopyCarriesIt) {
    auto store = Open();
    DownloadInfo ahead = Download();
    ahead.clockOffset = 312;
    ahead.utcOffset = 3600;
    DownloadInfo behind = Download(kTruck, 1'700'000'100);
    behind.clockOffset = -7200;  // a zone's difference: two hours behind
    behind.utcOffset = -18000;
    const DownloadInfo unknown = Download(kTruck, 1'700'000'200);
    for (const DownloadInfo& d : {ahead, behind, unknown})
        ASSERT_TRUE(store->Add(d, Readings(0, 2)).status.ok());

    ArchivedDownload copied = store->Downloads().rows.at(0);
    copied.info.at += 1000;  // another download, so that the copy is not known already
    ASSERT_TRUE(store->AddCopy(copied, Readings(0, 2)).status.ok());

    const auto rows = store->Downloads().rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].info.clockOffset, 312);
    EXPECT_EQ(rows[0].info.utcOffset, 3600);
    EXPECT_EQ(rows[1].info.clockOffset, -7200);
    EXPECT_EQ(rows[1].info.utcOffset, -18000);
    EXPECT_EQ(rows[2].info.clockOffset, std::nullopt);
    EXPECT_EQ(rows[2].info.utcOffset, std::nullopt);
    EXPECT_EQ(rows[3].info.clockOffset, 312);
    EXPECT_EQ(rows[3].info.utcOffset, 3600);
}

// An archive of version 3 keeps its downloads, their clock unknown, and takes the clock and
// calibrations from then on; marked older than it is, it runs the step again unharmed.
TEST_P(DownloadClockStoreTest, UpgradeFromVersionThreeAddsTheClockAndRunsAgainUnharmed) {
    const auto steps = engine_->Steps();
    for (std::size_t i = 0; i < 3; ++i) Sql(std::string(steps[i]));
    Sql("INSERT INTO meta (key, value) VALUES ('schema_version', '3');"
        "INSERT INTO loggers (device_id, model, firmware, first_seen, last_seen) "
        "VALUES ('000000000012345', 'R481', '2.07', 10, 20);"
        "INSERT INTO downloads (logger_id, at, range_from, range_to, received, added, source, "
        "workbook, workbook_sha256, csv, csv_sha256) "
        "VALUES (1, 20, '2024-03-01', '2024-03-02', 2, 2, '/dev/ttyUSB0', 'a.xls', 'aa', "
        "'a.csv', 'cc');");
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        auto store = Open();
        ASSERT_NE(store, nullptr);
        DownloadInfo clocked = Download(kTruck, 1'700'000'000 + opening);
        clocked.clockOffset = 60;
        clocked.utcOffset = 0;
        ASSERT_TRUE(store->Add(clocked, Readings(0, 1)).status.ok());
        const auto rows = store->Downloads().rows;
        ASSERT_EQ(rows.size(), 2u + opening);
        EXPECT_EQ(rows[0].info.csvSha256, "cc");
        EXPECT_EQ(rows[0].info.clockOffset, std::nullopt);
        EXPECT_EQ(rows.back().info.clockOffset, 60);
        store.reset();
        Sql("UPDATE meta SET value = '3' WHERE key = 'schema_version'");
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DownloadClockStoreTest,
                         ::testing::Values(testing::kSqlite, testing::kPostgres),
                         testing::EngineName);

}  // namespace
}  // namespace lgcset::archive
