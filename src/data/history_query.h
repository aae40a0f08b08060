// The query of the logger's history for a date range: the range check, then one count
// request and one request per record, each sent only once the reply to the previous one
// has been decoded into the store, and a closing request (number 0) whose reply hands the
// store to the export.
//
// Replies are matched to requests only by their command code, so the state decides what a
// reply means; a reply that comes when no transfer waits for it (after Stop, a timeout or
// a closed link) changes nothing and sends nothing. The query sends through
// HistoryRequests and tells through HistoryObserver; the window is one host of both, a
// command-line program can be another.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "data/history_outcome.h"
#include "data/history_record.h"
#include "data/repeated_records.h"
#include "protocol/frame_codec.h"
#include "protocol/late_twin_filter.h"
#include "protocol/request_params.h"

namespace lgcset::data {

// From-year mod 100, from-month, from-day, to-year mod 100, to-month, to-day: the payload of
// the count request.
using QueryRange = std::array<std::uint8_t, 6>;

// Takes full calendar years.
QueryRange MakeQueryRange(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth,
                          int toDay);

// Months from the start to the end of the range, from the two-digit years and the months
// only (the days play no part); negative when the end lies before the start, as across
// the turn of a century (99-12 to 00-01 is -1199).
int RangeMonths(const QueryRange& range);

// The count request's parameters: the range's dates with the years as 2000 + two digits.
void StoreQueryRange(const QueryRange& range, protocol::RequestParams& params);

// Ranges of this many months or more are refused.
inline constexpr int kTooManyMonths = 7;

class HistoryRequests {
  public:
    virtual ~HistoryRequests() = default;

    // Each ends in the single send path with resend and timeout.
    virtual void SendHistoryCount(const QueryRange& range) = 0;
    virtual void SendHistoryRecord(std::uint16_t number) = 0;  // 0 ends the transfer
    // How often the send path re-sent the request last sent before a reply came.
    virtual int ResendsOfLastRequest() const { return 0; }
    // A reply just handled was not the answer to the request last sent: its re-sends go on.
    virtual void ResumeResend() {}
};

class HistoryObserver {
  public:
    virtual ~HistoryObserver() = default;

    // Modal, like a box: the steps after them run only once they have returned.
    virtual void Report(const HistoryOutcome& outcome) = 0;
    // Asked with HistoryResult::EndedEarly: whether to export the records that arrived.
    // Writing files unasked is no default: every host answers for itself.
    virtual bool AskYesNo(const HistoryOutcome& question) = 0;

    // Stop's flag, which the export polls.
    virtual void ClearStopRequested() {}

    // The progress bar: shown at 0 while a transfer runs (the export moves it).
    virtual void SetProgressVisible([[maybe_unused]] bool visible) {}
    // The two counters: the next record number once (after the first request), and the
    // records received so far.
    virtual void ShowNextIndex([[maybe_unused]] std::uint16_t index) {}
    virtual void ShowReceived([[maybe_unused]] std::uint16_t count) {}
    // A record was taken into the store (the window clears a re-send's status text).
    virtual void ShowSaving() {}
    // Where the transfer stands: `answered` of `total` requests answered. The host decides
    // how often it is worth showing.
    virtual void ShowTransferProgress([[maybe_unused]] std::uint16_t answered,
                                      [[maybe_unused]] std::uint16_t total) {}
    virtual void ClearTransferProgress() {}

    // A transfer has ended with records in store[0 .. count); called before ExportHistory.
    virtual void TransferEnded() {}
    virtual void ExportHistory() = 0;
};

class HistoryQuery {
  public:
    enum class State { Idle, Counting, Fetching, Ending };

    HistoryQuery(HistoryRequests& requests, HistoryObserver& observer, HistoryStore& store,
                 std::uint16_t& count)
        : requests_(requests), observer_(observer), store_(store), count_(count) {}

    // "Query": checks the range and starts (or restarts) the transfer.
    void Start(const QueryRange& range);

    // The reply to the count request: the logger's number of records for the range.
    void OnCountReply(std::uint16_t total);
    // The reply to a record request: the received payload, nothing past it.
    void OnRecordReply(std::span<const std::uint8_t> payload);
    // The same from the reply frames: the count in the first two payload bytes, low byte
    // first (bytes the reply does not carry read as 0xFF); the record reply's received
    // payload.
    void OnCountFrame(const protocol::ReceivedFrame& frame);
    void OnRecordFrame(const protocol::ReceivedFrame& frame);

    // The transfer cannot go on (a request timed out, Stop, the link closed): nothing more
    // is sent. Records already received stay in the store; the user is offered their
    // export.
    void EndEarly();

    State state() const { return state_; }
    std::uint16_t Total() const { return total_; }
    std::uint32_t Index() const { return index_; }
    // Records of this transfer that did not fit in the store.
    std::uint32_t LeftOut() const { return leftOut_; }
    // The last transfer was ended before its last record (timeout, Stop, the line lost).
    bool EndedEarly() const { return endedEarly_; }
    // Replies of this transfer dropped as the late twin of the reply taken before them.
    std::uint32_t LateTwins() const { return twins_.Dropped(); }
    // Records of this transfer dropped as the same as one it had stored already.
    std::uint32_t Repeats() const { return repeats_.Dropped(); }
    // Changes whenever a transfer starts or ends. Work that lets events in (the window's
    // export) compares it afterwards: changed, the store may hold a newer transfer.
    std::uint64_t Run() const { return run_; }

  private:
    void FinishTransfer();
    void Export(std::uint64_t run);
    // A reply that repeats the record taken before it, late or doubled: dropped, and the
    // re-sends of the request that waits go on.
    bool DropLateTwin(std::span<const std::uint8_t> payload);

    HistoryRequests& requests_;
    HistoryObserver& observer_;
    HistoryStore& store_;
    std::uint16_t& count_;
    State state_ = State::Idle;
    std::uint16_t total_ = 0;  // HistoryTotal
    // HistoryIndex: the next number to request; 0 once the closing request is out. Wider
    // than the numbers sent: after request 65,535 it holds 65,536, not 0.
    std::uint32_t index_ = 0;
    std::uint32_t leftOut_ = 0;
    bool endedEarly_ = false;
    protocol::LateTwinFilter twins_;
    RepeatedRecords repeats_;
    // Advances whenever a transfer starts or ends: a step that ran a modal box checks that
    // nothing started or ended the transfer in the meantime.
    std::uint64_t run_ = 0;
};

// Status text of a running transfer: "record 120 of 5000, 6:12 left"; the time left is
// estimated from the time so far and is left out until the first request is answered.
std::string TransferProgressText(std::uint32_t answered, std::uint32_t total,
                                 double elapsedSeconds);

}  // namespace lgcset::data
