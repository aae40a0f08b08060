// The export sequence without a window: the CSV file's exact bytes, the file names, the
// progress rule, stopping, failures that leave nothing behind, and the fallback folder.
#include "export/history_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "export_stores.h"

namespace lgcset::exports {
namespace {

namespace fs = std::filesystem;
using Outcome = ExportResult::Outcome;

class HistoryExport : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("lgcset-export-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        options_.folders = {folder_};
        // Two clock reads a second apart.
        options_.clock = [this] {
            LocalTime t{2024, 3, 5, 14, 7, 9 + reads_};
            ++reads_;
            return t;
        };
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    ExportResult Run(std::size_t count) { return ExportHistory(store_->data(), count, options_); }

    fs::path folder_;
    ExportOptions options_;
    int reads_ = 0;
    std::unique_ptr<data::HistoryStore> store_ = std::make_unique<data::HistoryStore>();
};

TEST_F(HistoryExport, CsvHoldsTheTextsOfEveryColumnWithCrLfAfterEachLine) {
    const std::size_t n = test::FillStore("columns", *store_);
    const ExportResult result = Run(n);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    EXPECT_EQ(result.workbook, folder_ / "SAVE2024-03-05_14-07-09.xls");
    EXPECT_EQ(result.csv, folder_ / "SAVE_CSV_2024-03-05_14-07-10.csv");
    EXPECT_EQ(Files(), (std::vector<std::string>{"SAVE2024-03-05_14-07-09.xls",
                                                 "SAVE_CSV_2024-03-05_14-07-10.csv"}));
    EXPECT_EQ(Read(result.csv),
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n"
              "24-03-05 14:07:09,23.46,20,25.1,-0.13,113.954321,22.54,45.6,90\r\n"
              "24-12-31 23:59:59,,,,,,,,\r\n"
              "00-01-01 00:00:00,,,,,,,45.6,90\r\n"
              "99-02-28 12:00:01,,,,,4294.967294,,429496729.4,0\r\n"
              "23-07-01 08:30:00,-40,0,1,100000000000000000000,113.0,0.000001,,\r\n"
              "24-06-30 18:45:30,123456.78,-9999.99,,,,,429496729,359.9\r\n"
              "24-00-05 14:07:09,1.5,,,,,,,\r\n"
              "23-02-30 00:00:00,,,,,,,,\r\n"
              "24-02-29 24:00:00,,,,,,,,\r\n"
              "24-02-29 06:05:04,NAN,INF,,,,,,\r\n");
    EXPECT_EQ(result.invalidTimes, 3u) << "month 0, 30 February, hour 24";
    EXPECT_EQ(Read(result.workbook).substr(0, 4), "\xD0\xCF\x11\xE0");
}

TEST_F(HistoryExport, DecimalCommaQuotesTheFieldsThatHoldOne) {
    const std::size_t n = test::FillStore("columns", *store_);
    options_.decimalSeparator = ",";
    const ExportResult result = Run(n);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    std::istringstream lines(Read(result.csv));
    std::string header, first, second;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(header,
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r");
    EXPECT_EQ(
        first,
        "24-03-05 14:07:09,\"23,46\",20,\"25,1\",\"-0,13\",\"113,954321\",\"22,54\",\"45,6\",90\r");
    EXPECT_EQ(second, "24-12-31 23:59:59,,,,,,,,\r");
}

TEST_F(HistoryExport, HeaderOnlyWhenThereAreNoRecords) {
    const ExportResult result = Run(0);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    EXPECT_EQ(Read(result.csv),
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n");
    EXPECT_TRUE(fs::exists(result.workbook));
}

TEST_F(HistoryExport, ProgressMovesAtEveryTenthOfTheRecordsAndStopsAtItsMaximum) {
    std::vector<std::pair<std::size_t, int>> moves;
    options_.beforeRecord = [&](std::size_t r, std::optional<int> p) {
        if (p)
            moves.emplace_back(r + 1, *p);
        return true;
    };
    ASSERT_EQ(Run(25).outcome, Outcome::Saved);
    std::vector<std::pair<std::size_t, int>> expected;
    for (std::size_t k = 2; k <= 24; k += 2)
        expected.emplace_back(k, std::min<int>(static_cast<int>(k) * 4, 80));
    EXPECT_EQ(moves, expected);

    moves.clear();
    ASSERT_EQ(Run(3).outcome, Outcome::Saved);
    EXPECT_EQ(moves, (std::vector<std::pair<std::size_t, int>>{{1, 80}, {2, 80}, {3, 80}}));

    EXPECT_EQ(ProgressAfterRecord(0, 10), 8);
    EXPECT_EQ(ProgressAfterRecord(9, 10), 80);
    EXPECT_EQ(ProgressAfterRecord(65529, 65535), 80);
    EXPECT_EQ(ProgressAfterRecord(65534, 65535), std::nullopt);
    EXPECT_EQ(ProgressAfterRecord(6552, 65535), 8);
    EXPECT_EQ(ProgressAfterRecord(6551, 65535), std::nullopt);
}

TEST_F(HistoryExport, StopBetweenRecordsLeavesNoFile) {
    test::FillStore("full", *store_);
    options_.beforeRecord = [](std::size_t r, std::optional<int>) { return r < 500; };
    EXPECT_EQ(Run(65535).outcome, Outcome::Stopped);
    EXPECT_TRUE(Files().empty());
}

TEST_F(HistoryExport, AFolderThatCannotBeWrittenGivesWayToTheNext) {
    test::FillStore("one", *store_);
    const fs::path missing = folder_ / "no-such-folder";
    const fs::path documents = folder_ / "documents";
    fs::create_directories(documents);
    options_.folders = {missing, documents};
    const ExportResult result = Run(1);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    EXPECT_EQ(result.workbook.parent_path(), documents);
    EXPECT_EQ(result.csv.parent_path(), documents);

    options_.folders = {missing};
    const ExportResult failed = Run(1);
    EXPECT_EQ(failed.outcome, Outcome::Failed);
    EXPECT_NE(failed.error.find("no-such-folder"), std::string::npos) << failed.error;
}

TEST_F(HistoryExport, AFileThatCannotTakeItsNameLeavesNeitherFileNorATemporaryOne) {
    test::FillStore("one", *store_);
    // Something else already holds the CSV file's name and cannot be replaced.
    fs::create_directories(folder_ / "SAVE_CSV_2024-03-05_14-07-10.csv" / "inside");
    const ExportResult result = Run(1);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(Files(), std::vector<std::string>{"SAVE_CSV_2024-03-05_14-07-10.csv"});
}

TEST_F(HistoryExport, MoreRecordsThanASheetHoldsAreRefused) {
    EXPECT_EQ(Run(65536).outcome, Outcome::Failed);
    EXPECT_TRUE(Files().empty());
}

TEST(HistoryExportCells, ValidTimesAreRealDatesAndOthersKeepTheirFields) {
    data::HistoryRecord r = test::Record(24, 3, 5, 14, 7, 9);
    ExportRow row;
    RecordCells(r, row);
    EXPECT_EQ(row[0].format, CellFormat::Time);
    // 2024-03-05 is day 45356 counted from 1899-12-30.
    EXPECT_DOUBLE_EQ(row[0].value, 45356 + (14 * 3600 + 7 * 60 + 9) / 86400.0);
    for (auto [month, day, hour, minute, second] :
         {std::array{0, 5, 1, 1, 1}, std::array{13, 1, 1, 1, 1}, std::array{2, 30, 1, 1, 1},
          std::array{4, 31, 1, 1, 1}, std::array{1, 0, 1, 1, 1}, std::array{1, 1, 24, 1, 1},
          std::array{1, 1, 1, 60, 1}, std::array{1, 1, 1, 1, 60}}) {
        RecordCells(test::Record(24, month, day, hour, minute, second), row);
        EXPECT_EQ(row[0].format, CellFormat::Text) << row[0].text;
    }
    EXPECT_TRUE(IsValidTime(test::Record(24, 2, 29, 0, 0, 0)));
    EXPECT_FALSE(IsValidTime(test::Record(23, 2, 29, 0, 0, 0)));
    RecordCells(test::Record(24, 0, 5, 14, 7, 9), row);
    EXPECT_EQ(row[0].text, "24-00-05 14:07:09");
}

TEST(HistoryExportCells, ClearingTheFlagsLeavesTheValues) {
    data::HistoryRecord r = test::Record(24, 3, 5, 14, 7, 9);
    test::SetSensor(r, 2, 5.0);
    r.velocity = 7;
    ClearSensorPresentFlags(&r, 1);
    EXPECT_EQ(r.sensorPresent, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(r.velocity, 7u);
}

}  // namespace
}  // namespace lgcset::exports
