#include "jobs/logger_clock.h"

#include <cstdio>

#include "data/calendar.h"
#include "data/local_time.h"

namespace lgcset::jobs {

namespace {

std::int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
    return data::DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) *
               86400 +
           hour * 3600 + minute * 60 + second;
}

}  // namespace

ClockComparison CompareClock(const data::ClockReply& reply, std::time_t now) {
    ClockComparison result;
    if (reply.kind != data::ClockReplyKind::Valid) {
        result.unknown =
            "The logger's clock gave no real time: its offset from this computer is not known.";
        return result;
    }
    const std::tm local = data::LocalFields(now);
    const std::int64_t localSeconds = CivilSeconds(local.tm_year + 1900, local.tm_mon + 1,
                                                   local.tm_mday, local.tm_hour, local.tm_min,
                                                   local.tm_sec);
    const data::DeviceTime& t = reply.time;
    result.offset = CivilSeconds(t.date.year, t.date.month, t.date.day, t.time.hour,
                                 t.time.minute, t.time.second) -
                    localSeconds;
    result.utcOffset = localSeconds - static_cast<std::int64_t>(now);
    return result;
}

std::string UtcOffsetText(std::int64_t seconds) {
    const std::int64_t minutes = (seconds < 0 ? -seconds : seconds) / 60;
    char text[24];
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", seconds < 0 ? '-' : '+',
                  static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
    return text;
}

std::optional<std::string> ClockWarning(const archive::DownloadInfo& download) {
    if (!download.clockOffset || !download.utcOffset)
        return std::nullopt;
    const std::int64_t offset = *download.clockOffset;
    const std::int64_t off = offset < 0 ? -offset : offset;
    if (off <= kClockOffWarning)
        return std::nullopt;
    std::string by;
    if (off >= 86400)
        by += std::to_string(off / 86400) + " d ";
    if (off >= 3600)
        by += std::to_string(off / 3600 % 24) + " h ";
    by += std::to_string(off / 60 % 60) + " min " + std::to_string(off % 60) + " s";
    const std::int64_t local = download.at + *download.utcOffset;
    const std::int64_t days = (local >= 0 ? local : local - 86399) / 86400;
    const std::int64_t second = local - days * 86400;
    const data::CalendarDate date = data::CivilFromDays(days);
    char when[40];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", date.year, date.month, date.day,
                  static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60));
    return "the logger's clock was " + by + (offset > 0 ? " ahead of" : " behind") +
           " this computer at the download of " + when;
}

}  // namespace lgcset::jobs
