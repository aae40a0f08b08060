#include "data/current_data.h"

#include <bit>

#include "data/number_format.h"

namespace lgcset::data {

namespace {

enum class Field {
    Sensor1,
    Sensor2,
    Sensor3,
    Sensor4,
    Longitude,
    Latitude,
    Velocity,
    Direction,
    Signal,
    Relay,
    Power,
};

struct ItemSpec {
    std::uint8_t tag;
    std::uint8_t sub;
    Field field;
};

// The items of a current-data reply. Sensors, signal, relay and power are single precision;
// the four position values are unsigned 32-bit.
constexpr std::array<ItemSpec, 11> kCurrentDataItems{{
    {0x01, 0x00, Field::Sensor1},
    {0x01, 0x01, Field::Sensor2},
    {0x01, 0x02, Field::Sensor3},
    {0x01, 0x03, Field::Sensor4},
    {0x50, 0x50, Field::Longitude},
    {0x50, 0x51, Field::Latitude},
    {0x50, 0x52, Field::Velocity},
    {0x50, 0x53, Field::Direction},
    {0x10, 0x10, Field::Signal},
    {0x20, 0x20, Field::Relay},
    {0x30, 0x30, Field::Power},
}};

bool KnownTag(std::uint8_t tag) {
    for (const ItemSpec& item : kCurrentDataItems) {
        if (item.tag == tag) {
            return true;
        }
    }
    return false;
}

const ItemSpec* FindItem(std::uint8_t tag, std::uint8_t sub) {
    for (const ItemSpec& item : kCurrentDataItems) {
        if (item.tag == tag && item.sub == sub) {
            return &item;
        }
    }
    return nullptr;
}

std::uint8_t ByteAt(std::span<const std::uint8_t> payload, std::size_t at) {
    return at < payload.size() ? payload[at] : std::uint8_t{0xFF};
}

std::uint32_t U32At(std::span<const std::uint8_t> payload, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        value |= std::uint32_t{ByteAt(payload, at + k)} << (8 * k);
    }
    return value;
}

void Store(CurrentReading& reading, Field field, std::uint32_t raw) {
    const double single = std::bit_cast<float>(raw);
    switch (field) {
        case Field::Sensor1:
        case Field::Sensor2:
        case Field::Sensor3:
        case Field::Sensor4: {
            const auto n =
                static_cast<std::size_t>(field) - static_cast<std::size_t>(Field::Sensor1);
            reading.sensor[n] = single;
            reading.sensorPresent[n] = 1;
            break;
        }
        case Field::Longitude:
            reading.longitude = raw;
            break;
        case Field::Latitude:
            reading.latitude = raw;
            break;
        case Field::Velocity:
            reading.velocity = raw;
            break;
        case Field::Direction:
            reading.direction = raw;
            break;
        case Field::Signal:
            reading.signal = single;
            break;
        case Field::Relay:
            reading.relay = single;
            break;
        case Field::Power:
            reading.power = single;
            break;
    }
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
    reading.longitude = kAbsentPosition;
    reading.latitude = kAbsentPosition;
    reading.velocity = kAbsentPosition;
    reading.direction = kAbsentPosition;
    for (std::size_t i = 0; i < count; i += kDataItemSize) {
        const std::uint8_t tag = ByteAt(payload, i);
        if (!KnownTag(tag)) {
            return CurrentDataEnd::UndefinedItem;
        }
        if (const ItemSpec* item = FindItem(tag, ByteAt(payload, i + 1))) {
            Store(reading, item->field, U32At(payload, i + 2));
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
