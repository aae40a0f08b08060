// A refrigerated delivery truck's history as its logger would record it, for the chart's
// tests, its pictures and its benchmark: the cold room held at 2–6 °C by a compressor that
// cycles, a defrost twice a day, the door opened at every delivery stop; sensor 1 the room's
// air, 2 the evaporator coil, 3 the core of the goods, 4 the air outside. A probe unplugged
// for an afternoon and the odd record without readings leave gaps; the GPS fix is lost now
// and then. Weekdays the truck drives a round of stops from its depot; nights and the weekend
// it stands there. Records start on Monday 2024-03-04 00:00:00.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <random>

#include "data/history_record.h"

namespace lgcset::ui::test {

namespace cold_room_detail {

struct Waypoint {
    double longitude;
    double latitude;
};

// The depot, then the stops of the round, then back.
inline constexpr std::array<Waypoint, 9> kRound = {{{113.8805, 22.5602},
                                                    {113.9123, 22.5431},
                                                    {113.9541, 22.5405},
                                                    {113.9903, 22.5338},
                                                    {114.0342, 22.5417},
                                                    {114.0571, 22.5583},
                                                    {114.0213, 22.5795},
                                                    {113.9477, 22.5824},
                                                    {113.8805, 22.5602}}};

inline double Triangle(double phase) {  // 0..1 → -1..1..-1
    const double f = phase - std::floor(phase);
    return f < 0.5 ? 4 * f - 1 : 3 - 4 * f;
}

inline std::uint8_t U8(long v) {
    return static_cast<std::uint8_t>(v);
}

}  // namespace cold_room_detail

inline void FillColdRoomHistory(data::HistoryStore& store, std::size_t count, int intervalSeconds,
                                unsigned seed = 1) {
    using namespace cold_room_detail;
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // 2024-03-04 (a Monday) as days since 2024-01-01 is 63; the calendar below only needs
    // to walk forward through 2024 and into 2025.
    constexpr int kDaysInMonth2024[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    double coil = -6;
    for (std::size_t i = 0; i < count; ++i) {
        const long t = static_cast<long>(i) * intervalSeconds;
        const long day = t / 86400;
        const double hour = static_cast<double>(t % 86400) / 3600.0;
        const bool weekday = day % 7 < 5;

        data::HistoryRecord& r = store[i];
        r = data::HistoryRecord{};
        {
            long d = 63 + day;  // day of 2024, from 0
            int year = 24;
            int month = 0;
            for (;;) {
                const int length = year == 24 ? kDaysInMonth2024[month]
                                              : (month == 1 ? 28 : kDaysInMonth2024[month]);
                if (d < length)
                    break;
                d -= length;
                if (++month == 12) {
                    month = 0;
                    ++year;
                }
            }
            r.year = static_cast<std::uint16_t>(year);
            r.month = U8(month + 1);
            r.day = U8(d + 1);
            r.hour = U8(t % 86400 / 3600);
            r.minute = U8(t % 3600 / 60);
            r.second = U8(t % 60);
        }

        // Defrost at 02:00 and 14:00 for 25 minutes, the room recovering for 40 more.
        double defrost = 0;
        for (double start : {2.0, 14.0}) {
            const double since = (hour - start) * 60;  // minutes
            if (since >= 0 && since < 25)
                defrost = std::max(defrost, since / 25);
            else if (since >= 25 && since < 65)
                defrost = std::max(defrost, 1 - (since - 25) / 40);
        }
        // Weekday round 08:00–17:00 with a stop every hour: the door stays open 6 minutes.
        const bool onRound = weekday && hour >= 8 && hour < 17;
        const double minuteOfHour = std::fmod(hour, 1.0) * 60;
        const bool doorOpen = onRound && minuteOfHour >= 30 && minuteOfHour < 36;

        const double cycle = Triangle(hour * 60 / 38);  // compressor, 38 minutes a cycle
        const double air =
            4.0 + 1.6 * cycle + 5.5 * defrost + (doorOpen ? 2.8 : 0) + 0.08 * noise(random);
        const double coilTarget = defrost > 0 ? -6 + 18 * defrost : -6 - 2.5 * cycle;
        coil += (coilTarget - coil) * 0.6;
        const double core = 3.7 + 0.25 * std::sin(hour / 24 * 2 * std::numbers::pi) +
                            0.5 * defrost + 0.03 * noise(random);
        const double outside = 17 + 7 * std::sin((hour - 9) / 24 * 2 * std::numbers::pi) +
                               0.6 * static_cast<double>(day % 3) + 0.3 * noise(random);
        const std::array<double, data::kSensorCount> values = {air, coil + 0.1 * noise(random),
                                                               core, outside};
        // A glitch now and then leaves a record without readings.
        const bool glitch = uniform(random) < 0.003;
        for (std::size_t s = 0; s < data::kSensorCount; ++s) {
            bool present = !glitch;
            if (s == 3 && day % 7 == 2 && hour >= 10 && hour < 16)
                present = false;  // outside probe unplugged on Wednesday
            if (s == 1 && day % 7 == 4 && hour >= 20 && hour < 22)
                present = false;  // coil probe loose on Friday evening
            r.sensor[s] = static_cast<double>(static_cast<float>(values[s]));
            r.sensorPresent[s] = present ? 1 : 0;
        }

        // Position along the round, or at the depot.
        Waypoint at = kRound[0];
        double speed = 0;
        double heading = 0;
        if (onRound) {
            const double progress = (hour - 8) / 9 * (kRound.size() - 1);
            const auto leg = static_cast<std::size_t>(progress);
            const double f = progress - static_cast<double>(leg);
            const Waypoint& a = kRound[leg];
            const Waypoint& b = kRound[leg + 1];
            at = {a.longitude + (b.longitude - a.longitude) * f + 0.0015 * std::sin(progress * 17),
                  a.latitude + (b.latitude - a.latitude) * f + 0.001 * std::cos(progress * 13)};
            const double east =
                (b.longitude - a.longitude) * std::cos(22.55 * std::numbers::pi / 180);
            const double north = b.latitude - a.latitude;
            speed = doorOpen ? 0 : 32 + 8 * noise(random);
            heading = std::fmod(std::atan2(east, north) * 180 / std::numbers::pi + 360, 360);
        }
        const bool fixLost = (onRound && hour >= 11 && hour < 11.3) || uniform(random) < 0.01;
        if (fixLost) {
            r.longitude = r.latitude = r.velocity = r.direction = data::kAbsentPosition;
        } else {
            r.longitude = static_cast<std::uint32_t>(std::lround(at.longitude * 1e6));
            r.latitude = static_cast<std::uint32_t>(std::lround(at.latitude * 1e6));
            r.velocity = static_cast<std::uint32_t>(std::lround(std::max(0.0, speed) * 10));
            r.direction = static_cast<std::uint32_t>(std::lround(heading * 10));
        }
    }
}

}  // namespace lgcset::ui::test
