// One logged reading of the logger's history and the store a transfer fills.
//
// The store is one block of 65,537 slots that lives as long as its owner; slots are reused
// by every transfer and reset one by one as they are taken, so a transfer allocates nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace lgcset::data {

// A position value (longitude, latitude, velocity, direction) of all ones was not sent.
inline constexpr std::uint32_t kAbsentPosition = 0xFFFFFFFFu;

inline constexpr int kSensorCount = 4;

// The columns of a record in the exported files, as the export heads them and the CSV
// reader takes them back.
inline constexpr std::array<std::string_view, 9> kHistoryColumns = {
    "time",      "Sensor1",  "Sensor2",  "Sensor3",  "Sensor4",
    "Longitude", "Latitude", "Velocity", "Direction"};

struct HistoryRecord {
    std::uint16_t year = 0;  // two digits as sent: calendar year minus 2000
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::array<double, kSensorCount> sensor{};               // widened from single precision
    std::array<std::uint8_t, kSensorCount> sensorPresent{};  // 1 when the value was sent
    std::uint32_t longitude = 0;                             // millionths of a degree
    std::uint32_t latitude = 0;                              // millionths of a degree
    std::uint32_t velocity = 0;                              // tenths
    std::uint32_t direction = 0;                             // tenths
};

// The four position values of a record (or of a current reading) marked not sent.
template <typename Reading>
void MarkPositionsAbsent(Reading& reading) {
    reading.longitude = kAbsentPosition;
    reading.latitude = kAbsentPosition;
    reading.velocity = kAbsentPosition;
    reading.direction = kAbsentPosition;
}

class HistoryStore {
  public:
    static constexpr std::size_t kSlots = 65537;

    HistoryStore() : slots_(std::make_unique<HistoryRecord[]>(kSlots)) {}

    HistoryRecord& operator[](std::size_t slot) { return slots_[slot]; }
    const HistoryRecord& operator[](std::size_t slot) const { return slots_[slot]; }
    HistoryRecord* data() { return slots_.get(); }
    const HistoryRecord* data() const { return slots_.get(); }

  private:
    std::unique_ptr<HistoryRecord[]> slots_;
};

}  // namespace lgcset::data
