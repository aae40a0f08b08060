#include "archive/change_record.h"

#include <array>
#include <utility>

namespace lgcset::archive {

namespace {

template <class Enum, std::size_t N>
std::optional<Enum> FromText(const std::array<std::pair<Enum, std::string_view>, N>& names,
                             std::string_view text) {
    for (const auto& [value, name] : names)
        if (name == text)
            return value;
    return std::nullopt;
}

template <class Enum, std::size_t N>
std::string_view ToText(const std::array<std::pair<Enum, std::string_view>, N>& names,
                        Enum value) {
    for (const auto& [each, name] : names)
        if (each == value)
            return name;
    return {};
}

// The texts are stored: a row written once is read by every later program.
constexpr std::array<std::pair<SnapshotReason, std::string_view>, 3> kReasons{{
    {SnapshotReason::Read, "read"},
    {SnapshotReason::BeforeWrite, "before write"},
    {SnapshotReason::AfterWrite, "after write"},
}};

constexpr std::array<std::pair<AuditAction, std::string_view>, 10> kActions{{
    {AuditAction::SettingsWritten, "settings written"},
    {AuditAction::FactoryReset, "factory reset"},
    {AuditAction::ClockSet, "clock set"},
    {AuditAction::RelayTested, "relay tested"},
    {AuditAction::DebugEchoSwitched, "debug echo switched"},
    {AuditAction::HistoryDownloaded, "history downloaded"},
    {AuditAction::ExportWritten, "export written"},
    {AuditAction::ArchiveImported, "archive imported"},
    {AuditAction::ArchiveCopied, "archive copied"},
    {AuditAction::ReportMade, "report made"},
}};

constexpr std::array<std::pair<AuditResult, std::string_view>, 3> kResults{{
    {AuditResult::Done, "done"},
    {AuditResult::Verified, "verified"},
    {AuditResult::Failed, "failed"},
}};

}  // namespace

std::string_view SnapshotReasonText(SnapshotReason reason) {
    return ToText(kReasons, reason);
}
std::optional<SnapshotReason> SnapshotReasonFromText(std::string_view text) {
    return FromText(kReasons, text);
}
std::string_view AuditActionText(AuditAction action) {
    return ToText(kActions, action);
}
std::optional<AuditAction> AuditActionFromText(std::string_view text) {
    return FromText(kActions, text);
}
std::string_view AuditResultText(AuditResult result) {
    return ToText(kResults, result);
}
std::optional<AuditResult> AuditResultFromText(std::string_view text) {
    return FromText(kResults, text);
}

bool TakeStoredTexts(AuditRow& row, std::string_view action, std::string_view result,
                     std::string& why) {
    const std::optional<AuditAction> knownAction = AuditActionFromText(action);
    const std::optional<AuditResult> knownResult = AuditResultFromText(result);
    if (!knownAction || !knownResult) {
        why = "audit row " + std::to_string(row.sequence) + " holds \"" +
              std::string(knownAction ? result : action) + "\", which this program does not know";
        return false;
    }
    row.entry.action = *knownAction;
    row.entry.result = *knownResult;
    return true;
}

}  // namespace lgcset::archive
