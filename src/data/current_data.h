// The logger's present readings: the decoding of a current-data reply and the texts of the
// grid row that shows them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/data_items.h"
#include "data/history_record.h"

namespace lgcset::data {

// The window keeps one of these between decoding a reply and showing it; showing clears it.
struct CurrentReading {
    std::array<double, kSensorCount> sensor{};               // widened from single precision
    std::array<std::uint8_t, kSensorCount> sensorPresent{};  // 1 when the reply carried it
    double signal = 0.0;
    double relay = 0.0;           // 1.0 exactly: valid
    double power = 0.0;           // 1.0 exactly: valid
    std::uint32_t longitude = 0;  // millionths of a degree; kAbsentPosition when not sent
    std::uint32_t latitude = 0;   // millionths of a degree
    std::uint32_t velocity = 0;   // tenths
    std::uint32_t direction = 0;  // tenths
};

inline constexpr std::string_view kUndefinedDataMessage = "data recorded undefined";

enum class CurrentDataEnd {
    Complete,       // every item was decoded (or stepped over)
    UndefinedItem,  // an item with an unknown tag ended the decoding; the ones before it count
};

// Marks the four position values absent, then decodes the items at offsets 0, 6, 12, ...
// below `count`. `payload` is the reply's payload area: bytes of an item that reach past it
// read as 0xFF. An item of a known tag with a sub-code outside the table is stepped over.
CurrentDataEnd ParseCurrentData(std::span<const std::uint8_t> payload, std::size_t count,
                                CurrentReading& reading);

// Grid row 1 from column 1 ("Sensor1") to column 11 ("Power Status"): the text for each
// cell, or nothing where the cell keeps what it shows (a sensor not sent, a position marked
// absent). `separator` is the decimal separator of the user's locale.
inline constexpr int kCurrentDataValueColumns = 11;
// The grid's heading row; column 0 also heads the value row with "Value".
inline constexpr int kCurrentDataColumns = kCurrentDataValueColumns + 1;
inline constexpr std::array<const char*, kCurrentDataColumns> kCurrentDataHeadings{
    "Item",     "Sensor1",  "Sensor2",   "Sensor3",    "Sensor4", "Longitude",
    "Latitude", "Velocity", "Direction", "GSM Signal", "Relay",   "Power Status"};
inline constexpr const char* kCurrentDataValueHeading = "Value";
using CurrentDataRow = std::array<std::optional<std::string>, kCurrentDataValueColumns>;
CurrentDataRow CurrentDataTexts(const CurrentReading& reading, std::string_view separator);

}  // namespace lgcset::data
