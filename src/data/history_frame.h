// Decoding of one HistoryRecord reply into the history store.
//
// A reply carries records back to back: marker 0x7F 0x7F, two-digit year, month, day,
// hour, minute, second, then 6-byte data items (tag, sub-code, value low byte first). The
// items of a record end at an item position that holds 0x7F (the next marker) or 0xFF, or
// that lies at or past the end of the received payload; the records end where the next two
// bytes are not both 0x7F. Only the received payload is read: the 0xFF the receive area
// holds past it is never taken for a marker.
#pragma once

#include <cstdint>
#include <span>

#include "data/history_record.h"

namespace lgcset::data {

// HistoryCount is 16 bits wide: the most records one transfer can hold.
inline constexpr std::uint16_t kMaxHistoryCount = 0xFFFF;

struct HistoryFrameResult {
    std::uint16_t stored = 0;    // records stored and counted
    std::uint32_t leftOut = 0;   // whole records that found the count at its limit
    bool undefinedItem = false;  // an unknown tag ended the reply; its record is not counted
};

// Stores the records of `payload` (the received bytes of one reply, nothing past them) in
// store[count], store[count + 1], ... and advances count. Each slot is reset as it is
// taken: all four sensors not present, all four position values absent. A sensor or
// position item with an unknown sub-code is stepped over and not stored. Once count has
// reached kMaxHistoryCount further records are decoded but neither stored nor counted.
HistoryFrameResult ParseHistoryFrame(std::span<const std::uint8_t> payload, HistoryStore& store,
                                     std::uint16_t& count);

}  // namespace lgcset::data
