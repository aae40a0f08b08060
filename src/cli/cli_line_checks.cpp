// The rules of each command's line that its options alone do not say: what it needs, what
// excludes what. The command table names them; ParseCommandLine runs them once the line is
// read whole, so a refusal names a line as the user wrote it.
#include "cli/cli_command_table.h"

namespace lgcset::cli {

void HistoryNeeds(CliOptions& options) {
    if (!options.from || !options.to)
        options.Refuse("history needs --from and --to");
    else if (*options.to < *options.from)
        options.Refuse("history: the range ends before it starts (--to " + DateText(*options.to) +
                       " is before --from " + DateText(*options.from) + ")");
}

void CollectNeeds(CliOptions& options) {
    if (options.ports.empty() && options.portsGlobs.empty())
        options.Refuse("collect needs --port PATH or --ports-glob PATTERN");
    if (options.demo)
        options.Refuse("collect does not take --demo");
    if (options.sinceLast && (options.from || options.to))
        options.Refuse("--since-last and --from/--to exclude each other");
    else if (!options.sinceLast && (!options.from || !options.to))
        options.Refuse("collect needs --since-last or --from and --to");
    else if (!options.sinceLast && *options.to < *options.from)
        options.Refuse("collect: the range ends before it starts");
}

void ConfigureNeeds(CliOptions& options) {
    if (options.templateFile.empty())
        options.Refuse("configure needs --template PROFILE.ini");
    if (options.ports.empty() && options.portsGlobs.empty())
        options.Refuse("configure needs --port PATH or --ports-glob PATTERN");
    if (options.demo)
        options.Refuse("configure does not take --demo");
    if (!options.defaultRow.empty() && options.valuesFile.empty())
        options.Refuse("--default-row names a row of --values, which is not given");
}

void RelayNeeds(CliOptions& options) {
    if (options.relay == RelayMode::None)
        options.Refuse("relay needs --nc, --pulse or --stop");
}

void FactoryResetNeeds(CliOptions& options) {
    if (!options.yes)
        options.Refuse("factory-reset resets every setting of the logger: confirm with --yes");
}

namespace {

void NeedsDeviceId(CliOptions& options) {
    if (options.deviceId.empty())
        options.Refuse("archive " + options.archiveAction + " needs --device-id");
}

}  // namespace

void ArchiveExportNeeds(CliOptions& options) {
    NeedsDeviceId(options);
    if (!options.from || !options.to)
        options.Refuse("archive export needs --from and --to");
    else if (*options.to < *options.from)
        options.Refuse("archive export: the range ends before it starts");
}

void ArchiveImportNeeds(CliOptions& options) {
    NeedsDeviceId(options);
    if (options.model.empty())
        options.Refuse("archive import needs --model");
}

void ArchiveCopyNeeds(CliOptions& options) {
    if (options.copyFrom.empty() || options.copyTo.empty())
        options.Refuse(
            "archive copy needs --from and --to: an archive file or a postgresql:// URL each");
    if (!options.archive.empty())
        options.Refuse("archive copy names its archives with --from and --to, not --archive");
    // Said before the refusal of each option an action does not take: these words also tell
    // what copy does take.
    if (!options.deviceId.empty() || !options.model.empty() || !options.outDir.empty() ||
        options.json)
        options.Refuse("archive copy takes only --from and --to");
}

// The days are optional, each alone too; a range that ends before it starts lists nothing by
// a typing slip, so it is refused.
void AuditRangeNeeds(CliOptions& options) {
    if (options.from && options.to && *options.to < *options.from)
        options.Refuse("audit " + options.archiveAction + ": the range ends before it starts");
}

void AuditExportNeeds(CliOptions& options) {
    AuditRangeNeeds(options);
    if (options.csvOut.empty() == options.pdfOut.empty())
        options.Refuse("audit export needs one of --csv FILE and --pdf FILE");
}

void RestoreNeeds(CliOptions& options) {
    if (options.port.empty() && !options.demo)
        options.Refuse("settings-history restore needs --port PATH or --demo");
}

}  // namespace lgcset::cli
