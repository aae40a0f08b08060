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
std::string RecordNote(const jobs::ChangeLog& changes, const archive::ArchiveStatus& status) {
    if (!changes.Keeps())
        return std::string(jobs::kNoRecordKept);
    if (!status.ok())
        return status.message + " The write itself was made.";
    return {};
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
    std::mutex alone;
    const SentWrite sent = SendWrite(*c.session, read, logger, typed, rows,
                                     {record.Changes(), alone}, options.reason, !options.noVerify);
    if (!sent.recordNote.empty())
        err << kProgram << sent.recordNote << "\n";
    if (sent.halfWritten) {
        err << kProgram << sent.outcome.error << "\n";
        return sent.outcome.status;
    }
    for (const std::string& line : sent.differences) out << line << "\n";
    if (sent.end == End::Differs) {
        err << kProgram << sent.outcome.error << "\n";
        return sent.outcome.status;
    }
    if (!sent.outcome.ok())
        return Fail(err, sent.outcome);
    out << (sent.end == End::Verified ? "verified" : "written") << "\n";
    return kExitOk;
}

SentWrite SendWrite(HeadlessSession& session, const jobs::Pages& read,
                    const settings::SettingsModel& logger, const settings::SettingsView& typed,
                    const std::vector<jobs::ReviewRow>& rows, SharedChangeLog record,
                    const std::string& reason, bool verify) {
    using End = jobs::WriteSettingsResult::End;
    SentWrite sent;
    const jobs::WritePlan plan = jobs::PlanWrite(
        read, logger, typed, rows, std::vector<bool>(rows.size(), true), session.Device().Codes());
    if (!plan.invalid.empty()) {
        sent.planRefused = true;
        sent.outcome = Outcome::Failed(kExitRefused, plan.invalid);
        return sent;
    }

    archive::ArchiveStatus before;
    {
        // Kept before the first erase: a write that stops half way can be made again from it.
        std::lock_guard lock(record.mutex);
        before = record.changes.Keep(
            jobs::WriteSnapshot(plan.pages, logger, archive::SnapshotReason::BeforeWrite));
    }
    std::optional<settings::SettingsModel> readBack;
    if (verify)
        readBack = plan.settings;
    jobs::WriteSettingsJob write(session.Device(), plan.pages, std::move(readBack));
    session.Run(write);
    const jobs::WriteSettingsResult& result = write.Result();
    sent.end = result.end;
    if (result.end != End::Invalid) {
        // The pages read back are kept with the row, in one transaction: both or neither.
        std::vector<archive::SettingsSnapshot> after;
        if (result.end == End::Verified)
            after.push_back(jobs::WriteSnapshot(session.ReadPages(), logger,
                                                archive::SnapshotReason::AfterWrite));
        std::lock_guard lock(record.mutex);
        const archive::ArchiveStatus entry = record.changes.Record(
            jobs::WriteEntry(plan.changes, result, logger, reason), std::move(after));
        sent.recordNote = RecordNote(record.changes, before.ok() ? entry : before);
    }
    if (jobs::HalfWritten(result)) {
        sent.halfWritten = true;
        sent.outcome = Outcome::Failed(result.end == End::LineEnded ? kExitLink : kExitRefused,
                                       jobs::HalfWriteMessage(result));
        return sent;
    }
    switch (result.end) {
        case End::Written:
        case End::Verified:
            break;
        case End::Invalid:
            sent.outcome = Outcome::Failed(kExitRefused, result.refusal.detail);
            break;
        case End::Refused:
            sent.outcome =
                Outcome::Failed(kExitRefused, "the logger refused the settings write: " +
                                                  protocol::OutcomeMessage(result.refusal));
            break;
        case End::LineEnded:
            sent.outcome = ReadEnded(session, result.line, result.page);
            break;
        case End::Differs:
            sent.differences = WriteDifferences(result);
            sent.outcome = Outcome::Failed(
                kExitRefused, "the logger does not hold what was written (" +
                                  std::to_string(sent.differences.size()) + " differences)");
            break;
    }
    return sent;
}

}  // namespace lgcset::cli
