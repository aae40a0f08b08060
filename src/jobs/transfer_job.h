// A history transfer from first request to archive: the query of a range over the session
// (the one place its count and record replies reach it), what arrived kept when the line
// ends, the export with its manifest, and the archive's merge. Its host keeps only what is
// its own: where progress is shown, and what it answers when asked.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "data/history_query.h"
#include "export/history_export.h"
#include "jobs/download_record.h"
#include "jobs/job.h"
#include "jobs/logger_clock.h"
#include "session/device_session.h"

namespace lgcset::jobs {

struct TransferRequest {
    data::QueryRange range{};
    // Where the records go; none: they are only kept (for the archive).
    std::optional<exports::ExportOptions> exportTo;
    // This computer's clock, read when the logger's clock is.
    std::function<std::time_t()> now = [] { return std::time(nullptr); };
};

struct TransferResult {
    enum class End { Running, Done, NoRecords, RangeRefused, LineEnded };
    End end = End::Running;
    // The logger's clock, read before the query; a clock that gave no real time is not
    // known and the transfer goes on without it (clock.unknown says so).
    ClockComparison clock;
    LineEnd line = LineEnd::Timeout;  // with LineEnded
    // With LineEnded: the records that had arrived of the logger's count.
    std::uint16_t arrived = 0, total = 0;
    // What the query reported on the way (the range refused, no records, records left out
    // or of an unknown kind), in order.
    std::vector<data::HistoryOutcome> reports;
    // The records handed over (a transfer that ended, or what arrived when its export was
    // asked for), as they came.
    bool handedOver = false;
    std::vector<data::HistoryRecord> records;
    std::uint32_t repeats = 0;    // records the logger sent again, left out
    std::uint32_t lateTwins = 0;  // replies to a re-sent request dropped as twins

    enum class Export { NotAsked, Saved, Failed };
    Export exported = Export::NotAsked;
    exports::ExportResult files;  // with Saved (paths, invalid times) or Failed (error)

    enum class Archive { NotAsked, Archived, NotArchived };
    Archive archived = Archive::NotAsked;
    archive::AddCounts counts;  // with Archived
    std::string notArchived;    // with NotArchived: why, one sentence
};

// What a transfer asks and tells its host while it runs.
class TransferHost {
  public:
    virtual ~TransferHost() = default;
    // The line ended the transfer with records that arrived: whether to export them ("Export
    // the records that arrived?").
    virtual bool ExportWhatArrived(const data::HistoryOutcome& question) = 0;
    // Why the line ended it, in the host's words, for the manifest.
    virtual std::string LineEndText(LineEnd why) = 0;
    // `answered` of `total` requests answered; the host decides how often it is shown.
    virtual void ShowProgress([[maybe_unused]] std::uint16_t answered,
                              [[maybe_unused]] std::uint16_t total) {}
    virtual void ClearProgress() {}

    // What a window shows while the query runs (data::HistoryObserver tells the same).
    virtual void ClearStop() {}
    virtual void ShowProgressBar([[maybe_unused]] bool visible) {}
    virtual void ShowNextIndex([[maybe_unused]] std::uint16_t index) {}
    virtual void ShowReceived([[maybe_unused]] std::uint16_t count) {}
    virtual void ShowSaving() {}
    // What the query reported (Result().reports gets the same), as it happens.
    virtual void Reported([[maybe_unused]] const data::HistoryOutcome& outcome) {}
    // The records are handed over (result.records holds them), before their export.
    virtual void HandedOver([[maybe_unused]] const TransferResult& result) {}
    // The export asked for has run (Saved, Failed or Stopped in exported.files). `newest`:
    // no transfer has been restarted in its place while the files were written.
    virtual void Exported([[maybe_unused]] const TransferResult& exported,
                          [[maybe_unused]] bool newest) {}
};

class TransferJob final : public Job, private data::HistoryObserver {
  public:
    TransferJob(session::DeviceSession& device, TransferHost& host, TransferRequest request);
    // Over a store of the host's, which keeps the records between transfers (the window's
    // chart and tests read it); `count` is its number of records.
    TransferJob(session::DeviceSession& device, TransferHost& host, TransferRequest request,
                data::HistoryStore& store, std::uint16_t& count);

    void Start() override;
    void OnData(const protocol::ReceivedFrame& frame) override;
    void OnLineEnded(LineEnd why) override;
    bool Ended() const override { return result_.end != TransferResult::End::Running; }
    // Waiting for the logger's clock, before the query starts.
    bool ReadingClock() const { return readingClock_; }
    const TransferResult& Result() const { return result_; }
    const data::HistoryQuery& Query() const { return query_; }

    // The next transfer in place of this one, whatever this one is doing (the window's
    // next "Query"): what this one would still do or send is not done.
    void Restart(TransferRequest request);
    // Instead of a transfer: the records the store holds handed over and exported as those
    // of a transfer that ended (a store the host filled itself).
    void HandOverHeld(TransferRequest request);

    // Once ended: the records handed over merged into `store`, recorded with `origin` and
    // the export's files. Nothing is stored when none were handed over.
    void ArchiveInto(archive::ArchiveStore& store, const DownloadOrigin& origin);

  private:
    // data::HistoryObserver
    void Report(const data::HistoryOutcome& outcome) override;
    bool AskYesNo(const data::HistoryOutcome& question) override;
    void ShowTransferProgress(std::uint16_t answered, std::uint16_t total) override;
    void ClearTransferProgress() override;
    void ClearStopRequested() override;
    void SetProgressVisible(bool visible) override;
    void ShowNextIndex(std::uint16_t index) override;
    void ShowReceived(std::uint16_t count) override;
    void ShowSaving() override;
    void ExportHistory() override;

    void StartQuery();
    void NoteEndedEarly(const std::string& why);
    void Finish(TransferResult::End end);

    session::DeviceSession& device_;
    TransferHost& host_;
    TransferRequest request_;
    bool readingClock_ = false;
    // Counts the starts: a restart that still reads the clock has not yet restarted the
    // query, and an export under way must find it all the same.
    std::uint64_t starts_ = 0;
    std::unique_ptr<data::HistoryStore> ownStore_;
    std::uint16_t ownCount_ = 0;
    data::HistoryStore& store_;
    std::uint16_t& count_;
    data::HistoryQuery query_;
    TransferResult result_;
};

}  // namespace lgcset::jobs
