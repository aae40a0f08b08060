// Stores that the export tests write: every column with values of each kind, absent values,
// the largest present position, invalid times; one record; none; a full sheet; and more
// records than a sheet holds.
#pragma once

#include <limits>
#include <string_view>
#include <vector>

#include "data/history_record.h"

namespace lgcset::exports::test {

inline data::HistoryRecord Record(int year, int month, int day, int hour, int minute, int second) {
    data::HistoryRecord r;
    r.year = static_cast<std::uint16_t>(year);
    r.month = static_cast<std::uint8_t>(month);
    r.day = static_cast<std::uint8_t>(day);
    r.hour = static_cast<std::uint8_t>(hour);
    r.minute = static_cast<std::uint8_t>(minute);
    r.second = static_cast<std::uint8_t>(second);
    r.longitude = r.latitude = r.velocity = r.direction = data::kAbsentPosition;
    return r;
}

inline void SetSensor(data::HistoryRecord& r, int index, double value) {
    r.sensor[static_cast<std::size_t>(index)] = value;
    r.sensorPresent[static_cast<std::size_t>(index)] = 1;
}

// Fills the store with the named records and returns their count (-1: no such store).
inline std::size_t FillStore(std::string_view name, data::HistoryStore& store) {
    if (name == "none")
        return 0;
    if (name == "one") {
        store[0] = Record(24, 3, 5, 14, 7, 9);
        SetSensor(store[0], 0, static_cast<float>(23.456));
        return 1;
    }
    if (name == "full") {
        for (std::size_t i = 0; i < 65535; ++i) {
            const int s = static_cast<int>(i);
            data::HistoryRecord r =
                Record(24, 1 + s % 12, 1 + s % 28, s % 24, s % 60, (s * 7) % 60);
            for (int k = 0; k < 4; ++k)
                SetSensor(r, k, static_cast<float>((s % 2000) * 0.173 - 40.0 + k));
            r.longitude = 113954321u + static_cast<std::uint32_t>(s) * 17u;
            r.latitude = 22540000u + static_cast<std::uint32_t>(s);
            r.velocity = static_cast<std::uint32_t>(s % 1500);
            r.direction = static_cast<std::uint32_t>(s % 3600);
            store[i] = r;
        }
        return 65535;
    }
    if (name != "columns")
        return static_cast<std::size_t>(-1);
    std::size_t n = 0;
    data::HistoryRecord r = Record(24, 3, 5, 14, 7, 9);
    SetSensor(r, 0, static_cast<float>(23.456));
    SetSensor(r, 1, 20.0);
    SetSensor(r, 2, static_cast<float>(25.1));
    SetSensor(r, 3, -0.125);
    r.longitude = 113954321;
    r.latitude = 22540000;
    r.velocity = 456;
    r.direction = 900;
    store[n++] = r;
    // No values at all; the end of a day and of a leap year.
    store[n++] = Record(24, 12, 31, 23, 59, 59);
    // Velocity and direction only.
    r = Record(0, 1, 1, 0, 0, 0);
    r.velocity = 456;
    r.direction = 900;
    store[n++] = r;
    // The largest present position; an all-ones one is absent.
    r = Record(99, 2, 28, 12, 0, 1);
    r.longitude = 0xFFFFFFFEu;
    r.latitude = 0xFFFFFFFFu;
    r.velocity = 0xFFFFFFFEu;
    r.direction = 0;
    store[n++] = r;
    // A whole longitude keeps one decimal; small and negative values.
    r = Record(23, 7, 1, 8, 30, 0);
    r.longitude = 113000000;
    r.latitude = 1;
    SetSensor(r, 0, -40.0);
    SetSensor(r, 1, 0.004);
    SetSensor(r, 2, 0.995);
    SetSensor(r, 3, 1e20);
    store[n++] = r;
    // Wide values in columns of the default width.
    r = Record(24, 6, 30, 18, 45, 30);
    SetSensor(r, 0, static_cast<float>(123456.78));
    SetSensor(r, 1, -9999.99);
    r.velocity = 4294967290u;
    r.direction = 3599;
    store[n++] = r;
    // Times that are no real date and time; the export goes on after them.
    r = Record(24, 0, 5, 14, 7, 9);
    SetSensor(r, 0, 1.5);
    store[n++] = r;
    store[n++] = Record(23, 2, 30, 0, 0, 0);
    store[n++] = Record(24, 2, 29, 24, 0, 0);
    // A sensor value that no number cell can hold.
    r = Record(24, 2, 29, 6, 5, 4);
    SetSensor(r, 0, std::numeric_limits<double>::quiet_NaN());
    SetSensor(r, 1, std::numeric_limits<double>::infinity());
    store[n++] = r;
    return n;
}

// More records than a sheet holds: the full store, then a day of 2025 at one per
// half-minute that goes on in a second sheet.
inline std::vector<data::HistoryRecord> TwoSheetRecords() {
    data::HistoryStore store;
    const std::size_t full = FillStore("full", store);
    std::vector<data::HistoryRecord> records(store.data(), store.data() + full);
    for (int i = 0; i < 300; ++i) {
        data::HistoryRecord r = Record(25, 1, 1, i / 120, i / 2 % 60, i % 2 * 30);
        SetSensor(r, i % 4, static_cast<float>(i * 0.25 - 20));
        records.push_back(r);
    }
    return records;
}

}  // namespace lgcset::exports::test
