#include "cli/cli_audit.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "archive/archive_open.h"
#include "cli/audit_csv.h"
#include "cli/audit_pdf.h"
#include "cli/audit_text.h"
#include "cli/audit_verdict.h"
#include "cli/cli_archive.h"
#include "data/printable_text.h"
#include "export/pending_file.h"
#include "profiles/ini_file_calls.h"
#include "project_version.h"

namespace lgcset::cli {

namespace {

using archive::AuditRow;

void ListText(std::span<const AuditRow> rows, std::ostream& out) {
    for (const AuditRow& row : rows) {
        const archive::AuditEntry& e = row.entry;
        // One line per row whatever its texts hold: the changes follow it, indented.
        const auto shown = [](std::string_view text) { return data::PrintableText(text); };
        out << row.sequence << "\t" << UtcText(e.at) << "\t" << shown(WhoText(e)) << "\t"
            << shown(e.host) << "\t" << shown(e.program) << "\t" << shown(e.deviceId) << "\t"
            << shown(e.model) << "\t" << archive::AuditActionText(e.action) << "\t"
            << shown(OutcomeText(e)) << "\t" << shown(e.reason) << "\n";
        for (const std::string& line : DetailLines(e.detail)) out << "    " << shown(line) << "\n";
    }
}

void ListJson(std::span<const AuditRow> rows, std::ostream& out) {
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AuditRow& row = rows[i];
        const archive::AuditEntry& e = row.entry;
        out << (i == 0 ? "\n  " : ",\n  ") << "{\"sequence\": " << row.sequence
            << ", \"at\": " << JsonString(UtcText(e.at)) << ", \"user\": " << JsonString(e.user)
            << ", \"role\": " << JsonString(e.role) << ", \"host\": " << JsonString(e.host)
            << ", \"program\": " << JsonString(e.program)
            << ", \"device_id\": " << JsonString(e.deviceId)
            << ", \"model\": " << JsonString(e.model)
            << ", \"action\": " << JsonString(archive::AuditActionText(e.action))
            << ", \"result\": " << JsonString(archive::AuditResultText(e.result))
            << ", \"why\": " << JsonString(e.why) << ", \"reason\": " << JsonString(e.reason)
            << ", \"detail\": " << JsonString(e.detail)
            << ", \"previous_hash\": " << JsonString(row.previousHash)
            << ", \"hash\": " << JsonString(row.hash) << "}";
    }
    out << (rows.empty() ? "]\n" : "\n]\n");
}

std::string MadeText() {
    return UtcText(static_cast<std::int64_t>(std::time(nullptr))) + " UTC by lgcset-cli " +
           kVersion;
}

// The whole file under a temporary name beside the target, named only when complete: a
// failure leaves neither half a file nor a damaged earlier one.
Outcome Save(const std::filesystem::path& target, std::span<const char> bytes) {
    exports::PendingFile file;
    if (!file.Open(target) || !file.Write(bytes) || !file.Close())
        return Outcome::Failed(kExitUsage, file.Error());
    std::error_code ec;
    if (!profiles::MoveReplacing(file.Current(), target, ec))
        return Outcome::Failed(kExitUsage, "cannot rename " + file.Current().string() + " to " +
                                               target.string() + ": " + ec.message());
    file.Keep();
    return {};
}

// The archive's own file is never written over by a slip of --csv or --pdf.
bool IsTheArchive(const std::filesystem::path& target, const std::string& archiveName) {
    std::error_code ec;
    return !archive::IsDatabaseUrl(archiveName) &&
           std::filesystem::equivalent(target, archiveName, ec);
}

int Export(archive::ArchiveStore& store, const CliOptions& options, const std::string& archiveName,
           std::ostream& out, std::ostream& err) {
    const bool pdf = !options.pdfOut.empty();
    const std::filesystem::path target = pdf ? options.pdfOut : options.csvOut;
    if (IsTheArchive(target, archiveName))
        return Fail(err, Outcome::Failed(kExitUsage,
                                         target.string() + " is the archive: nothing was written"));
    const archive::AuditFilter filter = AuditFilterOf(options);
    const archive::Rows<AuditRow> rows = store.AuditTrail(filter);
    if (!rows.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, rows.status.message));
    // The chain is the whole trail's, whichever rows are shown.
    const bool filtered = filter.deviceId || filter.from || filter.to;
    const archive::Rows<AuditRow> whole = filtered ? store.AuditTrail({}) : rows;
    if (!whole.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, whole.status.message));
    const ChainVerdict chain = CheckChain(whole.rows);

    std::vector<char> bytes;
    if (pdf) {
        std::string error;
        bytes = AuditPdf(rows.rows,
                         {archive::ShownArchiveName(archiveName), FilterText(options), MadeText()},
                         chain, error);
        if (bytes.empty())
            return Fail(err, Outcome::Failed(kExitUsage, error));
    } else {
        const std::string text = AuditCsv(rows.rows);
        bytes.assign(text.begin(), text.end());
    }
    if (Outcome saved = Save(target, bytes); !saved.ok())
        return Fail(err, saved);
    out << rows.rows.size() << " rows written to " << data::PrintableText(target.string()) << "\n"
        << chain.line << "\n";
    return chain.verifies ? kExitOk : kExitRefused;
}

}  // namespace

int RunAudit(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
             std::ostream& err) {
    std::unique_ptr<archive::ArchiveStore> store;
    if (Outcome opened = OpenArchive(options, environment, store, err, ArchiveUse::Read);
        !opened.ok())
        return Fail(err, opened);
    const std::string archiveName =
        options.archive.empty() ? environment.defaultArchive->string() : options.archive;
    if (options.archiveAction == "export")
        return Export(*store, options, archiveName, out, err);
    const bool verify = options.archiveAction == "verify";
    const archive::Rows<AuditRow> rows =
        store->AuditTrail(verify ? archive::AuditFilter{} : AuditFilterOf(options));
    if (!rows.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, rows.status.message));
    if (verify) {
        const ChainVerdict chain = CheckChain(rows.rows);
        out << chain.line << "\n";
        return chain.verifies ? kExitOk : kExitRefused;
    }
    if (options.json)
        ListJson(rows.rows, out);
    else
        ListText(rows.rows, out);
    return kExitOk;
}

}  // namespace lgcset::cli
