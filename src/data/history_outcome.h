// What the history query tells its user, as values: the window turns them into its boxes,
// a program without a window decides by them.
#pragma once

#include <cstdint>
#include <string>

namespace lgcset::data {

enum class HistoryResult : std::uint8_t {
    RangeTooLong,     // the range spans too many months; nothing was sent
    NoRecords,        // the logger has no records in the range
    UndefinedRecord,  // a reply held an item of no known kind; the rest of it was dropped
    RecordsLeftOut,   // `leftOut` records did not fit in the store
    EndedEarly,       // the question: `received` of `total` arrived (and `leftOut` did not fit)
};

struct HistoryOutcome {
    HistoryResult result;
    std::uint16_t received = 0;
    std::uint16_t total = 0;
    std::uint32_t leftOut = 0;

    bool operator==(const HistoryOutcome&) const = default;
};

// The text the user is shown (or asked) for an outcome.
std::string OutcomeMessage(const HistoryOutcome& outcome);

// What the export of a transfer says of the records the logger sent again:
// "3 records that arrived again were left out".
std::string RepeatedRecordsText(std::uint32_t repeats);

}  // namespace lgcset::data
