#include "cli/cli_history.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "data/history_query.h"
#include "data/history_record.h"
#include "export/history_export.h"
#include "export/no_replace.h"
#include "jobs/transfer_job.h"
#include "project_version.h"
#include "protocol/commands.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Redrawing the bar costs a write to the terminal: a few times a second is enough.
constexpr auto kBarRedrawEvery = std::chrono::milliseconds(100);

// `history`'s side of the transfer: the progress bar on a terminal, and a half transfer
// exported only when the command line asked for it beforehand.
class CliHistoryHost final : public jobs::TransferHost {
  public:
    CliHistoryHost(HeadlessSession& session, bool keepPartial, std::ostream& err, bool terminal)
        : session_(session), keepPartial_(keepPartial), err_(err), terminal_(terminal) {}

    bool ExportWhatArrived(const data::HistoryOutcome&) override { return keepPartial_; }
    std::string LineEndText(jobs::LineEnd) override { return session_.LinkError(); }
    void ShowProgress(std::uint16_t answered, std::uint16_t total) override {
        if (!terminal_)
            return;
        const SteadyClock::time_point now = SteadyClock::now();
        if (answered == 0) {
            started_ = now;
        } else if (answered < total && now - lastDraw_ < kBarRedrawEvery) {
            return;
        }
        lastDraw_ = now;
        const double elapsed = std::chrono::duration<double>(now - started_).count();
        err_ << '\r' << ProgressLine(answered, total, elapsed) << "\x1b[K" << std::flush;
        drawn_ = true;
    }
    void ClearProgress() override {
        if (drawn_)
            err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

  private:
    HeadlessSession& session_;
    bool keepPartial_;
    std::ostream& err_;
    bool terminal_;
    bool drawn_ = false;
    SteadyClock::time_point started_{};
    SteadyClock::time_point lastDraw_{};
};

}  // namespace

std::string ProgressLine(std::uint32_t answered, std::uint32_t total, double elapsedSeconds,
                         int width) {
    const int filled =
        total == 0 ? width : static_cast<int>(static_cast<std::uint64_t>(answered) * width / total);
    std::string line = "[";
    line.append(static_cast<std::size_t>(std::min(filled, width)), '#');
    line.append(static_cast<std::size_t>(width - std::min(filled, width)), '.');
    line += "] ";
    return line + data::TransferProgressText(answered, total, elapsedSeconds);
}

exports::ExportManifest CliExportOrigin(const settings::SettingsModel& settings,
                                        std::string deviceId, const data::CalendarDate& from,
                                        const data::CalendarDate& to) {
    exports::ExportManifest origin;
    origin.program = "lgcset-cli";
    origin.version = kVersion;
    origin.deviceId = std::move(deviceId);
    origin.model = settings.Text(settings::Setting::Model);
    origin.firmware = settings.Text(settings::Setting::Firmware);
    origin.rangeFrom = DateText(from);
    origin.rangeTo = DateText(to);
    return origin;
}

Outcome PrepareOutFolder(const std::string& outDir, std::filesystem::path& folder) {
    folder = outDir.empty() ? std::filesystem::path(".") : std::filesystem::path(outDir);
    const std::string name = folder.string();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        std::filesystem::create_directories(folder, error);
        if (error)
            return Outcome::Failed(
                kExitUsage, "--out: cannot make the folder " + name + ": " + error.message());
    } else if (error) {
        return Outcome::Failed(kExitUsage, "--out: " + name + ": " + error.message());
    } else if (!std::filesystem::is_directory(status)) {
        return Outcome::Failed(kExitUsage, "--out: " + name + " is not a folder");
    }
    // Permissions alone do not tell (root writes in a read-only folder, a read-only mount
    // refuses everyone): a file really made and removed does. The export's own way of
    // making a new file keeps the platform's call in one place.
    for (int n = 0;; ++n) {
        const std::filesystem::path probe = folder / (".lgcset-cli-probe-" + std::to_string(n));
        const exports::Claim claim = exports::CreateNewFile(probe, error);
        if (claim == exports::Claim::Taken) {
            std::filesystem::remove(probe, error);
            break;
        }
        if (claim == exports::Claim::Failed)
            return Outcome::Failed(kExitUsage, "--out: cannot write in the folder " + name +
                                                   ": " + error.message());
        if (n == 99)
            return Outcome::Failed(kExitUsage,
                                   "--out: cannot write in the folder " + name +
                                       ": its trial files .lgcset-cli-probe-* are all taken");
    }
    return {};
}

Outcome RunHistory(HeadlessSession& session, const CliOptions& options,
                   const std::filesystem::path& folder, std::ostream& out, std::ostream& err,
                   bool terminal, const std::function<exports::LocalTime()>& clock,
                   const std::function<void(jobs::TransferJob&)>& keep,
                   std::optional<exports::ExportManifest> origin,
                   const std::function<void(const jobs::TransferResult&)>& ended) {
    CliHistoryHost host(session, options.keepPartial, err, terminal);
    const data::CalendarDate& from = *options.from;
    const data::CalendarDate& to = *options.to;
    jobs::TransferRequest request;
    request.range =
        data::MakeQueryRange(from.year, from.month, from.day, to.year, to.month, to.day);
    request.exportTo.emplace();
    request.exportTo->folders = {folder};
    if (clock)
        request.exportTo->clock = clock;
    request.exportTo->origin = std::move(origin);
    jobs::TransferJob job(session.Device(), host, std::move(request));
    session.Run(job);
    const Outcome ran = [&]() -> Outcome {
        const jobs::TransferResult& transfer = job.Result();
        using End = jobs::TransferResult::End;
        if (transfer.end == End::RangeRefused) {
            // The range check refused before anything was sent.
            return Outcome::Failed(kExitUsage, transfer.reports.empty()
                                                   ? "the range was refused"
                                                   : data::OutcomeMessage(transfer.reports.front()));
        }
        std::optional<std::string> cut;  // the line that says how the transfer was cut short
        if (transfer.end == End::LineEnded)
            cut = session.LinkError() + ": " + std::to_string(transfer.arrived) + " of " +
                  std::to_string(transfer.total) + " records had arrived; ";
        if (!transfer.clock.unknown.empty())
            err << "lgcset-cli: " << transfer.clock.unknown << "\n";
        if (transfer.lateTwins > 0)
            err << "lgcset-cli: " << transfer.lateTwins
                << " repeated replies to a re-sent request were dropped\n";
        for (const data::HistoryOutcome& outcome : transfer.reports) {
            if (outcome.result == data::HistoryResult::NoRecords)
                out << data::OutcomeMessage(outcome) << "\n";
            else
                err << "lgcset-cli: " << data::OutcomeMessage(outcome) << "\n";
        }
        if (!transfer.handedOver) {
            if (cut)
                return Outcome::Failed(kExitLink, *cut + "nothing was exported");
            return {};  // no records in the range
        }
        const exports::ExportResult& result = transfer.files;
        if (transfer.exported != jobs::TransferResult::Export::Saved) {
            // What arrived is archived all the same: the logger may not hold it much longer.
            if (keep)
                keep(job);
            if (cut)
                return Outcome::Failed(kExitLink, *cut + "they could not be exported: " + result.error);
            return Outcome::Failed(kExitUsage, "the export could not be written: " + result.error);
        }
        if (result.invalidTimes > 0)
            err << "lgcset-cli: " << result.invalidTimes
                << " records carry a time that is no real date and time\n";
        out << transfer.records.size() << " records";
        if (transfer.repeats > 0)
            out << " (" << data::RepeatedRecordsText(transfer.repeats) << ")";
        out << "\n"
            << result.workbook.string() << "\n"
            << result.csv.string() << "\n";
        // What was exported is archived too, a transfer cut short as one that ended.
        if (keep)
            keep(job);
        if (cut)
            return Outcome::Failed(kExitLink, *cut + "they were exported");
        return {};
    }();
    if (ended)
        ended(job.Result());
    return ran;
}

}  // namespace lgcset::cli
