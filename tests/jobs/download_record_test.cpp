#include "jobs/download_record.h"

#include <gtest/gtest.h>

#include <fstream>

namespace lgcset::jobs {
namespace {

// "abc" and its SHA-256.
constexpr const char* kAbcSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(DownloadRecordTest, NamesAndDigestsOnlyTheFilesLeftBehind) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "lgcset-download-record";
    std::filesystem::create_directories(folder);
    const std::filesystem::path workbook = folder / "SAVE2024-03-05_14-07-09.xls";
    const std::filesystem::path csv = folder / "SAVE_CSV_2024-03-05_14-07-09.csv";
    std::ofstream(workbook, std::ios::binary) << "abc";
    std::ofstream(csv, std::ios::binary) << "abc";
    const DownloadOrigin origin{{"000000000000101", "R483"}, "V3.05", "2024-03-01", "2024-03-31",
                                "/dev/ttyUSB0"};

    exports::ExportResult saved;
    saved.outcome = exports::ExportResult::Outcome::Saved;
    saved.workbook = workbook;
    saved.csv = csv;
    exports::ExportResult failed = saved;  // a full disk: its paths name nothing written
    failed.outcome = exports::ExportResult::Outcome::Failed;

    struct Case {
        const char* what;
        DownloadFiles files;
        std::string workbook, workbookSha256, csv, csvSha256;
    };
    const Case cases[] = {
        {"saved", SavedFilesOf(saved), workbook.filename().string(), kAbcSha256,
         csv.filename().string(), kAbcSha256},
        {"not saved", SavedFilesOf(failed), "", "", "", ""},
        {"imported CSV file", {{}, csv}, "", "", csv.filename().string(), kAbcSha256},
        {"file gone since", {folder / "gone.xls", {}}, "gone.xls", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const archive::DownloadInfo info = DownloadRecord(origin, c.files, 1711900000);
        EXPECT_EQ(info.logger.deviceId, "000000000000101");
        EXPECT_EQ(info.logger.model, "R483");
        EXPECT_EQ(info.firmware, "V3.05");
        EXPECT_EQ(info.at, 1711900000);
        EXPECT_EQ(info.rangeFrom, "2024-03-01");
        EXPECT_EQ(info.rangeTo, "2024-03-31");
        EXPECT_EQ(info.source, "/dev/ttyUSB0");
        EXPECT_EQ(info.workbook, c.workbook);
        EXPECT_EQ(info.workbookSha256, c.workbookSha256);
        EXPECT_EQ(info.csv, c.csv);
        EXPECT_EQ(info.csvSha256, c.csvSha256);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lgcset::jobs
