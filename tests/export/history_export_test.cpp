// The export sequence without a window: the CSV file's exact bytes, the file names, the
// progress rule, stopping, failures that leave nothing behind, and the fallback folder.
#include "export/history_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "export/pending_file.h"
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

// Windows names files in UTF-16: a folder name taken as narrow text would not be found.
TEST_F(HistoryExport, AFolderNamedBeyondAsciiTakesBothFiles) {
    test::FillStore("one", *store_);
    const fs::path folder = folder_ / fs::path(u8"Messwerte S\u00FCd \u6771\u4EAC");
    fs::create_directories(folder);
    options_.folders = {folder};
    const ExportResult result = Run(1);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    EXPECT_EQ(result.workbook.parent_path(), folder);
    EXPECT_TRUE(fs::is_regular_file(result.workbook));
    EXPECT_FALSE(Read(result.csv).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

// The lines of the CSV file: the header and one per record.
std::size_t CsvLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(HistoryExport, AnExistingPairIsNeverReplacedTheNewOneTakesTheNextSuffix) {
    test::FillStore("columns", *store_);
    options_.clock = [] { return LocalTime{2026, 12, 9, 5, 40, 6}; };  // one second
    ASSERT_EQ(Run(10).outcome, Outcome::Saved);
    const ExportResult second = Run(3);
    ASSERT_EQ(second.outcome, Outcome::Saved) << second.error;
    EXPECT_EQ(second.workbook, folder_ / "SAVE2026-12-09_05-40-06_2.xls");
    EXPECT_EQ(second.csv, folder_ / "SAVE_CSV_2026-12-09_05-40-06_2.csv");
    const ExportResult third = Run(1);
    EXPECT_EQ(third.workbook, folder_ / "SAVE2026-12-09_05-40-06_3.xls");
    EXPECT_EQ(third.csv, folder_ / "SAVE_CSV_2026-12-09_05-40-06_3.csv");
    EXPECT_EQ(Files().size(), 6u) << "no temporary file is left";
    EXPECT_EQ(CsvLines(Read(folder_ / "SAVE_CSV_2026-12-09_05-40-06.csv")), 11u);
    EXPECT_EQ(CsvLines(Read(second.csv)), 4u);
    EXPECT_EQ(CsvLines(Read(third.csv)), 2u);
}

TEST_F(HistoryExport, ANameTakenByOnlyOneOfTheTwoFilesMovesBothToTheSameSuffix) {
    test::FillStore("one", *store_);
    // The two clock reads a second apart: ...09.xls and ...10.csv.
    const auto only = [&](const std::string& name) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        std::ofstream(folder_ / name) << "earlier";
        reads_ = 0;
        return Run(1);
    };
    ExportResult result = only("SAVE_CSV_2024-03-05_14-07-10.csv");
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    EXPECT_EQ(result.workbook, folder_ / "SAVE2024-03-05_14-07-09_2.xls");
    EXPECT_EQ(result.csv, folder_ / "SAVE_CSV_2024-03-05_14-07-10_2.csv");
    EXPECT_EQ(Read(folder_ / "SAVE_CSV_2024-03-05_14-07-10.csv"), "earlier");

    result = only("SAVE2024-03-05_14-07-09.xls");
    EXPECT_EQ(result.workbook, folder_ / "SAVE2024-03-05_14-07-09_2.xls");
    EXPECT_EQ(result.csv, folder_ / "SAVE_CSV_2024-03-05_14-07-10_2.csv");
    EXPECT_EQ(Read(folder_ / "SAVE2024-03-05_14-07-09.xls"), "earlier");
    EXPECT_EQ(Files().size(), 3u);

    // Not a file at all: the name is still taken, and what holds it stays.
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "SAVE_CSV_2024-03-05_14-07-10.csv" / "inside");
    reads_ = 0;
    result = Run(1);
    EXPECT_EQ(result.csv, folder_ / "SAVE_CSV_2024-03-05_14-07-10_2.csv");
    EXPECT_TRUE(fs::exists(folder_ / "SAVE_CSV_2024-03-05_14-07-10.csv" / "inside"));
}

TEST_F(HistoryExport, ExportsRacingIntoOneFolderNeverShareANameOrReplaceAFile) {
    test::FillStore("full", *store_);
    constexpr int kExporters = 6, kRounds = 3;
    options_.clock = [] { return LocalTime{2026, 12, 9, 5, 40, 6}; };
    std::vector<std::vector<ExportResult>> results(kExporters);
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < kExporters; ++t) {
            threads.emplace_back([&, t] {
                ExportOptions options = options_;  // each its own, as separate programs
                for (int round = 0; round < kRounds; ++round) {
                    const std::size_t count = static_cast<std::size_t>(t * kRounds + round + 1);
                    results[static_cast<std::size_t>(t)].push_back(
                        ExportHistory(store_->data(), count, options));
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    }
    std::set<fs::path> names;
    for (int t = 0; t < kExporters; ++t) {
        for (int round = 0; round < kRounds; ++round) {
            const ExportResult& r =
                results[static_cast<std::size_t>(t)][static_cast<std::size_t>(round)];
            ASSERT_EQ(r.outcome, Outcome::Saved) << r.error;
            EXPECT_TRUE(names.insert(r.workbook).second) << r.workbook;
            EXPECT_TRUE(names.insert(r.csv).second) << r.csv;
            // The pair shares its suffix.
            EXPECT_EQ(r.workbook.stem().string().substr(4), r.csv.stem().string().substr(9));
            // Still the records this export wrote: nobody replaced it.
            EXPECT_EQ(CsvLines(Read(r.csv)), static_cast<std::size_t>(t * kRounds + round + 2));
        }
    }
    EXPECT_EQ(Files().size(), static_cast<std::size_t>(2 * kExporters * kRounds));
}

TEST(PendingFileTest, AFileThatCannotTakeItsNameIsGoneWithItsTemporaryName) {
    const fs::path folder =
        fs::temp_directory_path() /
        ("lgcset-pending-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    {
        PendingFile file;
        ASSERT_TRUE(file.Open(folder / "a.csv"));
        PendingFile other;  // the same target at once: a temporary name of its own
        ASSERT_TRUE(other.Open(folder / "a.csv"));
        EXPECT_NE(file.Current(), other.Current());
        ASSERT_TRUE(file.Write(std::string_view("x")));
        ASSERT_TRUE(file.Close());
        EXPECT_EQ(file.MoveTo(folder / "missing" / "a.csv"), Claim::Failed);
        EXPECT_NE(file.Error().find("missing"), std::string::npos) << file.Error();
    }
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}

TEST_F(HistoryExport, MoreRecordsThanASheetHoldsGoOnInTheNextSheetAndAllInTheCsv) {
    const std::vector<data::HistoryRecord> records = test::TwoSheetRecords();
    const ExportResult result = ExportHistory(records.data(), records.size(), options_);
    ASSERT_EQ(result.outcome, Outcome::Saved) << result.error;
    const std::string csv = Read(result.csv);
    EXPECT_EQ(CsvLines(csv), records.size() + 1) << "one header, then every record";
    EXPECT_NE(csv.find("\r\n25-01-01 00:00:00,"), std::string::npos) << "the first of sheet 2";
    // The sheets' names are Latin-1 texts in the workbook stream; the readers check the rest.
    const std::string workbook = Read(result.workbook);
    EXPECT_NE(workbook.find("Sheet2"), std::string::npos);
    EXPECT_EQ(workbook.find("Sheet3"), std::string::npos);
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
