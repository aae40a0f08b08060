#include "data/history_outcome.h"

#include "data/history_frame.h"

namespace lgcset::data {

namespace {

std::string EarlyEndQuestion(const HistoryOutcome& outcome) {
    std::string text = "The history transfer ended early: " + std::to_string(outcome.received) +
                       " of " + std::to_string(outcome.total) + " records arrived";
    if (outcome.leftOut > 0)
        text += " (" + std::to_string(outcome.leftOut) + " more did not fit in the history store)";
    return text + ". Export the records that arrived?";
}

std::string LeftOutMessage(std::uint32_t leftOut) {
    return "The history store holds " + std::to_string(kMaxHistoryCount) +
           " records: " + std::to_string(leftOut) + " more records of this transfer were left out.";
}

}  // namespace

std::string OutcomeMessage(const HistoryOutcome& outcome) {
    switch (outcome.result) {
        case HistoryResult::RangeTooLong:
            return "time is to long!(less than 6months)";
        case HistoryResult::NoRecords:
            return "No data recorded on this period.";
        case HistoryResult::UndefinedRecord:
            return "data drecor undefined";
        case HistoryResult::RecordsLeftOut:
            return LeftOutMessage(outcome.leftOut);
        case HistoryResult::EndedEarly:
            return EarlyEndQuestion(outcome);
    }
    return {};
}

std::string RepeatedRecordsText(std::uint32_t repeats) {
    return std::to_string(repeats) + " records that arrived again were left out";
}

}  // namespace lgcset::data
