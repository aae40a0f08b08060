#include "data/repeated_records.h"

#include <bit>
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

void RepeatedRecords::Clear() {
    taken_.clear();
    dropped_ = 0;
}

std::size_t RepeatedRecords::KeyHash::operator()(const Key& key) const {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
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
    std::uint16_t kept = from;
    for (std::uint16_t slot = from; slot < count; ++slot) {
        if (!taken_.insert(KeyOf(store[slot])).second)
            continue;
        if (kept != slot)
            store[kept] = store[slot];
        ++kept;
    }
    const std::uint32_t dropped = count - kept;
    count = kept;
    dropped_ += dropped;
    return dropped;
}

}  // namespace lgcset::data
