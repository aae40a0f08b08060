// The history CSV reader (the chart's "Open" and lgcset-cli's archive import) on any text.
// A file that reads, written back as the export writes it, must read the same; imported
// into an archive, every record with a time is either added or already there, and the
// archive then holds exactly those added.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "archive/sqlite_archive.h"
#include "data/history_csv_reader.h"
#include "export/csv_writer.h"
#include "export/history_export.h"
#include "fuzz_input.h"

namespace {

using namespace lgcset;

// "NAN" is a value the export writes and reads; it equals nothing, itself included.
bool SameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool SameRecord(const data::HistoryRecord& a, const data::HistoryRecord& b) {
    for (std::size_t i = 0; i < a.sensor.size(); ++i) {
        if (!SameValue(a.sensor[i], b.sensor[i]))
            return false;
    }
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second &&
           a.sensorPresent == b.sensorPresent && a.longitude == b.longitude &&
           a.latitude == b.latitude && a.velocity == b.velocity && a.direction == b.direction;
}

std::string Written(const std::vector<data::HistoryRecord>& records, std::string_view separator) {
    std::string csv;
    exports::AppendCsvLine(csv, data::kHistoryColumns);
    exports::ExportRow row;
    for (const auto& record : records) {
        exports::RecordCells(record, row);
        exports::AppendCsvRow(csv, row, separator);
    }
    return csv;
}

void Import(const std::vector<data::HistoryRecord>& records) {
    archive::OpenResult opened = archive::OpenSqliteArchive(":memory:", false);
    FUZZ_CHECK(opened.store != nullptr);
    archive::DownloadInfo download;
    download.logger = {"0000000000", "R481"};
    const archive::AddResult added = opened.store->Add(download, records);
    FUZZ_CHECK(added.status.ok());
    const archive::AddCounts& c = added.counts;
    FUZZ_CHECK(c.received == records.size());
    FUZZ_CHECK(c.added + c.alreadyThere + c.withoutTime == c.received);
    const auto held = opened.store->Readings(download.logger, INT64_MIN, INT64_MAX).rows;
    FUZZ_CHECK(held.size() == c.added);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const bool comma = in.Byte() & 1;
    const data::HistoryCsvRead read = data::ReadHistoryCsv(in.RestText());
    if (!read.ok)
        return 0;
    const data::HistoryCsvRead back = data::ReadHistoryCsv(Written(read.records, comma ? "," : "."));
    FUZZ_CHECK(back.ok);
    FUZZ_CHECK(back.records.size() == read.records.size());
    for (std::size_t i = 0; i < back.records.size(); ++i) {
        if (!SameRecord(back.records[i], read.records[i]))
            std::fprintf(stderr, "line %zu reads differently once written back:\n%s", i + 2,
                         Written({read.records[i]}, comma ? "," : ".").c_str());
        FUZZ_CHECK(SameRecord(back.records[i], read.records[i]));
    }
    Import(read.records);
    return 0;
}
