#include "cli/cli_reviewed_write.h"

#include <string>
#include <vector>

#include "jobs/settings_jobs.h"
#include "jobs/settings_review.h"
#include "jobs/write_record.h"
#include "protocol/operation_outcome.h"

namespace lgcset::cli {

namespace {

constexpr const char* kProgram = "lgcset-cli: ";

// "caption: logger VALUE, profile VALUE" lines: each stored setting that the logger holds
// otherwise than typed, or, where every setting is held, each byte of the pages that differs
// from what was written (a byte no setting owns).
std::vector<std::string> WriteDifferences(const jobs::WriteSettingsResult& result) {
    std::vector<std::string> lines;
    for (const auto& d : result.settings)
        lines.push_back(d.caption + ": logger \"" + d.left + "\", profile \"" + d.right + "\"");
    for (const auto& d : result.bytes)
        lines.push_back("page " + std::to_string(d.page) + " byte " + std::to_string(d.offset) +
                        ": logger " + jobs::HexByte(d.logger) + ", written " +
                        jobs::HexByte(d.written));
    return lines;
}

// "Write N changes? [y/N]" on a terminal; without one, only --yes writes.
Outcome Confirmed(const CliOptions& options, const CliEnvironment& environment, std::size_t count,
                  std::ostream& err) {
    if (options.yes)
        return {};
    if (environment.terminalInput == nullptr)
        return Outcome::Failed(
            kExitRefused, "standard input is not a terminal: add --yes to write these changes");
    err << "Write " << count << (count == 1 ? " change" : " changes") << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(*environment.terminalInput, answer);
    if (answer == "y" || answer == "Y" || answer == "yes")
        return {};
    return Outcome::Failed(kExitRefused, "nothing was written");
}

// What the record of a write could not keep, and that the write itself was made.
void SayRecord(const jobs::ChangeLog& changes, const archive::ArchiveStatus& status,
               std::ostream& err) {
    if (!changes.Keeps())
        err << kProgram << jobs::kNoRecordKept << "\n";
    else if (!status.ok())
        err << kProgram << status.message << " The write itself was made.\n";
}

}  // namespace

int ReviewedWrite(Connection& c, const settings::SettingsModel& typed,
                  const std::optional<jobs::Pages>& kept, CommandRecord& record,
                  const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
                  std::ostream& err) {
    using End = jobs::WriteSettingsResult::End;
    // The review: what the logger holds against what is to be written.
    if (Outcome read = ReadSettings(*c.session); !read.ok())
        return Fail(err, read);
    KeepRead(c, record);
    const jobs::Pages read = c.session->ReadPages();
    settings::SettingsModel logger;
    jobs::DecodePages(read, c.session->LoginReply(), logger);
    std::vector<jobs::ReviewRow> rows = jobs::ReviewChanges(logger, typed);
    if (kept) {
        auto raw = jobs::RawByteChanges(read, *kept, typed, c.session->Device().Codes());
        rows.insert(rows.end(), raw.begin(), raw.end());
    }
    for (const jobs::ReviewRow& row : rows) out << jobs::ChangeLine(row) << "\n";
    if (rows.empty()) {
        out << "The logger holds these settings already: nothing to write.\n";
        return kExitOk;
    }
    if (options.dryRun)
        return kExitOk;
    if (Outcome confirmed = Confirmed(options, environment, rows.size(), err); !confirmed.ok())
        return Fail(err, confirmed);
    const jobs::WritePlan plan =
        jobs::PlanWrite(read, logger, typed, rows, std::vector<bool>(rows.size(), true),
                        c.session->Device().Codes());
    if (!plan.invalid.empty())
        return Fail(err, Outcome::Failed(kExitRefused, plan.invalid));

    jobs::ChangeLog& changes = record.Changes();
    // Kept before the first erase: a write that stops half way can be made again from it.
    const archive::ArchiveStatus before =
        changes.Keep(jobs::WriteSnapshot(plan.pages, logger, archive::SnapshotReason::BeforeWrite));
    std::optional<settings::SettingsModel> verify;
    if (!options.noVerify)
        verify = plan.settings;
    jobs::WriteSettingsJob write(c.session->Device(), plan.pages, std::move(verify));
    c.session->Run(write);
    const jobs::WriteSettingsResult& result = write.Result();
    if (result.end != End::Invalid) {
        // The pages read back are kept with the row, in one transaction: both or neither.
        std::vector<archive::SettingsSnapshot> after;
        if (result.end == End::Verified)
            after.push_back(jobs::WriteSnapshot(c.session->ReadPages(), logger,
                                                archive::SnapshotReason::AfterWrite));
        const archive::ArchiveStatus entry = changes.Record(
            jobs::WriteEntry(plan.changes, result, logger, options.reason), std::move(after));
        SayRecord(changes, before.ok() ? entry : before, err);
    }
    if (jobs::HalfWritten(result)) {
        err << kProgram << jobs::HalfWriteMessage(result) << "\n";
        return result.end == End::LineEnded ? kExitLink : kExitRefused;
    }
    switch (result.end) {
        case End::Written:
            out << "written\n";
            return kExitOk;
        case End::Verified:
            out << "verified\n";
            return kExitOk;
        case End::Invalid:
            return Fail(err, Outcome::Failed(kExitRefused, result.refusal.detail));
        case End::Refused:
            return Fail(
                err, Outcome::Failed(kExitRefused, "the logger refused the settings write: " +
                                                       protocol::OutcomeMessage(result.refusal)));
        case End::LineEnded:
            return Fail(err, ReadEnded(*c.session, result.line, result.page));
        case End::Differs:
            break;
    }
    const auto lines = WriteDifferences(result);
    for (const std::string& line : lines) out << line << "\n";
    err << kProgram << "the logger does not hold what was written (" << lines.size()
        << " differences)\n";
    return kExitRefused;
}

}  // namespace lgcset::cli
