#include "jobs/device_tools_jobs.h"

#include "protocol/command_codes.h"
#include "protocol/commands.h"

namespace lgcset::jobs {

namespace {

bool Is(const protocol::ReceivedFrame& frame, protocol::Command command) {
    return frame.command() == protocol::code(command);
}

// The logger's yes or no to `operation`, once.
void TakeAnswer(std::optional<ToolResult>& result, protocol::Operation operation,
                const protocol::OperationOutcome& outcome) {
    if (result || outcome.operation != operation)
        return;
    result = {outcome.result == protocol::Result::Done ? ToolResult::End::Done
                                                       : ToolResult::End::Refused};
}

template <class R>
void EndOnLine(std::optional<R>& result, LineEnd why) {
    if (result)
        return;
    result.emplace();
    result->end = R::End::LineEnded;
    result->line = why;
}

}  // namespace

// ---- Clock --------------------------------------------------------------------------------

ClockReadResult ClockOfReply(const protocol::ReceivedFrame& frame) {
    return {ClockReadResult::End::Read, data::DecodeClockReply(frame.payload)};
}

void ClockReadJob::Start() {
    device_.SendRequest(protocol::kReadTimeRequest);
}

void ClockReadJob::OnData(const protocol::ReceivedFrame& frame) {
    if (!Ended() && Is(frame, protocol::Command::ReadTime))
        result_ = ClockOfReply(frame);
}

void ClockReadJob::OnLineEnded(LineEnd why) {
    EndOnLine(result_, why);
}

void ClockSetJob::Start() {
    device_.Params().clock = clock_;
    device_.SendRequest(protocol::kSetTimeRequest);
}

void ClockSetJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    TakeAnswer(result_, protocol::Operation::SetTime, outcome);
}

void ClockSetJob::OnLineEnded(LineEnd why) {
    EndOnLine(result_, why);
}

// ---- Relay --------------------------------------------------------------------------------

void RelayJob::Start() {
    protocol::RequestParams& params = device_.Params();
    if (request_.action != protocol::RelayAction::Stop)
        params.relay = request_.params;
    params.pendingRelayAction = request_.action;
    device_.SendRequest(protocol::kRelayControlRequest);
}

void RelayJob::OnOutcome(const protocol::OperationOutcome& outcome) {
    TakeAnswer(result_, protocol::Operation::RelayControl, outcome);
}

void RelayJob::OnLineEnded(LineEnd why) {
    EndOnLine(result_, why);
}

// ---- Current data -------------------------------------------------------------------------

CurrentDataResult CurrentDataOfReply(const protocol::ReceivedFrame& frame) {
    CurrentDataResult result;
    result.undefinedItem = data::ParseCurrentData(frame.payload, frame.payloadCount,
                                                  result.reading) ==
                           data::CurrentDataEnd::UndefinedItem;
    return result;
}

void CurrentDataJob::Start() {
    device_.SendRequest(protocol::kCurrentDataRequest);
}

void CurrentDataJob::OnData(const protocol::ReceivedFrame& frame) {
    if (!Ended() && Is(frame, protocol::Command::CurrentData))
        result_ = CurrentDataOfReply(frame);
}

void CurrentDataJob::OnLineEnded(LineEnd why) {
    EndOnLine(result_, why);
}

}  // namespace lgcset::jobs
