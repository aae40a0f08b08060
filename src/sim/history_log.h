// The logger's internal log of readings: a record every log interval up to an end time.
// Records are computed from their position when asked for, so a long log costs no memory
// and the same record always carries the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/civil_time.h"
#include "sim/synthetic_readings.h"

namespace lgcset::sim {

// Records that carry an item no history record should (numbered from 1 in the log; 0 for
// none): one with a tag the configurator does not know, one with known tags but sub-codes
// it does not know.
struct OddItems {
    std::uint32_t unknownTagRecord = 0;
    std::uint32_t unknownSubCodeRecord = 0;
};

class HistoryLog {
  public:
    // `days` days of records, one every `intervalMinutes`, the last at the interval boundary
    // at or before `endSeconds` (device wall-clock seconds). With `records` given the log
    // holds exactly that many instead, whatever `days` says.
    HistoryLog(ChannelLayout layout, std::int64_t endSeconds, int intervalMinutes, int days,
               std::optional<std::uint32_t> records = std::nullopt, OddItems odd = {});

    std::uint32_t size() const { return size_; }
    std::int64_t TimeOf(std::uint32_t index) const;  // 0-based

    // The records dated within the whole days from..to, both inclusive (only the dates of
    // the two ends are read). An impossible date or a reversed range holds nothing.
    struct Range {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
    };
    Range Select(const CivilTime& fromDay, const CivilTime& toDay) const;

    // Appends record `index` as the logger sends it: marker 0x7F 0x7F, two-digit year,
    // month, day, hour, minute, second, then its data items.
    void AppendRecord(std::uint32_t index, std::vector<std::uint8_t>& out) const;
    std::size_t RecordSize(std::uint32_t index) const;

  private:
    struct Content {
        bool sensors[4] = {false, false, false, false};
        bool gps = false;
    };
    Content ContentOf(std::uint32_t index) const;
    std::size_t OddItemCount(std::uint32_t index) const;

    ChannelLayout layout_;
    OddItems odd_;
    std::int64_t interval_;
    std::int64_t first_ = 0;
    std::uint32_t size_ = 0;
};

}  // namespace lgcset::sim
