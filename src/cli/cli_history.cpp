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
#include "project_version.h"
#include "protocol/commands.h"
#include "settings/settings_model.h"

namespace lgcset::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Redrawing the bar costs a write to the terminal: a few times a second is enough.
constexpr auto kBarRedrawEvery = std::chrono::milliseconds(100);

class CliHistoryHost final : public data::HistoryObserver {
  public:
    CliHistoryHost(data::HistoryStore& store, std::uint16_t& count,
                   std::filesystem::path folder, bool keepPartial, std::ostream& err, bool terminal,
                   std::function<exports::LocalTime()> clock,
                   std::optional<exports::ExportManifest> origin)
        : store_(store),
          count_(count),
          folder_(std::move(folder)),
          keepPartial_(keepPartial),
          err_(err),
          terminal_(terminal),
          clock_(std::move(clock)),
          origin_(std::move(origin)) {}

    void Report(const data::HistoryOutcome& outcome) override {
        outcomes.push_back(outcome);
        if (origin_ && outcome.result == data::HistoryResult::RecordsLeftOut)
            NoteEndedEarly(*origin_, data::OutcomeMessage(outcome));
    }
    // The transfer is ending early for this reason: the export that follows says so.
    void EndingEarly(const std::string& why) {
        if (origin_)
            NoteEndedEarly(*origin_, why);
    }
    // Asked only when a transfer ended early: a half transfer is exported only when the
    // command line asked for it beforehand.
    bool AskYesNo(const data::HistoryOutcome&) override { return keepPartial_; }
    void ShowTransferProgress(std::uint16_t answered, std::uint16_t total) override {
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
    void ClearTransferProgress() override {
        if (drawn_)
            err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }
    void ExportHistory() override {
        exports::ExportOptions options;
        options.folders = {folder_};
        if (clock_)
            options.clock = clock_;
        options.origin = origin_;
        result = exports::ExportHistory(store_.data(), count_, options);
        records.assign(store_.data(), store_.data() + count_);
        if (result->outcome == exports::ExportResult::Outcome::Saved)
            exports::ClearSensorPresentFlags(store_.data(), count_);
        exported = count_;
        finished = true;
    }

    std::vector<data::HistoryOutcome> outcomes;
    std::optional<exports::ExportResult> result;
    std::vector<data::HistoryRecord> records;  // as exported
    std::size_t exported = 0;
    bool finished = false;

  private:
    data::HistoryStore& store_;
    std::uint16_t& count_;
    std::filesystem::path folder_;
    bool keepPartial_;
    std::ostream& err_;
    bool terminal_;
    std::function<exports::LocalTime()> clock_;
    std::optional<exports::ExportManifest> origin_;
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

void NoteEndedEarly(exports::ExportManifest& origin, const std::string& why) {
    origin.complete = false;
    if (origin.endedEarly.empty())
        origin.endedEarly = why;
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
                   std::optional<FetchedHistory>* fetched,
                   std::optional<exports::ExportManifest> origin) {
    data::HistoryStore store;
    std::uint16_t count = 0;
    CliHistoryHost host(store, count, folder, options.keepPartial, err, terminal, clock,
                        std::move(origin));
    data::HistoryQuery query(session.HistoryRequests(), host, store, count);
    session.onHistoryCount = [&](const protocol::ReceivedFrame& frame) {
        query.OnCountFrame(frame);
    };
    session.onHistoryRecord = [&](const protocol::ReceivedFrame& frame) {
        query.OnRecordFrame(frame);
    };

    const data::CalendarDate& from = *options.from;
    const data::CalendarDate& to = *options.to;
    query.Start(data::MakeQueryRange(from.year, from.month, from.day, to.year, to.month, to.day));
    if (query.state() == data::HistoryQuery::State::Idle) {
        // The range check refused before anything was sent.
        return Outcome::Failed(kExitUsage, host.outcomes.empty()
                                               ? "the range was refused"
                                               : data::OutcomeMessage(host.outcomes.front()));
    }
    const bool ended = session.RunUntil(
        [&] { return host.finished || query.state() == data::HistoryQuery::State::Idle; });
    std::optional<std::string> cut;  // the line that says how the transfer was cut short
    if (!ended) {
        const std::uint16_t received = count;
        const std::uint16_t total = query.Total();
        host.EndingEarly(session.LinkError());
        query.EndEarly();  // exports what arrived when --keep-partial answers the question
        host.ClearTransferProgress();
        cut = session.LinkError() + ": " + std::to_string(received) + " of " +
              std::to_string(total) + " records had arrived; ";
    }
    if (query.LateTwins() > 0)
        err << "lgcset-cli: " << query.LateTwins()
            << " repeated replies to a re-sent request were dropped\n";
    for (const data::HistoryOutcome& outcome : host.outcomes) {
        if (outcome.result == data::HistoryResult::NoRecords)
            out << data::OutcomeMessage(outcome) << "\n";
        else
            err << "lgcset-cli: " << data::OutcomeMessage(outcome) << "\n";
    }
    if (!host.finished) {
        if (cut)
            return Outcome::Failed(kExitLink, *cut + "nothing was exported");
        return {};  // no records in the range
    }
    const exports::ExportResult& result = *host.result;
    if (result.outcome != exports::ExportResult::Outcome::Saved) {
        // What arrived is archived all the same: the logger may not hold it much longer.
        if (fetched != nullptr)
            *fetched = FetchedHistory{std::move(host.records), result};
        if (cut)
            return Outcome::Failed(kExitLink, *cut + "they could not be exported: " + result.error);
        return Outcome::Failed(kExitUsage, "the export could not be written: " + result.error);
    }
    if (result.invalidTimes > 0)
        err << "lgcset-cli: " << result.invalidTimes
            << " records carry a time that is no real date and time\n";
    out << host.exported << " records";
    if (query.Repeats() > 0)
        out << " (" << data::RepeatedRecordsText(query.Repeats()) << ")";
    out << "\n"
        << result.workbook.string() << "\n"
        << result.csv.string() << "\n";
    // What was exported is archived too, a transfer cut short as one that ended.
    if (fetched != nullptr)
        *fetched = FetchedHistory{std::move(host.records), result};
    if (cut)
        return Outcome::Failed(kExitLink, *cut + "they were exported");
    return {};
}

}  // namespace lgcset::cli
