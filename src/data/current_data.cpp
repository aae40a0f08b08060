#include "data/current_data.h"

#include <bit>

#include "data/number_format.h"

namespace lgcset::data {

namespace {

// The items that only a current-data reply carries, single precision each; the sensor and
// position items are those of a history record.
struct StatusItem {
    std::uint8_t tag;
    std::uint8_t sub;
    double CurrentReading::*value;
};
constexpr std::array<StatusItem, 3> kStatusItems{{
    {0x10, 0x10, &CurrentReading::signal},
    {0x20, 0x20, &CurrentReading::relay},
    {0x30, 0x30, &CurrentReading::power},
}};

const StatusItem* FindStatusItem(std::uint8_t tag) {
    for (const StatusItem& item : kStatusItems) {
        if (item.tag == tag) {
            return &item;
        }
    }
    return nullptr;
}

std::optional<std::string> PositionText(std::uint32_t value, double divisor,
                                        std::string (*format)(double, std::string_view),
                                        std::string_view separator) {
    if (value == kAbsentPosition) {
        return std::nullopt;
    }
    return format(static_cast<double>(value) / divisor, separator);
}

std::string ValidText(double value) {
    return value == 1.0 ? "Valid" : "Invalid";
}

}  // namespace

CurrentDataEnd ParseCurrentData(std::span<const std::uint8_t> payload, std::size_t count,
                                CurrentReading& reading) {
    MarkPositionsAbsent(reading);
    for (std::size_t i = 0; i < count; i += kDataItemSize) {
        const std::uint8_t tag = PayloadByte(payload, i);
        const std::uint8_t sub = PayloadByte(payload, i + 1);
        const std::uint32_t value = PayloadU32(payload, i + 2);
        if (StoreSensorOrPosition(reading, tag, sub, value) != ItemStored::OtherTag) {
            continue;
        }
        const StatusItem* item = FindStatusItem(tag);
        if (item == nullptr) {
            return CurrentDataEnd::UndefinedItem;
        }
        if (item->sub == sub) {
            reading.*item->value = std::bit_cast<float>(value);
        }
    }
    return CurrentDataEnd::Complete;
}

CurrentDataRow CurrentDataTexts(const CurrentReading& reading, std::string_view separator) {
    CurrentDataRow row;
    for (std::size_t n = 0; n < reading.sensor.size(); ++n) {
        if (reading.sensorPresent[n] == 1) {
            row[n] = FormatUpToTwoDecimals(reading.sensor[n], separator);
        }
    }
    row[4] = PositionText(reading.longitude, 1e6, &FormatOneToSixDecimals, separator);
    row[5] = PositionText(reading.latitude, 1e6, &FormatOneToSixDecimals, separator);
    row[6] = PositionText(reading.velocity, 10.0, &FormatGeneral, separator);
    row[7] = PositionText(reading.direction, 10.0, &FormatGeneral, separator);
    row[8] = FormatGeneral(reading.signal, separator);
    row[9] = ValidText(reading.relay);
    row[10] = ValidText(reading.power);
    return row;
}

}  // namespace lgcset::data
