// The records one transfer has taken, so that a record a logger sends again (replies whose
// records overlap, one record under two numbers) is exported once, not twice.
//
// A record is known by its bytes: the time, the four sensors with their sent flags and the
// four position values. The records taken are found through a hash table of their slots in
// the store, made once and at most half full (a transfer holds up to 65,535 records): each
// record costs a few probes and no allocation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "data/history_record.h"

namespace lgcset::data {

class RepeatedRecords {
  public:
    RepeatedRecords();

    // A new transfer: no record has been taken yet.
    void Clear();

    // Keeps each record of store[from .. count) that the transfer has not taken before, in
    // order and moved down over the ones dropped, and lowers count by those dropped.
    // store[0 .. from) are the records taken so far, as this left them. Returns how many
    // were dropped.
    std::uint32_t KeepNew(HistoryStore& store, std::uint16_t from, std::uint16_t& count);

    std::uint32_t Dropped() const { return dropped_; }

  private:
    // Twice the most records a transfer can take, a power of two.
    static constexpr std::size_t kTableSize = std::size_t{1} << 17;
    // Year (two bytes), month, day, hour, minute, second; four sensors as the bits of their
    // doubles; their sent flags; longitude, latitude, velocity, direction.
    static constexpr std::size_t kKeySize = 7 + kSensorCount * 8 + kSensorCount + 4 * 4;
    using Key = std::array<std::uint8_t, kKeySize>;
    static Key KeyOf(const HistoryRecord& record);

    std::unique_ptr<std::uint32_t[]> table_;  // a taken record's slot + 1; 0: free
    std::uint32_t dropped_ = 0;
};

}  // namespace lgcset::data
