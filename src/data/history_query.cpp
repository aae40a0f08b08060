#include "data/history_query.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/history_frame.h"

namespace lgcset::data {

namespace {

std::uint8_t TwoDigitYear(int year) {
    return static_cast<std::uint8_t>((year % 100 + 100) % 100);
}

}  // namespace

QueryRange MakeQueryRange(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth,
                          int toDay) {
    return {TwoDigitYear(fromYear),
            static_cast<std::uint8_t>(fromMonth),
            static_cast<std::uint8_t>(fromDay),
            TwoDigitYear(toYear),
            static_cast<std::uint8_t>(toMonth),
            static_cast<std::uint8_t>(toDay)};
}

void StoreQueryRange(const QueryRange& range, protocol::RequestParams& params) {
    params.historyFrom = {2000 + range[0], range[1], range[2]};
    params.historyTo = {2000 + range[3], range[4], range[5]};
}

int RangeMonths(const QueryRange& range) {
    return (range[3] * 12 + range[4]) - (range[0] * 12 + range[1]);
}

void HistoryQuery::Start(const QueryRange& range) {
    if (RangeMonths(range) >= kTooManyMonths) {
        observer_.Report({HistoryResult::RangeTooLong});
        return;
    }
    ++run_;
    index_ = 1;
    count_ = 0;
    total_ = 0;
    leftOut_ = 0;
    endedEarly_ = false;
    twins_ = {};
    repeats_.Clear();
    state_ = State::Counting;
    observer_.ClearTransferProgress();  // of a transfer this one restarts
    requests_.SendHistoryCount(range);
    observer_.ClearStopRequested();
    observer_.SetProgressVisible(true);
}

void HistoryQuery::OnCountReply(std::uint16_t total) {
    if (state_ != State::Counting)
        return;
    total_ = total;
    if (total == 0) {
        state_ = State::Idle;
        ++run_;
        observer_.SetProgressVisible(false);
        observer_.Report({HistoryResult::NoRecords});
        return;
    }
    state_ = State::Fetching;
    twins_.Forget();  // a count reply is never taken for a record
    requests_.SendHistoryRecord(static_cast<std::uint16_t>(index_));
    ++index_;
    observer_.ShowNextIndex(static_cast<std::uint16_t>(index_));
    observer_.ShowTransferProgress(0, total_);
}

bool HistoryQuery::DropLateTwin(std::span<const std::uint8_t> payload) {
    if (!twins_.DropTwin(payload))
        return false;
    requests_.ResumeResend();
    return true;
}

void HistoryQuery::OnRecordReply(std::span<const std::uint8_t> payload) {
    if (state_ != State::Fetching && state_ != State::Ending)
        return;
    if (DropLateTwin(payload))
        return;
    if (state_ == State::Ending) {
        FinishTransfer();  // the closing reply is not decoded, whatever it holds
        return;
    }
    twins_.Took(payload, requests_.ResendsOfLastRequest());
    // The number of the record just answered, plus one: 2 .. total + 1.
    const std::uint32_t k = index_;
    observer_.ShowSaving();
    const std::uint16_t before = count_;
    const HistoryFrameResult result = ParseHistoryFrame(payload, store_, count_);
    leftOut_ += result.leftOut;
    // Whatever a logger sends, no record of a transfer is stored, counted or exported twice.
    if (result.stored > repeats_.KeepNew(store_, before, count_))
        observer_.ShowReceived(count_);
    if (result.undefinedItem) {
        const std::uint64_t run = run_;
        observer_.Report({HistoryResult::UndefinedRecord});
        if (run != run_ || state_ != State::Fetching)
            return;  // the transfer was ended or restarted while the box was open
    }
    observer_.ShowTransferProgress(static_cast<std::uint16_t>(k - 1), total_);
    if (k <= total_) {
        requests_.SendHistoryRecord(static_cast<std::uint16_t>(k));
        index_ = k + 1;
    } else {
        index_ = 0;
        state_ = State::Ending;
        requests_.SendHistoryRecord(0);
    }
}

void HistoryQuery::OnCountFrame(const protocol::ReceivedFrame& frame) {
    // Bytes the reply does not carry read as 0xFF.
    OnCountReply(static_cast<std::uint16_t>(frame.payload[0] | frame.payload[1] << 8));
}

void HistoryQuery::OnRecordFrame(const protocol::ReceivedFrame& frame) {
    OnRecordReply(frame.Payload());
}

void HistoryQuery::FinishTransfer() {
    state_ = State::Idle;
    const std::uint64_t run = ++run_;
    observer_.ClearTransferProgress();
    if (leftOut_ > 0) {
        observer_.Report({.result = HistoryResult::RecordsLeftOut, .leftOut = leftOut_});
        if (run != run_)
            return;
    }
    if (count_ > 0)
        observer_.TransferEnded();
    observer_.ExportHistory();
    if (run != run_)
        return;  // a new query started while the export ran
    count_ = 0;
    observer_.SetProgressVisible(false);
}

void HistoryQuery::EndEarly() {
    if (state_ == State::Idle)
        return;
    state_ = State::Idle;
    endedEarly_ = true;
    const std::uint64_t run = ++run_;
    observer_.ClearTransferProgress();
    observer_.SetProgressVisible(false);
    if (count_ == 0)
        return;
    if (!observer_.AskYesNo({HistoryResult::EndedEarly, count_, total_, leftOut_}) || run != run_)
        return;
    // Stop ended the transfer, not the export the user has just asked for.
    observer_.ClearStopRequested();
    observer_.TransferEnded();
    observer_.ExportHistory();
    if (run == run_)
        observer_.SetProgressVisible(false);
}

std::string TransferProgressText(std::uint32_t answered, std::uint32_t total,
                                 double elapsedSeconds) {
    std::string text = "record " + std::to_string(answered) + " of " + std::to_string(total);
    if (answered == 0 || answered >= total || !(elapsedSeconds >= 0))
        return text;
    const double perRecord = elapsedSeconds / answered;
    const auto left = static_cast<long long>(std::ceil(perRecord * (total - answered)));
    char clock[32];
    if (left >= 3600)
        std::snprintf(clock, sizeof clock, ", %lld:%02lld:%02lld left", left / 3600, left / 60 % 60,
                      left % 60);
    else
        std::snprintf(clock, sizeof clock, ", %lld:%02lld left", left / 60, left % 60);
    return text + clock;
}

}  // namespace lgcset::data
