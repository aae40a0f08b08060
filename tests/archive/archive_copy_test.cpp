// One archive copied into another, in both directions between the engines.
#include "archive/archive_copy.h"

#include <gtest/gtest.h>

#include "archive_engines.h"
#include "archive_test_data.h"

namespace lgcset::archive {
namespace {

using testing::EngineKind;

// The parameter is the engine copied into; the laptop's archive is always a file.
class ArchiveCopyTest : public ::testing::TestWithParam<EngineKind> {
  protected:
    void SetUp() override {
        laptopEngine_ = testing::kSqlite.make("laptop");
        teamEngine_ = GetParam().make("team");
        if (!teamEngine_->SkipReason().empty())
            GTEST_SKIP() << teamEngine_->SkipReason();
        ASSERT_EQ(teamEngine_->SetupError(), "");
        laptop_ = OpenArchive(laptopEngine_->Archive(), false).store;
        team_ = OpenArchive(teamEngine_->Archive(), false).store;
        ASSERT_NE(laptop_, nullptr);
        ASSERT_NE(team_, nullptr);
    }

    std::unique_ptr<testing::Engine> laptopEngine_, teamEngine_;
    std::unique_ptr<ArchiveStore> laptop_, team_;
};

TEST_P(ArchiveCopyTest, EveryDownloadMergedOnceAndASecondCopyAddsNothing) {
    const LoggerKey van{"000000000099999", "R483"};
    DownloadInfo exported = Download(kTruck, 1'700'000'000);
    exported.rangeFrom = "2024-03-01";
    exported.rangeTo = "2024-03-03";
    exported.csv = "history.csv";
    exported.csvSha256 = "ab12";
    exported.firmware = "V2.07";
    laptop_->Add(exported, Readings(0, 100));
    laptop_->Add(Download(kTruck, 1'700'100'000), Readings(50, 100));  // 50 new of 100
    data::HistoryRecord noSensor = Reading(3);
    noSensor.sensorPresent = {0, 0, 0, 0};
    laptop_->Add(Download(van), {{Reading(0, -4.25), noSensor}});
    // The team had one of the truck's readings from another laptop.
    team_->Add(Download(kTruck, 1'600'000'000), Readings(10, 1));

    const CopyResult first = CopyArchive(*laptop_, *team_);
    ASSERT_TRUE(first.status.ok()) << first.status.message;
    EXPECT_EQ(first.downloads, 3u);
    EXPECT_EQ(first.downloadsKnown, 0u);
    EXPECT_EQ(first.added, 151u);
    EXPECT_EQ(first.alreadyThere, 1u);

    for (const LoggerKey& logger : {kTruck, van}) {
        const auto from = Everything(*laptop_, logger);
        const auto to = Everything(*team_, logger);
        ASSERT_EQ(from.size(), to.size());
        for (std::size_t i = 0; i < from.size(); ++i) {
            EXPECT_EQ(ReadingTime(from[i]), ReadingTime(to[i]));
            EXPECT_EQ(from[i].sensor, to[i].sensor);
            EXPECT_EQ(from[i].sensorPresent, to[i].sensorPresent);
            EXPECT_EQ(from[i].longitude, to[i].longitude);
        }
    }
    const auto downloads = team_->Downloads().rows;
    ASSERT_EQ(downloads.size(), 4u);
    EXPECT_EQ(downloads[1].info.csvSha256, "ab12");
    EXPECT_EQ(downloads[1].info.rangeTo, "2024-03-03");
    EXPECT_EQ(downloads[1].info.firmware, "V2.07");
    EXPECT_EQ(downloads[2].received, 100u);  // as the transfer brought it, not 50
    EXPECT_EQ(downloads[2].added, 50u);

    const CopyResult second = CopyArchive(*laptop_, *team_);
    ASSERT_TRUE(second.status.ok()) << second.status.message;
    EXPECT_EQ(second.downloads, 0u);
    EXPECT_EQ(second.downloadsKnown, 3u);
    EXPECT_EQ(second.added, 0u);
    EXPECT_EQ(team_->Downloads().rows.size(), 4u);
    EXPECT_EQ(Everything(*team_).size(), 150u);

    // And back: the team's own download is the only one the laptop lacks.
    const CopyResult back = CopyArchive(*team_, *laptop_);
    EXPECT_EQ(back.downloads, 1u);
    EXPECT_EQ(back.downloadsKnown, 3u);
    EXPECT_EQ(back.added, 0u);
}

// Snapshots the target lacks are copied once; audit rows stay in the chain they were
// written into.
TEST_P(ArchiveCopyTest, SnapshotsCopiedOnceAuditRowsNotAtAll) {
    SettingsSnapshot snapshot;
    snapshot.deviceId = kTruck.deviceId;
    snapshot.reason = SnapshotReason::AfterWrite;
    snapshot.pages[0x1000] = std::vector<std::uint8_t>(256, 0);
    ASSERT_TRUE(team_->AddSnapshot(snapshot).status.ok());
    SettingsSnapshot later = snapshot;
    later.at = 60;
    for (const SettingsSnapshot& s : {snapshot, later}) ASSERT_TRUE(laptop_->AddSnapshot(s).status.ok());
    ASSERT_TRUE(laptop_->AppendAudit({}).status.ok());
    ASSERT_TRUE(team_->AppendAudit({}).status.ok());

    for (const std::size_t copied : {1u, 0u}) {
        const CopyResult result = CopyArchive(*laptop_, *team_);
        ASSERT_TRUE(result.status.ok()) << result.status.message;
        EXPECT_EQ(result.snapshots, copied);
        EXPECT_EQ(result.snapshotsKnown, 2u - copied);
    }
    const auto kept = team_->Snapshots(kTruck.deviceId).rows;
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].pages, later.pages);
    EXPECT_EQ(team_->AuditTrail({}).rows.size(), 1u);
}

TEST_P(ArchiveCopyTest, ACopyStoppedByAFailureKeepsWhatItStoredAndFinishesWhenRunAgain) {
    laptop_->Add(Download(kTruck, 1), Readings(0, 10));
    laptop_->Add(Download(kTruck, 2), Readings(10, 10));
    ASSERT_EQ(teamEngine_->Sql(teamEngine_->DiskFullAfter15()), "");
    const CopyResult cut = CopyArchive(*laptop_, *team_);
    EXPECT_EQ(cut.status.error, ArchiveError::WriteFailed);
    EXPECT_EQ(cut.downloads, 1u);
    EXPECT_EQ(Everything(*team_).size(), 10u);

    ASSERT_EQ(teamEngine_->Sql("DROP TRIGGER cut" + std::string(GetParam().name[0] == 'P'
                                                                    ? " ON readings"
                                                                    : "")),
              "");
    const CopyResult rest = CopyArchive(*laptop_, *team_);
    EXPECT_TRUE(rest.status.ok()) << rest.status.message;
    EXPECT_EQ(rest.downloads, 1u);
    EXPECT_EQ(rest.downloadsKnown, 1u);
    EXPECT_EQ(Everything(*team_).size(), 20u);
}

TEST_P(ArchiveCopyTest, ReadingsThatCannotBeReadStopTheCopyBeforeTheirDownloadIsStored) {
    team_->Add(Download(kTruck, 1), Readings(0, 10));
    ASSERT_EQ(teamEngine_->Sql("ALTER TABLE readings RENAME TO readings_away"), "");
    const CopyResult cut = CopyArchive(*team_, *laptop_);
    EXPECT_EQ(cut.status.error, ArchiveError::ReadFailed);
    EXPECT_NE(cut.status.message.find("could not be read"), std::string::npos)
        << cut.status.message;
    // Stored without its readings, the download would be skipped as known by every later copy.
    EXPECT_TRUE(laptop_->Downloads().rows.empty());

    ASSERT_EQ(teamEngine_->Sql("ALTER TABLE readings_away RENAME TO readings"), "");
    const CopyResult again = CopyArchive(*team_, *laptop_);
    EXPECT_TRUE(again.status.ok()) << again.status.message;
    EXPECT_EQ(again.downloads, 1u);
    EXPECT_EQ(Everything(*laptop_).size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveCopyTest,
                         ::testing::Values(testing::kSqlite, testing::kPostgres),
                         testing::EngineName);

}  // namespace
}  // namespace lgcset::archive
