#include "jobs/audit_entries.h"

#include <cstdio>

#include "data/sha256.h"

namespace lgcset::jobs {

namespace {

using archive::AuditAction;
using archive::AuditEntry;
using archive::AuditResult;

AuditEntry Entry(const archive::LoggerKey& logger, AuditAction action, std::string detail,
                 AuditResult result = AuditResult::Done, std::string why = {}) {
    AuditEntry entry;
    entry.deviceId = logger.deviceId;
    entry.model = logger.model;
    entry.action = action;
    entry.detail = std::move(detail);
    entry.result = result;
    entry.why = std::move(why);
    return entry;
}

std::string TimeText(int year, int month, int day, int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}

std::string Seconds(const std::optional<std::uint16_t>& value) {
    // An empty field goes out as 255, which the logger reads as its own default.
    return value ? std::to_string(*value) + " s" : "not set";
}

std::string RelayText(const data::RelayTestRequest& request) {
    const protocol::RelayTestParams& p = request.params;
    switch (request.action) {
        case protocol::RelayAction::NcNo:
            return "NC/NO, working time " + Seconds(p.workingTime);
        case protocol::RelayAction::Pulse:
            return "pulse, on " + Seconds(p.onTime) + ", off " + Seconds(p.offTime) +
                   ", repeat " + (p.repeatCount ? std::to_string(*p.repeatCount) : "not set");
        case protocol::RelayAction::Stop:
            break;
    }
    return "stop";
}

// A tool's row: Done when the logger said yes; a lost reply may have been acted on.
std::optional<AuditEntry> ToolEntry(const archive::LoggerKey& logger, AuditAction action,
                                    std::string detail, const ToolResult& result,
                                    std::string_view lineText, std::string_view mayHave) {
    switch (result.end) {
        case ToolResult::End::Done:
            return Entry(logger, action, std::move(detail));
        case ToolResult::End::Refused:
            return std::nullopt;
        case ToolResult::End::LineEnded:
            break;
    }
    return Entry(logger, action, std::move(detail), AuditResult::Failed,
                 std::string(lineText) + "; " + std::string(mayHave));
}

std::string FileLine(std::string_view kind, const std::string& name, const std::string& sha256) {
    return std::string(kind) + " " + name + " (SHA-256 " + (sha256.empty() ? "unknown" : sha256) +
           ")";
}

}  // namespace

archive::SettingsSnapshot ReadSnapshot(const archive::LoggerKey& logger, std::string firmware,
                                       const std::map<std::uint32_t, Page>& pages) {
    archive::SettingsSnapshot snapshot;
    snapshot.deviceId = logger.deviceId;
    snapshot.model = logger.model;
    snapshot.firmware = std::move(firmware);
    snapshot.reason = archive::SnapshotReason::Read;
    for (const auto& [address, page] : pages)
        snapshot.pages[address].assign(page.begin(), page.end());
    return snapshot;
}

std::optional<AuditEntry> FactoryResetEntry(const archive::LoggerKey& logger,
                                            const FactoryResetResult& result,
                                            std::string_view lineText) {
    switch (result.end) {
        case FactoryResetResult::End::Done:
            return Entry(logger, AuditAction::FactoryReset, {});
        case FactoryResetResult::End::NotSent:
        case FactoryResetResult::End::Refused:
            return std::nullopt;
        case FactoryResetResult::End::LineEnded:
            break;
    }
    return Entry(logger, AuditAction::FactoryReset, {}, AuditResult::Failed,
                 std::string(lineText) + "; the logger may have been reset");
}

std::optional<AuditEntry> ClockSetEntry(const archive::LoggerKey& logger,
                                        const ToolResult& result,
                                        const std::optional<data::DeviceTime>& before,
                                        const protocol::ClockSetting& set,
                                        std::string_view lineText) {
    const std::string old =
        before ? TimeText(before->date.year, before->date.month, before->date.day,
                          before->time.hour, before->time.minute, before->time.second)
               : "not read";
    const std::string now =
        TimeText(2000 + set.year, set.month, set.day, set.hour, set.minute, set.second);
    return ToolEntry(logger, AuditAction::ClockSet, "Clock: " + old + " -> " + now, result,
                     lineText, "the logger may have set its clock");
}

std::optional<AuditEntry> RelayTestedEntry(const archive::LoggerKey& logger,
                                           const ToolResult& result,
                                           const data::RelayTestRequest& request,
                                           std::string_view lineText) {
    return ToolEntry(logger, AuditAction::RelayTested, RelayText(request), result, lineText,
                     "the logger may have switched its relay");
}

AuditEntry DebugEchoEntry(const archive::LoggerKey& logger, bool on) {
    return Entry(logger, AuditAction::DebugEchoSwitched, on ? "on" : "off");
}

std::optional<AuditEntry> HistoryDownloadedEntry(const DownloadOrigin& origin,
                                                 const TransferResult& result,
                                                 std::string_view lineText) {
    using End = TransferResult::End;
    if (result.end == End::Running || result.end == End::RangeRefused)
        return std::nullopt;
    const std::size_t records = result.handedOver ? result.records.size() : result.arrived;
    std::string detail = origin.rangeFrom + " to " + origin.rangeTo + ": " +
                         std::to_string(records) + " records; ";
    switch (result.archived) {
        case TransferResult::Archive::Archived:
            detail += "archived, " + std::to_string(result.counts.added) + " new, " +
                      std::to_string(result.counts.alreadyThere) + " already there";
            break;
        case TransferResult::Archive::NotArchived:
            detail += "not archived: " + result.notArchived;
            break;
        case TransferResult::Archive::NotAsked:
            detail += "not archived";
            break;
    }
    if (result.end != End::LineEnded)
        return Entry(origin.logger, AuditAction::HistoryDownloaded, std::move(detail));
    return Entry(origin.logger, AuditAction::HistoryDownloaded, std::move(detail),
                 AuditResult::Failed,
                 std::string(lineText) + ": " + std::to_string(result.arrived) + " of " +
                     std::to_string(result.total) + " records had arrived");
}

std::optional<AuditEntry> ExportWrittenEntry(const archive::DownloadInfo& record) {
    std::string detail;
    if (!record.workbook.empty())
        detail = FileLine("workbook", record.workbook, record.workbookSha256);
    if (!record.csv.empty())
        detail += (detail.empty() ? "" : "\n") + FileLine("CSV", record.csv, record.csvSha256);
    if (detail.empty())
        return std::nullopt;
    return Entry(record.logger, AuditAction::ExportWritten, std::move(detail));
}

std::optional<AuditEntry> ExportWrittenEntry(const DownloadOrigin& origin,
                                             const TransferResult& result) {
    if (result.exported != TransferResult::Export::Saved)
        return std::nullopt;
    return ExportWrittenEntry(DownloadRecord(origin, SavedFilesOf(result.files)));
}

std::optional<AuditEntry> ArchiveImportedEntry(const archive::LoggerKey& logger,
                                               const std::filesystem::path& file,
                                               const archive::AddResult& added) {
    if (!added.status.ok())
        return std::nullopt;  // all or nothing: the archive is as it was
    const archive::AddCounts& c = added.counts;
    return Entry(logger, AuditAction::ArchiveImported,
                 file.string() + ": " + std::to_string(c.received) + " records, " +
                     std::to_string(c.added) + " new, " + std::to_string(c.alreadyThere) +
                     " already there, " + std::to_string(c.withoutTime) +
                     " without a real date and time");
}

std::optional<AuditEntry> ArchiveCopiedEntry(std::string_view from, std::string_view to,
                                             const archive::CopyResult& copied) {
    // Each download is its own transaction: a copy that stopped keeps what it stored.
    if (!copied.status.ok() && copied.downloads == 0)
        return std::nullopt;
    std::string detail = "from " + std::string(from) + " to " + std::string(to) + ": " +
                         std::to_string(copied.downloads) + " downloads copied, " +
                         std::to_string(copied.downloadsKnown) + " already there; " +
                         std::to_string(copied.added) + " readings new, " +
                         std::to_string(copied.alreadyThere) + " already there";
    if (copied.status.ok())
        return Entry({}, AuditAction::ArchiveCopied, std::move(detail));
    return Entry({}, AuditAction::ArchiveCopied, std::move(detail), AuditResult::Failed,
                 copied.status.message + " The copy stopped part way.");
}

AuditEntry ReportMadeEntry(const archive::LoggerKey& logger, const std::filesystem::path& file,
                           std::string_view source) {
    std::string detail = FileLine("report", file.filename().string(),
                                  data::Sha256OfFile(file).value_or(""));
    if (!source.empty())
        detail += "\nfrom " + std::string(source);
    return Entry(logger, AuditAction::ReportMade, std::move(detail));
}

std::string NotRecordedLine(const archive::ArchiveStatus& failed) {
    return failed.message + " The change was made but has no record in the audit trail.";
}

}  // namespace lgcset::jobs
