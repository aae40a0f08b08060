#include "jobs/transfer_job.h"

#include "protocol/command_codes.h"
#include "protocol/commands.h"

namespace lgcset::jobs {

TransferJob::TransferJob(session::DeviceSession& device, TransferHost& host,
                         TransferRequest request)
    : device_(device),
      host_(host),
      request_(std::move(request)),
      ownStore_(std::make_unique<data::HistoryStore>()),
      store_(*ownStore_),
      count_(ownCount_),
      query_(device, *this, store_, count_) {}

TransferJob::TransferJob(session::DeviceSession& device, TransferHost& host,
                         TransferRequest request, data::HistoryStore& store,
                         std::uint16_t& count)
    : device_(device),
      host_(host),
      request_(std::move(request)),
      store_(store),
      count_(count),
      query_(device, *this, store_, count_) {}

void TransferJob::Start() {
    result_ = {};
    readingClock_ = false;
    ++starts_;
    // A range the query refuses sends nothing, the clock's request neither.
    if (data::RangeMonths(request_.range) < data::kTooManyMonths) {
        readingClock_ = true;
        device_.SendRequest(protocol::kReadTimeRequest);
        return;
    }
    StartQuery();
}

void TransferJob::StartQuery() {
    readingClock_ = false;
    query_.Start(request_.range);
    if (query_.state() == data::HistoryQuery::State::Idle)
        result_.end = TransferResult::End::RangeRefused;  // nothing was sent
}

void TransferJob::Restart(TransferRequest request) {
    request_ = std::move(request);
    Start();
}

void TransferJob::HandOverHeld(TransferRequest request) {
    request_ = std::move(request);
    result_ = {};
    readingClock_ = false;
    ExportHistory();
}

void TransferJob::OnData(const protocol::ReceivedFrame& frame) {
    if (readingClock_) {
        if (frame.command() == protocol::code(protocol::Command::ReadTime)) {
            result_.clock = CompareClock(data::DecodeClockReply(frame.payload), request_.now());
            StartQuery();
        }
        return;
    }
    if (frame.command() == protocol::code(protocol::Command::HistoryCount))
        query_.OnCountFrame(frame);
    else if (frame.command() == protocol::code(protocol::Command::HistoryRecord))
        query_.OnRecordFrame(frame);
}

void TransferJob::OnLineEnded(LineEnd why) {
    if (Ended())
        return;
    if (readingClock_) {
        readingClock_ = false;
        result_.clock.unknown = kClockNotAnswered;
    }
    result_.line = why;
    result_.arrived = count_;
    result_.total = query_.Total();
    NoteEndedEarly(host_.LineEndText(why));
    query_.EndEarly();  // hands over what arrived when the host wants it exported
    Finish(TransferResult::End::LineEnded);
}

void TransferJob::Finish(TransferResult::End end) {
    result_.end = end;
    result_.repeats = query_.Repeats();
    result_.lateTwins = query_.LateTwins();
}

void TransferJob::NoteEndedEarly(const std::string& why) {
    if (!request_.exportTo || !request_.exportTo->origin)
        return;
    exports::ExportManifest& origin = *request_.exportTo->origin;
    origin.complete = false;
    if (origin.endedEarly.empty())
        origin.endedEarly = why;
}

void TransferJob::Report(const data::HistoryOutcome& outcome) {
    result_.reports.push_back(outcome);
    if (outcome.result == data::HistoryResult::RecordsLeftOut)
        NoteEndedEarly(data::OutcomeMessage(outcome));
    if (outcome.result == data::HistoryResult::NoRecords)
        Finish(TransferResult::End::NoRecords);
    host_.Reported(outcome);
}

bool TransferJob::AskYesNo(const data::HistoryOutcome& question) {
    return host_.ExportWhatArrived(question);
}

void TransferJob::ShowTransferProgress(std::uint16_t answered, std::uint16_t total) {
    host_.ShowProgress(answered, total);
}

void TransferJob::ClearTransferProgress() {
    host_.ClearProgress();
}

void TransferJob::ClearStopRequested() {
    host_.ClearStop();
}

void TransferJob::SetProgressVisible(bool visible) {
    host_.ShowProgressBar(visible);
}

void TransferJob::ShowNextIndex(std::uint16_t index) {
    host_.ShowNextIndex(index);
}

void TransferJob::ShowReceived(std::uint16_t count) {
    host_.ShowReceived(count);
}

void TransferJob::ShowSaving() {
    host_.ShowSaving();
}

void TransferJob::ExportHistory() {
    result_.handedOver = true;
    result_.records.assign(store_.data(), store_.data() + count_);
    result_.repeats = query_.Repeats();
    host_.HandedOver(result_);
    if (request_.exportTo) {
        // A host that lets events in while the files are written may restart the job
        // meanwhile: the export and what is told of it work on copies of this transfer.
        const std::uint64_t run = query_.Run();
        const std::uint64_t started = starts_;
        const exports::ExportOptions options = *request_.exportTo;
        TransferResult exported = result_;
        exported.files =
            exports::ExportHistory(exported.records.data(), exported.records.size(), options);
        const bool saved = exported.files.outcome == exports::ExportResult::Outcome::Saved;
        exported.exported = saved ? TransferResult::Export::Saved : TransferResult::Export::Failed;
        const bool newest = query_.Run() == run && starts_ == started;
        if (newest) {
            // A failed or stopped export saved nothing: its records keep their flags.
            if (saved)
                exports::ClearSensorPresentFlags(store_.data(), count_);
            result_.files = exported.files;
            result_.exported = exported.exported;
        }
        host_.Exported(exported, newest);
        if (!newest)
            return;
    }
    // The closing reply ends the transfer here; what the line ended is ended by OnLineEnded.
    if (query_.state() == data::HistoryQuery::State::Idle && !query_.EndedEarly())
        Finish(TransferResult::End::Done);
}

void TransferJob::ArchiveInto(archive::ArchiveStore& store, const DownloadOrigin& origin) {
    if (!result_.handedOver || result_.records.empty())
        return;
    const DownloadFiles files =
        result_.exported == TransferResult::Export::Saved ? SavedFilesOf(result_.files)
                                                          : DownloadFiles{};
    const archive::AddResult added =
        store.Add(DownloadRecord(origin, files, result_.clock), result_.records);
    if (added.status.ok()) {
        result_.archived = TransferResult::Archive::Archived;
        result_.counts = added.counts;
    } else {
        result_.archived = TransferResult::Archive::NotArchived;
        result_.notArchived = added.status.message;
    }
}

}  // namespace lgcset::jobs
