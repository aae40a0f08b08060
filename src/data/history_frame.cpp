#include "data/history_frame.h"

#include <cstddef>

#include "data/data_items.h"

namespace lgcset::data {

namespace {

constexpr std::uint8_t kMarker = 0x7F;
constexpr std::uint8_t kEnd = 0xFF;
constexpr std::size_t kTimestampSize = 6;
constexpr std::size_t kRecordHeader = 2 + kTimestampSize;

bool StartsRecord(std::span<const std::uint8_t> payload, std::size_t i) {
    return i + 1 < payload.size() && payload[i] == kMarker && payload[i + 1] == kMarker;
}

}  // namespace

HistoryFrameResult ParseHistoryFrame(std::span<const std::uint8_t> payload, HistoryStore& store,
                                     std::uint16_t& count) {
    HistoryFrameResult result;
    // A record that finds the count at its limit is decoded here, so that the ones after
    // it are still found, and then dropped.
    HistoryRecord overflow;
    std::size_t i = 0;
    while (StartsRecord(payload, i)) {
        const bool full = count == kMaxHistoryCount;
        HistoryRecord& record = full ? overflow : store[count];
        record = HistoryRecord{};
        MarkPositionsAbsent(record);
        record.year = PayloadByte(payload, i + 2);
        record.month = PayloadByte(payload, i + 3);
        record.day = PayloadByte(payload, i + 4);
        record.hour = PayloadByte(payload, i + 5);
        record.minute = PayloadByte(payload, i + 6);
        record.second = PayloadByte(payload, i + 7);
        std::size_t item = i + kRecordHeader;
        while (item < payload.size() && payload[item] != kMarker && payload[item] != kEnd) {
            // A tag that no history record carries ends the reply.
            if (StoreSensorOrPosition(record, payload[item], PayloadByte(payload, item + 1),
                                      PayloadU32(payload, item + 2)) == ItemStored::OtherTag) {
                result.undefinedItem = true;
                return result;
            }
            item += kDataItemSize;
        }
        i = item;
        if (full) {
            ++result.leftOut;
        } else {
            ++count;
            ++result.stored;
        }
    }
    return result;
}

}  // namespace lgcset::data
