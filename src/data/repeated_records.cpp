#include "data/repeated_records.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>

namespace lgcset::data {

namespace {

template <typename Unsigned>
std::size_t PutLittleEndian(std::uint8_t* at, Unsigned value) {
    for (std::size_t i = 0; i < sizeof value; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return sizeof value;
}

}  // namespace

RepeatedRecords::RepeatedRecords() : table_(std::make_unique<std::uint32_t[]>(kTableSize)) {}

void RepeatedRecords::Clear() {
    std::fill_n(table_.get(), kTableSize, 0u);
    dropped_ = 0;
}

RepeatedRecords::Key RepeatedRecords::KeyOf(const HistoryRecord& record) {
    // Field by field: the padding between a record's fields holds no defined bytes.
    Key key{};
    std::uint8_t* at = key.data();
    at += PutLittleEndian(at, record.year);
    for (const std::uint8_t field :
         {record.month, record.day, record.hour, record.minute, record.second})
        *at++ = field;
    // Bits, not values: a NaN the logger sent again equals itself.
    for (const double sensor : record.sensor)
        at += PutLittleEndian(at, std::bit_cast<std::uint64_t>(sensor));
    for (const std::uint8_t present : record.sensorPresent) *at++ = present;
    for (const std::uint32_t position :
         {record.longitude, record.latitude, record.velocity, record.direction})
        at += PutLittleEndian(at, position);
    return key;
}

std::uint32_t RepeatedRecords::KeepNew(HistoryStore& store, std::uint16_t from,
                                       std::uint16_t& count) {
    constexpr std::size_t kMask = kTableSize - 1;
    std::uint16_t kept = from;
    for (std::uint16_t slot = from; slot < count; ++slot) {
        const Key key = KeyOf(store[slot]);
        std::size_t at = std::hash<std::string_view>{}(std::string_view(
                             reinterpret_cast<const char*>(key.data()), key.size())) &
                         kMask;
        bool taken = false;
        for (; table_[at] != 0 && !taken; at = (at + 1) & kMask)
            taken = KeyOf(store[table_[at] - 1]) == key;
        if (taken)
            continue;
        if (kept != slot)
            store[kept] = store[slot];
        table_[at] = kept + 1u;
        ++kept;
    }
    const std::uint32_t dropped = count - kept;
    count = kept;
    dropped_ += dropped;
    return dropped;
}

}  // namespace lgcset::data
