#include "jobs/transfer_job.h"

#include "protocol/command_codes.h"

namespace lgcset::jobs {

TransferJob::TransferJob(session::DeviceSession& device, TransferHost& host,
                         TransferRequest request)
    : host_(host), request_(std::move(request)), query_(device, *this, store_, count_) {}

void TransferJob::Start() {
    result_ = {};
    query_.Start(request_.range);
    if (query_.state() == data::HistoryQuery::State::Idle)
        result_.end = TransferResult::End::RangeRefused;  // nothing was sent
}

void TransferJob::OnData(const protocol::ReceivedFrame& frame) {
    if (frame.command() == protocol::code(protocol::Command::HistoryCount))
        query_.OnCountFrame(frame);
    else if (frame.command() == protocol::code(protocol::Command::HistoryRecord))
        query_.OnRecordFrame(frame);
}

void TransferJob::OnLineEnded(LineEnd why) {
    if (Ended())
        return;
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

void TransferJob::ExportHistory() {
    result_.handedOver = true;
    result_.records.assign(store_.data(), store_.data() + count_);
    if (request_.exportTo) {
        result_.files = exports::ExportHistory(store_.data(), count_, *request_.exportTo);
        const bool saved = result_.files.outcome == exports::ExportResult::Outcome::Saved;
        result_.exported = saved ? TransferResult::Export::Saved : TransferResult::Export::Failed;
        if (saved)
            exports::ClearSensorPresentFlags(store_.data(), count_);
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
    const archive::AddResult added = store.Add(DownloadRecord(origin, files), result_.records);
    if (added.status.ok()) {
        result_.archived = TransferResult::Archive::Archived;
        result_.counts = added.counts;
    } else {
        result_.archived = TransferResult::Archive::NotArchived;
        result_.notArchived = added.status.message;
    }
}

}  // namespace lgcset::jobs
