#include "cli/cli_history.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "data/history_query.h"
#include "data/history_record.h"
#include "export/history_export.h"
#include "protocol/commands.h"

namespace lgcset::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Redrawing the bar costs a write to the terminal: a few times a second is enough.
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

class CliHistoryHost final : public data::HistoryHost {
  public:
    CliHistoryHost(HeadlessSession& session, data::HistoryStore& store, std::uint16_t& count,
                   std::filesystem::path folder, std::ostream& err, bool terminal,
                   std::function<exports::LocalTime()> clock)
        : session_(session),
          store_(store),
          count_(count),
          folder_(std::move(folder)),
          err_(err),
          terminal_(terminal),
          clock_(std::move(clock)) {}

    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    // Asked only when a transfer ended early: a half transfer is not exported unasked.
    bool AskYesNo(std::string_view) override { return false; }
    void SendHistoryCount(const data::QueryRange& range) override {
        data::StoreQueryRange(range, session_.Params());
        session_.SendRequest(protocol::kHistoryCountRequest);
    }
    void SendHistoryRecord(std::uint16_t number) override {
        session_.Params().historyRecordIndex = number;
        session_.SendRequest(protocol::kHistoryRecordRequest);
    }
    void ClearStopRequested() override {}
    void SetProgressVisible(bool) override {}
    void ShowNextIndex(std::uint16_t) override {}
    void ShowReceived(std::uint16_t) override {}
    void ShowSaving() override {}
    void ShowTransferProgress(std::uint16_t answered, std::uint16_t total) override {
        if (!terminal_)
            return;
        const Clock::time_point now = Clock::now();
        if (answered == 0) {
            started_ = now;
        } else if (answered < total && now - lastDraw_ < kRedrawEvery) {
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
    void TransferEnded() override {}
    void ExportHistory() override {
        exports::ExportOptions options;
        options.folders = {folder_};
        if (clock_)
            options.clock = clock_;
        result = exports::ExportHistory(store_.data(), count_, options);
        if (result->outcome == exports::ExportResult::Outcome::Saved)
            exports::ClearSensorPresentFlags(store_.data(), count_);
        exported = count_;
        finished = true;
    }

    std::vector<std::string> messages;
    std::optional<exports::ExportResult> result;
    std::size_t exported = 0;
    bool finished = false;

  private:
    HeadlessSession& session_;
    data::HistoryStore& store_;
    std::uint16_t& count_;
    std::filesystem::path folder_;
    std::ostream& err_;
    bool terminal_;
    std::function<exports::LocalTime()> clock_;
    bool drawn_ = false;
    Clock::time_point started_{};
    Clock::time_point lastDraw_{};
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

Outcome RunHistory(HeadlessSession& session, const CliOptions& options, std::ostream& out,
                   std::ostream& err, bool terminal,
                   const std::function<exports::LocalTime()>& clock) {
    const std::filesystem::path folder =
        options.outDir.empty() ? std::filesystem::path(".") : std::filesystem::path(options.outDir);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return Outcome::Failed(kExitUsage, "--out: " + folder.string() + " is not a folder");

    data::HistoryStore store;
    std::uint16_t count = 0;
    CliHistoryHost host(session, store, count, folder, err, terminal, clock);
    data::HistoryQuery query(host, store, count);
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
        return Outcome::Failed(
            kExitUsage, host.messages.empty() ? "the range was refused" : host.messages.front());
    }
    const bool ended = session.RunUntil(
        [&] { return host.finished || query.state() == data::HistoryQuery::State::Idle; });
    if (!ended) {
        const std::uint16_t received = count;
        const std::uint16_t total = query.Total();
        query.EndEarly();  // answers "no" to exporting a half transfer
        host.ClearTransferProgress();
        return Outcome::Failed(kExitLink, session.TimeoutError() + ": " + std::to_string(received) +
                                              " of " + std::to_string(total) +
                                              " records had arrived; nothing was exported");
    }
    for (const std::string& message : host.messages) {
        if (message == data::kNoRecordsMessage)
            out << message << "\n";
        else
            err << "lgcset-cli: " << message << "\n";
    }
    if (!host.finished)
        return {};  // no records in the range
    const exports::ExportResult& result = *host.result;
    if (result.outcome != exports::ExportResult::Outcome::Saved)
        return Outcome::Failed(kExitRefused, "the export could not be written: " + result.error);
    if (result.invalidTimes > 0)
        err << "lgcset-cli: " << result.invalidTimes
            << " records carry a time that is no real date and time\n";
    out << host.exported << " records\n"
        << result.workbook.string() << "\n"
        << result.csv.string() << "\n";
    return {};
}

}  // namespace lgcset::cli
