// The records one transfer has taken, so that a record a logger sends again (replies whose
// records overlap, one record under two numbers) is exported once, not twice.
//
// A record is known by its bytes: the time, the four sensors with their sent flags and the
// four position values. A hash set keeps the check constant in time for each record: a
// transfer holds up to 65,535 of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_set>

#include "data/history_record.h"

namespace lgcset::data {

class RepeatedRecords {
  public:
    // A new transfer: no record has been taken yet.
    void Clear();

    // Keeps each record of store[from .. count) that the transfer has not taken before, in
    // order and moved down over the ones dropped, and lowers count by those dropped.
    // Returns how many were dropped.
    std::uint32_t KeepNew(HistoryStore& store, std::uint16_t from, std::uint16_t& count);

    std::uint32_t Dropped() const { return dropped_; }

  private:
    // Year (two bytes), month, day, hour, minute, second; four sensors as the bits of their
    // doubles; their sent flags; longitude, latitude, velocity, direction.
    static constexpr std::size_t kKeySize = 7 + kSensorCount * 8 + kSensorCount + 4 * 4;
    using Key = std::array<std::uint8_t, kKeySize>;
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    static Key KeyOf(const HistoryRecord& record);

    std::unordered_set<Key, KeyHash> taken_;
    std::uint32_t dropped_ = 0;
};

}  // namespace lgcset::data
