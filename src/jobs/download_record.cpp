#include "jobs/download_record.h"

#include <ctime>

#include "data/sha256.h"

namespace lgcset::jobs {

namespace {

// A file's name and digest, or two empty texts for no file.
void Describe(const std::filesystem::path& file, std::string& name, std::string& sha256) {
    if (file.empty())
        return;
    name = file.filename().string();
    sha256 = data::Sha256OfFile(file).value_or("");
}

}  // namespace

DownloadFiles SavedFilesOf(const exports::ExportResult& exported) {
    if (exported.outcome != exports::ExportResult::Outcome::Saved)
        return {};
    return {exported.workbook, exported.csv};
}

archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files,
                                     std::int64_t at) {
    archive::DownloadInfo download;
    download.logger = origin.logger;
    download.firmware = origin.firmware;
    download.at = at;
    download.rangeFrom = origin.rangeFrom;
    download.rangeTo = origin.rangeTo;
    download.source = origin.source;
    Describe(files.workbook, download.workbook, download.workbookSha256);
    Describe(files.csv, download.csv, download.csvSha256);
    return download;
}

archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files) {
    return DownloadRecord(origin, files, static_cast<std::int64_t>(std::time(nullptr)));
}

archive::DownloadInfo DownloadRecord(const DownloadOrigin& origin, const DownloadFiles& files,
                                     const ClockComparison& clock) {
    archive::DownloadInfo download = DownloadRecord(origin, files);
    download.clockOffset = clock.offset;
    download.utcOffset = clock.utcOffset;
    return download;
}

}  // namespace lgcset::jobs
