// What the audit trail keeps of each action that changes a logger or a record, built from
// what its job returned: the same rows whether the window, lgcset-cli or collect made it.
// An action that failed without having changed anything gives no row (nullopt); one whose
// reply was lost may have changed something and gives a Failed row that says so.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "archive/archive_copy.h"
#include "archive/archive_store.h"
#include "data/device_clock.h"
#include "data/relay_test.h"
#include "jobs/device_tools_jobs.h"
#include "jobs/download_record.h"
#include "jobs/settings_jobs.h"
#include "jobs/transfer_job.h"
#include "protocol/request_params.h"

namespace lgcset::jobs {

// The logger's settings as read after a login; `logger` as the session knows it.
archive::SettingsSnapshot ReadSnapshot(const archive::LoggerKey& logger, std::string firmware,
                                       const std::map<std::uint32_t, Page>& pages);

// `lineText`: the host's words for why the line ended a job (the session's link error).
std::optional<archive::AuditEntry> FactoryResetEntry(const archive::LoggerKey& logger,
                                                     const FactoryResetResult& result,
                                                     std::string_view lineText);

// `before`: the logger's time read just before the set; none when it could not be read.
std::optional<archive::AuditEntry> ClockSetEntry(const archive::LoggerKey& logger,
                                                 const ToolResult& result,
                                                 const std::optional<data::DeviceTime>& before,
                                                 const protocol::ClockSetting& set,
                                                 std::string_view lineText);

std::optional<archive::AuditEntry> RelayTestedEntry(const archive::LoggerKey& logger,
                                                    const ToolResult& result,
                                                    const data::RelayTestRequest& request,
                                                    std::string_view lineText);

// The debug echo request goes out without a reply: sent is done.
archive::AuditEntry DebugEchoEntry(const archive::LoggerKey& logger, bool on);

// One row per transfer, once its archiving (if any) has run; none for a range refused
// before anything was sent.
std::optional<archive::AuditEntry> HistoryDownloadedEntry(const DownloadOrigin& origin,
                                                          const TransferResult& result,
                                                          std::string_view lineText);

// The export files as the download's record names them (names and SHA-256); none when
// the record names no file.
std::optional<archive::AuditEntry> ExportWrittenEntry(const archive::DownloadInfo& record);
// The same for a transfer's export; none unless it was saved.
std::optional<archive::AuditEntry> ExportWrittenEntry(const DownloadOrigin& origin,
                                                      const TransferResult& result);

// A CSV file added to the archive; none when nothing was stored.
std::optional<archive::AuditEntry> ArchiveImportedEntry(const archive::LoggerKey& logger,
                                                        const std::filesystem::path& file,
                                                        const archive::AddResult& added);

// One archive copied into another (names as messages show them, without a password);
// none when the copy stopped before storing anything.
std::optional<archive::AuditEntry> ArchiveCopiedEntry(std::string_view from, std::string_view to,
                                                      const archive::CopyResult& copied);

// A report file written from `source` (the transfer, or the CSV file it was made of).
archive::AuditEntry ReportMadeEntry(const archive::LoggerKey& logger,
                                    const std::filesystem::path& file, std::string_view source);

// What a host says when an action was made but its record could not be kept.
std::string NotRecordedLine(const archive::ArchiveStatus& failed);

}  // namespace lgcset::jobs
