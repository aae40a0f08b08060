// Loggers, downloads and readings the archive's tests store.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/archive_store.h"

namespace lgcset::archive {

inline const LoggerKey kTruck{"000000000012345", "R481"};

inline DownloadInfo Download(const LoggerKey& logger = kTruck, std::int64_t at = 1'700'000'000) {
    DownloadInfo d;
    d.logger = logger;
    d.at = at;
    d.source = "/dev/ttyUSB0";
    return d;
}

// A reading every half hour from 2024-03-01 00:00 on (to the end of April), sensor 1 and a
// position sent.
inline data::HistoryRecord Reading(int halfHour, double sensor1 = 21.5) {
    data::HistoryRecord r;
    r.year = 24;
    r.month = static_cast<std::uint8_t>(3 + halfHour / (48 * 31));
    r.day = static_cast<std::uint8_t>(1 + halfHour % (48 * 31) / 48);
    r.hour = static_cast<std::uint8_t>(halfHour % 48 / 2);
    r.minute = static_cast<std::uint8_t>(halfHour % 2 * 30);
    r.sensor = {sensor1, 0, 0, 0};
    r.sensorPresent = {1, 0, 0, 0};
    data::MarkPositionsAbsent(r);
    r.longitude = 24'123456;
    return r;
}

inline std::vector<data::HistoryRecord> Readings(int first, int count) {
    std::vector<data::HistoryRecord> records;
    for (int i = first; i < first + count; ++i) records.push_back(Reading(i));
    return records;
}

inline std::vector<data::HistoryRecord> Everything(ArchiveStore& store,
                                                   const LoggerKey& logger = kTruck) {
    return store.Readings(logger, INT64_MIN, INT64_MAX).rows;
}

}  // namespace lgcset::archive
