// Writes the workbook and CSV file of a named store into a folder, for the checks that read
// them with real spreadsheet readers (check_with_readers.py).
//   export_fixture <columns|one|none|full|two_sheets> <folder>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/history_record.h"
#include "export/history_export.h"
#include "export_stores.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: export_fixture <columns|one|none|full|two_sheets> <folder>\n");
        return 2;
    }
    std::vector<lgcset::data::HistoryRecord> records;
    if (std::strcmp(argv[1], "two_sheets") == 0) {
        records = lgcset::exports::test::TwoSheetRecords();
    } else {
        auto store = std::make_unique<lgcset::data::HistoryStore>();
        const std::size_t count = lgcset::exports::test::FillStore(argv[1], *store);
        if (count == static_cast<std::size_t>(-1)) {
            std::fprintf(stderr, "unknown store %s\n", argv[1]);
            return 2;
        }
        records.assign(store->data(), store->data() + count);
    }
    lgcset::exports::ExportOptions options;
    options.folders = {argv[2]};
    const auto result = lgcset::exports::ExportHistory(records.data(), records.size(), options);
    if (result.outcome != lgcset::exports::ExportResult::Outcome::Saved) {
        std::fprintf(stderr, "export failed: %s\n", result.error.c_str());
        return 1;
    }
    std::printf("%s\n%s\n", result.workbook.string().c_str(), result.csv.string().c_str());
    return 0;
}
