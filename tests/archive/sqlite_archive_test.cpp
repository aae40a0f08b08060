#include "archive/sqlite_archive.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>
#include <fstream>
#include <string>

#include "archive/archive_schema.h"

namespace lgcset::archive {
namespace {

namespace fs = std::filesystem;

class SqliteArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("lgcset-archive-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = dir_ / "archive.sqlite";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<ArchiveStore> Open() {
        OpenResult opened = OpenSqliteArchive(file_, false);
        EXPECT_TRUE(opened.status.ok()) << opened.status.message;
        return std::move(opened.store);
    }

    // SQL run on the file behind the store's back.
    void Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file_.string().c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    fs::path dir_, file_;
};

const LoggerKey kTruck{"000000000012345", "R481"};

DownloadInfo Download(const LoggerKey& logger = kTruck, std::int64_t at = 1'700'000'000) {
    DownloadInfo d;
    d.logger = logger;
    d.at = at;
    d.source = "/dev/ttyUSB0";
    return d;
}

// A reading every half hour from 2024-03-01 00:00 on, sensor 1 and a position sent.
data::HistoryRecord Reading(int halfHour, double sensor1 = 21.5) {
    data::HistoryRecord r;
    r.year = 24;
    r.month = 3;
    r.day = static_cast<std::uint8_t>(1 + halfHour / 48);
    r.hour = static_cast<std::uint8_t>(halfHour % 48 / 2);
    r.minute = static_cast<std::uint8_t>(halfHour % 2 * 30);
    r.sensor = {sensor1, 0, 0, 0};
    r.sensorPresent = {1, 0, 0, 0};
    data::MarkPositionsAbsent(r);
    r.longitude = 24'123456;
    return r;
}

std::vector<data::HistoryRecord> Readings(int first, int count) {
    std::vector<data::HistoryRecord> records;
    for (int i = first; i < first + count; ++i) records.push_back(Reading(i));
    return records;
}

std::vector<data::HistoryRecord> Everything(ArchiveStore& store, const LoggerKey& logger = kTruck) {
    return store.Readings(logger, INT64_MIN, INT64_MAX);
}

TEST_F(SqliteArchiveTest, OverlappingDownloadsKeepTheirUnionOnceAndSayWhatWasNew) {
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

    const auto loggers = store->Loggers();
    ASSERT_EQ(loggers.size(), 1u);
    EXPECT_EQ(loggers[0].readings, 160u);
    EXPECT_EQ(loggers[0].downloads, 2u);
    EXPECT_EQ(loggers[0].firstSeen, 1'700'000'000);
    EXPECT_EQ(loggers[0].lastSeen, 1'700'100'000);
    EXPECT_EQ(loggers[0].firstReading, ReadingTime(Reading(0)));
    EXPECT_EQ(loggers[0].lastReading, ReadingTime(Reading(159)));
}

TEST_F(SqliteArchiveTest, SameTimeDifferentValuesKeptBesideAbsentValueDiffersFromZero) {
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

TEST_F(SqliteArchiveTest, ValuesKeptAsTheExportShowsThemSoAnImportedExportMerges) {
    auto store = Open();
    store->Add(Download(), {{Reading(0, 21.456f)}});
    const AddResult imported = store->Add(Download(), {{Reading(0, 21.46)}});
    EXPECT_EQ(imported.counts.alreadyThere, 1u);
    EXPECT_EQ(Everything(*store).at(0).sensor[0], 21.46);
}

TEST_F(SqliteArchiveTest, LoggersApartByDeviceIdAndModelAndRangeReadsOnlyTheRange) {
    auto store = Open();
    const LoggerKey other{"000000000012345", "R482"};
    store->Add(Download(), Readings(0, 48));
    store->Add(Download(other), Readings(0, 10));
    EXPECT_EQ(store->Loggers().size(), 2u);
    EXPECT_EQ(Everything(*store, other).size(), 10u);
    const auto hours = store->Readings(kTruck, ReadingTime(Reading(4)), ReadingTime(Reading(7)));
    ASSERT_EQ(hours.size(), 4u);
    EXPECT_EQ(hours.front().hour, 2);
    EXPECT_EQ(hours.back().minute, 30);
}

TEST_F(SqliteArchiveTest, RecordWithoutARealTimeIsCountedNotKept) {
    auto store = Open();
    data::HistoryRecord bad = Reading(0);
    bad.month = 0;
    const AddResult added = store->Add(Download(), {{bad, Reading(1)}});
    EXPECT_EQ(added.counts.withoutTime, 1u);
    EXPECT_EQ(added.counts.added, 1u);
}

TEST_F(SqliteArchiveTest, TransferCutShortLeavesTheArchiveAsBefore) {
    Open()->Add(Download(), Readings(0, 10));
    Sql("CREATE TRIGGER cut BEFORE INSERT ON readings WHEN (SELECT count(*) FROM readings) >= 15 "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    auto store = Open();
    const AddResult cut = store->Add(Download(), Readings(5, 20));
    EXPECT_EQ(cut.status.error, ArchiveError::WriteFailed);
    EXPECT_NE(cut.status.message.find("disk full"), std::string::npos) << cut.status.message;
    EXPECT_EQ(cut.counts.added, 0u);
    EXPECT_EQ(Everything(*store).size(), 10u);
    EXPECT_EQ(store->Loggers().at(0).downloads, 1u);
}

TEST_F(SqliteArchiveTest, SchemaVersionsOlderUpgradedNewerRefusedForeignRefused) {
    Open();
    Sql("UPDATE meta SET value = '" + std::to_string(CurrentSchemaVersion() + 1) +
        "' WHERE key = 'schema_version'");
    OpenResult newer = OpenSqliteArchive(file_, false);
    EXPECT_EQ(newer.status.error, ArchiveError::NewerSchema);
    EXPECT_EQ(newer.store, nullptr);
    EXPECT_NE(newer.status.message.find("newer version"), std::string::npos);

    // A file at version 0 (made, nothing in it yet) is brought to the current one.
    fs::remove(file_);
    Sql("PRAGMA user_version = 0");
    auto upgraded = Open();
    ASSERT_NE(upgraded, nullptr);
    EXPECT_TRUE(upgraded->Add(Download(), Readings(0, 1)).status.ok());

    fs::remove(file_);
    Sql("CREATE TABLE other (x)");
    EXPECT_EQ(OpenSqliteArchive(file_, false).status.error, ArchiveError::NotAnArchive);
    fs::remove(file_);
    std::ofstream(file_) << "time,Sensor1\n";
    EXPECT_EQ(OpenSqliteArchive(file_, false).status.error, ArchiveError::NotAnArchive);
}

TEST_F(SqliteArchiveTest, MissingFolderRefusedOrMadeAndAFileInItsPlaceRefused) {
    const fs::path nested = dir_ / "a" / "b" / "archive.sqlite";
    const OpenResult missing = OpenSqliteArchive(nested, false);
    EXPECT_EQ(missing.status.error, ArchiveError::FolderMissing);
    EXPECT_NE(missing.status.message.find((dir_ / "a" / "b").string()), std::string::npos);
    EXPECT_TRUE(OpenSqliteArchive(nested, true).status.ok());

    std::ofstream(dir_ / "plain") << "x";
    EXPECT_EQ(OpenSqliteArchive(dir_ / "plain" / "archive.sqlite", true).status.error,
              ArchiveError::FolderMissing);
}

}  // namespace
}  // namespace lgcset::archive
