// What the archive keeps of the changes made to loggers and records: each logger's settings
// as raw pages (a snapshot per read and per write), and the audit trail, one row per action
// that changed a logger or a record, each row chained to the one before by SHA-256 so that a
// row changed, removed or put in with the database's own tools is found.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lgcset::archive {

// Why a snapshot was taken.
enum class SnapshotReason {
    Read,         // the settings read after a login: what the logger held
    BeforeWrite,  // the pages about to be written, kept before the first erase
    AfterWrite,   // the pages read back after a write the logger was found to hold
};

// "read", "before write", "after write": as stored and shown.
std::string_view SnapshotReasonText(SnapshotReason reason);
std::optional<SnapshotReason> SnapshotReasonFromText(std::string_view text);

struct SettingsSnapshot {
    std::int64_t id = 0;  // given by the archive
    std::string deviceId;
    std::string model;
    std::string firmware;
    std::int64_t at = 0;  // seconds since 1970 UTC
    SnapshotReason reason = SnapshotReason::Read;
    // The four settings pages by address, each as the logger holds it (256 bytes).
    std::map<std::uint32_t, std::vector<std::uint8_t>> pages;
};

enum class AuditAction {
    SettingsWritten,
    FactoryReset,
    ClockSet,
    RelayTested,
    DebugEchoSwitched,
    HistoryDownloaded,
    ExportWritten,
    ArchiveImported,
    ArchiveCopied,
    ReportMade,
};

// "settings written", "factory reset", ...: as stored and shown.
std::string_view AuditActionText(AuditAction action);
std::optional<AuditAction> AuditActionFromText(std::string_view text);

enum class AuditResult {
    Done,      // it went through; nothing read back
    Verified,  // read back: the logger holds what was written
    Failed,    // `why` says what went wrong and what it left behind
};

std::string_view AuditResultText(AuditResult result);  // "done", "verified", "failed"
std::optional<AuditResult> AuditResultFromText(std::string_view text);

// One action as its host reports it; the archive adds the row's number and the chain.
struct AuditEntry {
    std::int64_t at = 0;  // seconds since 1970 UTC
    std::string user;     // the system's login name
    std::string role;     // PostgreSQL: the database role the row was written as (the archive
                          // fills it in); empty on SQLite
    std::string host;
    std::string program;  // "LGCSET 1.4.0"
    std::string deviceId;
    std::string model;
    AuditAction action = AuditAction::SettingsWritten;
    std::string detail;  // a write: one line per changed setting, "Caption: old -> new"
    AuditResult result = AuditResult::Done;
    std::string why;     // Failed: the reason and what the logger was left with
    std::string reason;  // the user's reason for the change; may be empty
};

struct AuditRow {
    std::int64_t sequence = 0;  // 1, 2, 3, ... in the order appended
    AuditEntry entry;
    std::string previousHash;  // hex; 64 '0' for the first row
    std::string hash;          // hex SHA-256 of previousHash and the row's canonical form
};

// The action and result a row holds as stored texts, into its entry; false and the sentence
// in `why` when either is one this program does not know (a row changed by hand).
bool TakeStoredTexts(AuditRow& row, std::string_view action, std::string_view result,
                     std::string& why);

// Which rows `audit list` and the export read; every row when nothing is set.
struct AuditFilter {
    std::optional<std::string> deviceId;
    std::optional<std::int64_t> from;  // at >= from
    std::optional<std::int64_t> to;    // at <= to
};

}  // namespace lgcset::archive
