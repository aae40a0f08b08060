// The manifest beside an export: written with the pair under the same stamp and suffix,
// read back as written, found from the CSV file's name, and any other text refused.
#include "export/export_manifest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "data/sha256.h"
#include "export/flat_json.h"
#include "export/history_export.h"
#include "export_stores.h"

namespace lgcset::exports {
namespace {

namespace fs = std::filesystem;

ExportManifest Origin() {
    ExportManifest m;
    m.program = "lgcset";
    m.version = "1.0";
    m.deviceId = "8610045";
    m.model = "R481";
    m.firmware = "V2.07 \"beta\"\n\xC3\xA9";  // quotes, a line break and UTF-8 go through
    m.rangeFrom = "2024-03-01";
    m.rangeTo = "2024-03-05";
    m.complete = false;
    m.endedEarly = "Send command timeout";
    m.limits.emplace();
    (*m.limits)[0] = {std::nullopt, 2.0f, 8.1f, std::nullopt};
    (*m.limits)[3] = {-40.5f, std::nullopt, std::nullopt, 1e30f};
    return m;
}

TEST(ExportManifest, IsWrittenWithThePairUnderItsSuffixAndReadsBackAsWritten) {
    const fs::path folder = fs::temp_directory_path() /
                            ("lgcset-manifest-" +
                             std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    auto store = std::make_unique<data::HistoryStore>();
    const std::size_t count = test::FillStore("columns", *store);
    ExportOptions options;
    options.folders = {folder};
    options.clock = [] { return LocalTime{2026, 12, 9, 5, 40, 6}; };
    options.origin = Origin();
    // Only the manifest's name is taken: all three move on to "_2".
    std::ofstream(folder / "SAVE2026-12-09_05-40-06.json") << "earlier";

    const ExportResult result = ExportHistory(store->data(), count, options);
    ASSERT_EQ(result.outcome, ExportResult::Outcome::Saved) << result.error;
    EXPECT_EQ(result.workbook.filename(), "SAVE2026-12-09_05-40-06_2.xls");
    EXPECT_EQ(result.manifest, folder / "SAVE2026-12-09_05-40-06_2.json");
    EXPECT_EQ(ManifestPathOfCsv(result.csv), result.manifest);
    const ManifestRead read = ReadManifestFile(result.manifest);
    ASSERT_EQ(read.outcome, ManifestRead::Outcome::Read) << read.error;

    ExportManifest expected = Origin();
    expected.records = count;
    expected.firstRecord = "2000-01-01 00:00:00";
    expected.lastRecord = "2099-02-28 12:00:01";
    expected.workbook = "SAVE2026-12-09_05-40-06_2.xls";
    expected.csv = "SAVE_CSV_2026-12-09_05-40-06_2.csv";
    expected.workbookSha256 = data::Sha256OfFile(result.workbook).value_or("?");
    expected.csvSha256 = data::Sha256OfFile(result.csv).value_or("?");
    EXPECT_EQ(read.manifest, expected);
    EXPECT_EQ(fs::file_size(folder / "SAVE2026-12-09_05-40-06.json"), 7u);

    // Stopped: none of the three, and no temporary file.
    options.beforeRecord = [](std::size_t record, std::optional<int>) { return record < 2; };
    EXPECT_EQ(ExportHistory(store->data(), count, options).outcome, ExportResult::Outcome::Stopped);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);
    fs::remove_all(folder);
}

TEST(ExportManifest, IsFoundFromTheCsvFilesNameAlone) {
    const fs::path folder = fs::temp_directory_path() / "lgcset-manifest-names";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "SAVE2024-01-01_00-00-00_3.json") << "{}";
    const struct {
        const char* csv;
        const char* manifest;  // "": none
    } cases[] = {
        {"SAVE_CSV_2024-03-05_14-07-09.csv", "SAVE2024-03-05_14-07-09.json"},
        {"SAVE_CSV_2024-03-05_14-07-09_2.csv", "SAVE2024-03-05_14-07-09_2.json"},
        // The workbook's clock read came a second before, across a new year.
        {"SAVE_CSV_2024-01-01_00-00-01_3.csv", "SAVE2024-01-01_00-00-00_3.json"},
        {"SAVE_CSV_.csv", ""},
        {"report.csv", ""},
        {"SAVE_CSV_2024-03-05.txt", ""},
    };
    for (const auto& c : cases) {
        const auto path = ManifestPathOfCsv(folder / c.csv);
        EXPECT_EQ(path ? path->filename().string() : "", c.manifest) << c.csv;
    }
    fs::remove_all(folder);
}

TEST(ExportManifest, AnyOtherTextIsRefusedWithoutHarm) {
    const std::string good = ManifestJson([] {
        ExportManifest m = Origin();
        m.workbook = "a.xls";
        m.csv = "a.csv";
        m.workbookSha256 = m.csvSha256 = std::string(64, 'a');
        return m;
    }());
    ASSERT_EQ(ReadManifest(good).outcome, ManifestRead::Outcome::Read) << ReadManifest(good).error;
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string cases[] = {
        "",
        "[]",
        good + "x",
        replaced("\"manifest\": 1", "\"manifest\": 2"),
        replaced("\"records\": 0", "\"records\": {\"n\": 0}"),
        replaced("\"records\": 0", "\"records\": -1"),
        replaced("\"records\": 0", "\"records\": 01"),
        replaced("\"complete\": false", "\"complete\": \"no\""),
        replaced("\"model\"", "\"program\""),  // given twice
        replaced("\"R481\"", "\"R4\x80\""),     // not UTF-8
        replaced("\"R481\"", "\"\\ud800\""),    // a lone surrogate
        replaced("\"R481\"", "\"R481"),         // never closed
        replaced("\"sensor2_low\": null", "\"sensor2_low\": \"2\""),
        replaced("\"sensor2_low\": null", "\"sensor2_low\": 1e999"),
        replaced("\"csv_sha256\": \"aaaa", "\"csv_sha256\": \"AAAA"),
        replaced(",\n  \"ended_early_because\": \"Send command timeout\"", ""),
        std::string(kFlatJsonMaxBytes + 1, ' '),
        std::string(100000, '['),
    };
    for (const std::string& text : cases) {
        const ManifestRead read = ReadManifest(text);
        EXPECT_EQ(read.outcome, ManifestRead::Outcome::Invalid) << text.substr(0, 300);
        EXPECT_FALSE(read.error.empty());
    }
    EXPECT_EQ(ReadManifestFile(fs::temp_directory_path() / "lgcset-no-such.json").outcome,
              ManifestRead::Outcome::Missing);
}

}  // namespace
}  // namespace lgcset::exports
