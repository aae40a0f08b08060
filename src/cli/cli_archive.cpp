#include "cli/cli_archive.h"

#include <cstdio>
#include <filesystem>

#include "archive/archive_copy.h"
#include "archive/archive_open.h"
#include "archive/throwaway_archive.h"
#include "cli/cli_history.h"
#include "cli/cli_recording.h"
#include "data/calendar.h"
#include "data/history_csv_reader.h"
#include "jobs/audit_entries.h"
#include "jobs/download_record.h"
#include "jobs/logger_clock.h"

namespace lgcset::cli {

namespace {

std::string ReadingText(std::int64_t t) {
    const std::int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const std::int64_t second = t - days * 86400;
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d:%02d:%02d",
                  DateText(data::CivilFromDays(days)).c_str(), static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    return text;
}

std::string AddedLine(const archive::AddCounts& counts, const CliOptions& options,
                      const CliEnvironment& environment) {
    std::string line = std::to_string(counts.added) + " new records archived (" +
                       std::to_string(counts.alreadyThere) + " already there)";
    if (options.archive.empty() && environment.throwawayArchive)
        line += " " + std::string(archive::kThrowawayNote);
    if (counts.withoutTime > 0)
        line += "; " + std::to_string(counts.withoutTime) +
                " records without a real date and time were not archived";
    return line;
}

// The downloads at which a logger's clock was off, in the order archived.
std::vector<std::string> ClockWarnings(const std::vector<archive::ArchivedDownload>& downloads,
                                       const archive::LoggerKey& logger) {
    std::vector<std::string> warnings;
    for (const archive::ArchivedDownload& d : downloads)
        if (d.info.logger.deviceId == logger.deviceId && d.info.logger.model == logger.model)
            if (std::optional<std::string> warning = jobs::ClockWarning(d.info))
                warnings.push_back(std::move(*warning));
    return warnings;
}

int List(archive::ArchiveStore& store, bool json, std::ostream& out, std::ostream& err) {
    const archive::Rows<archive::LoggerSummary> read = store.Loggers();
    if (!read.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, read.status.message));
    const archive::Rows<archive::ArchivedDownload> downloads = store.Downloads();
    if (!downloads.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, downloads.status.message));
    const std::vector<archive::LoggerSummary>& loggers = read.rows;
    std::vector<std::string> offLines;
    if (json)
        out << "[";
    for (std::size_t i = 0; i < loggers.size(); ++i) {
        const archive::LoggerSummary& l = loggers[i];
        const std::vector<std::string> warnings = ClockWarnings(downloads.rows, l.logger);
        if (json) {
            out << (i == 0 ? "\n  " : ",\n  ")
                << "{\"device_id\": " << JsonString(l.logger.deviceId)
                << ", \"model\": " << JsonString(l.logger.model)
                << ", \"first_reading\": " << JsonString(ReadingText(l.firstReading))
                << ", \"last_reading\": " << JsonString(ReadingText(l.lastReading))
                << ", \"readings\": " << l.readings << ", \"downloads\": " << l.downloads;
            if (!warnings.empty()) {
                out << ", \"clock_warnings\": [";
                for (std::size_t w = 0; w < warnings.size(); ++w)
                    out << (w == 0 ? "" : ", ") << JsonString(warnings[w]);
                out << "]";
            }
            out << "}";
        } else {
            out << l.logger.deviceId << "\t" << l.logger.model << "\t"
                << ReadingText(l.firstReading) << "\t" << ReadingText(l.lastReading) << "\t"
                << l.readings << "\t" << l.downloads << "\n";
            for (const std::string& warning : warnings)
                offLines.push_back(l.logger.deviceId + " (" + l.logger.model + "): " + warning);
        }
    }
    if (json)
        out << (loggers.empty() ? "]\n" : "\n]\n");
    // Beside the table rather than in it: a script reading its columns is not misled.
    for (const std::string& line : offLines) err << "lgcset-cli: " << line << "\n";
    return kExitOk;
}

int Export(archive::ArchiveStore& store, const CliOptions& options,
           const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    std::filesystem::path folder;
    if (Outcome ready = PrepareOutFolder(options.outDir, folder); !ready.ok())
        return Fail(err, ready);
    const archive::Rows<archive::LoggerSummary> loggers = store.Loggers();
    if (!loggers.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, loggers.status.message));
    std::vector<archive::LoggerKey> matching;
    for (const archive::LoggerSummary& l : loggers.rows)
        if (l.logger.deviceId == options.deviceId &&
            (options.model.empty() || l.logger.model == options.model))
            matching.push_back(l.logger);
    if (matching.empty()) {
        const std::string none = "the archive holds no logger with the device ID ";
        return Fail(err, Outcome::Failed(kExitUsage, none + options.deviceId));
    }
    if (matching.size() > 1)
        return Fail(err,
                    Outcome::Failed(kExitUsage, "loggers of several models have the device ID " +
                                                    options.deviceId + ": name one with --model"));
    const data::CalendarDate& from = *options.from;
    const data::CalendarDate& to = *options.to;
    const archive::Rows<data::HistoryRecord> read = store.Readings(
        matching.front(), data::DaysFromCivil(from.year, from.month, from.day) * 86400,
        data::DaysFromCivil(to.year, to.month, to.day) * 86400 + 86399);
    if (!read.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, read.status.message));
    const std::vector<data::HistoryRecord>& records = read.rows;
    if (records.empty()) {
        out << "no readings of " << options.deviceId << " in the archive from " << DateText(from)
            << " to " << DateText(to) << "\n";
        return kExitOk;
    }
    exports::ExportOptions exportOptions;
    exportOptions.folders = {folder};
    if (environment.exportClock)
        exportOptions.clock = environment.exportClock;
    const exports::ExportResult result =
        exports::ExportHistory(records.data(), records.size(), exportOptions);
    if (result.outcome != exports::ExportResult::Outcome::Saved)
        return Fail(
            err, Outcome::Failed(kExitUsage, "the export could not be written: " + result.error));
    out << records.size() << " records\n"
        << result.workbook.string() << "\n"
        << result.csv.string() << "\n";
    return kExitOk;
}

int Import(archive::ArchiveStore& store, const CliOptions& options,
           const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    const data::HistoryCsvRead read = data::ReadHistoryCsvFile(options.csvFile);
    if (!read.ok)
        return Fail(err, Outcome::Failed(kExitUsage, options.csvFile + ": " + read.error));
    if (!read.form.empty())
        err << read.form << "\n";
    jobs::DownloadOrigin origin;
    origin.logger = {options.deviceId, options.model};
    origin.source = std::filesystem::absolute(options.csvFile).string();
    const archive::AddResult added =
        store.Add(jobs::DownloadRecord(origin, {{}, options.csvFile}), read.records);
    if (!added.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, added.status.message));
    out << AddedLine(added.counts, options, environment) << "\n";
    CommandRecord(jobs::ChangeLog(store, jobs::CurrentOperator()), err)
        .Record(jobs::ArchiveImportedEntry(origin.logger, origin.source, added));
    return kExitOk;
}

// What the opening of an archive merged, a line each.
void SayMerged(const archive::OpenResult& opened, std::ostream& notes) {
    for (const archive::TwinMerge& merge : opened.merged)
        notes << archive::MergedLine(merge) << "\n";
}

// Both archives named on the line; the target's file folder must exist, as for --archive.
int Copy(const CliOptions& options, std::ostream& out, std::ostream& err) {
    archive::OpenResult from = archive::OpenArchiveToRead(options.copyFrom);
    if (!from.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, from.status.message));
    SayMerged(from, err);
    archive::OpenResult to = archive::OpenArchive(options.copyTo, false);
    if (!to.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, to.status.message));
    SayMerged(to, err);
    const archive::CopyResult copied = archive::CopyArchive(*from.store, *to.store);
    // Recorded in the archive it changed.
    CommandRecord(jobs::ChangeLog(*to.store, jobs::CurrentOperator()), err)
        .Record(jobs::ArchiveCopiedEntry(archive::ShownArchiveName(options.copyFrom),
                                         archive::ShownArchiveName(options.copyTo), copied));
    out << "downloads: " << copied.downloads << " copied, " << copied.downloadsKnown
        << " already there; readings: " << copied.added << " new, " << copied.alreadyThere
        << " already there\n";
    if (copied.snapshots + copied.snapshotsKnown > 0)
        out << "settings snapshots: " << copied.snapshots << " copied, " << copied.snapshotsKnown
            << " already there\n";
    // Running it again finishes a copy that lost its line, not one from a broken file.
    if (!copied.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage,
                                         copied.status.error == archive::ArchiveError::Damaged
                                             ? copied.status.message
                                             : copied.status.message +
                                                   " Run the copy again to finish it."));
    return kExitOk;
}

}  // namespace

Outcome OpenArchive(const CliOptions& options, const CliEnvironment& environment,
                    std::unique_ptr<archive::ArchiveStore>& store, std::ostream& notes,
                    ArchiveUse use) {
    const bool named = !options.archive.empty();
    if (!named && !environment.defaultArchive)
        return Outcome::Failed(kExitUsage,
                               "no archive: name one with --archive (neither XDG_DATA_HOME "
                               "nor HOME is set)");
    const std::string name = named ? options.archive : environment.defaultArchive->string();
    archive::OpenResult opened = use == ArchiveUse::Read ? archive::OpenArchiveToRead(name)
                                                         : archive::OpenArchive(name, !named);
    if (!opened.status.ok())
        return Outcome::Failed(kExitUsage, opened.status.message);
    SayMerged(opened, notes);
    store = std::move(opened.store);
    return {};
}

int RunArchive(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
               std::ostream& err) {
    if (options.archiveAction == "copy")
        return Copy(options, out, err);
    std::unique_ptr<archive::ArchiveStore> store;
    const ArchiveUse use = options.archiveAction == "import" ? ArchiveUse::Write : ArchiveUse::Read;
    if (Outcome opened = OpenArchive(options, environment, store, err, use); !opened.ok())
        return Fail(err, opened);
    if (options.archiveAction == "list")
        return List(*store, options.json, out, err);
    if (options.archiveAction == "export")
        return Export(*store, options, environment, out, err);
    return Import(*store, options, environment, out, err);
}

Outcome ArchiveTransfer(jobs::TransferJob& job, const std::string& deviceId,
                        const settings::SettingsModel& settings, const CliOptions& options,
                        const CliEnvironment& environment, std::ostream& out) {
    std::unique_ptr<archive::ArchiveStore> store;
    if (Outcome opened = OpenArchive(options, environment, store, out); !opened.ok())
        return opened;
    const jobs::DownloadOrigin origin{{deviceId, settings.Text(settings::Setting::Model)},
                                      settings.Text(settings::Setting::Firmware),
                                      DateText(*options.from),
                                      DateText(*options.to),
                                      options.demo ? "simulated " + options.demoModel
                                                   : options.port};
    job.ArchiveInto(*store, origin);
    const jobs::TransferResult& kept = job.Result();
    if (kept.archived == jobs::TransferResult::Archive::NotArchived)
        return Outcome::Failed(kExitUsage, kept.notArchived);
    // No records handed over count as none added.
    out << AddedLine(kept.counts, options, environment) << "\n";
    return {};
}

}  // namespace lgcset::cli
