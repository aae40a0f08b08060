// What the archive keeps of a download beside its readings, built the same for the window's
// transfers, lgcset-cli's `history` and `collect`, and an imported CSV file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "archive/archive_store.h"
#include "export/history_export.h"
#include "jobs/logger_clock.h"

namespace lgcset::jobs {

// Where the readings came from.
struct DownloadOrigin {
    archive::LoggerKey logger;  // device ID and model
    std::string firmware;       // empty when not known
    std::string rangeFrom;      // the range asked, "YYYY-MM-DD"; empty for an imported file
    std::string rangeTo;
    std::string source;  // the port, or the imported file's path
};

// The files a download left behind; a path left empty names no file.
struct DownloadFiles {
    std::filesystem::path workbook;
    std::filesystem::path csv;
};

// The files of an export that was saved; none of one that was not.
DownloadFiles SavedFilesOf(const exports::ExportResult& exported);

// The record of a download that ended at `at` (seconds since 1970 UTC): the files by their
// names, with the SHA-256 of each as it lies on disk now.
archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files,
                                     std::int64_t at);
// The same, ended now.
archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files);
// The same with the logger's clock as it was read before the transfer.
archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files,
                                     const ClockComparison& clock);

}  // namespace lgcset::jobs
