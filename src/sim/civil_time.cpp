#include "sim/civil_time.h"

#include <chrono>
#include <ctime>

#include "data/local_time.h"

namespace lgcset::sim {

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;
}  // namespace

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) {
        return 0;
    }
    using namespace std::chrono;
    const year_month_day_last last{std::chrono::year{year} /
                                   std::chrono::month{static_cast<unsigned>(month)} /
                                   std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool IsValid(const CivilTime& t) {
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) &&
           t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
           t.second < 60;
}

std::int64_t ToSeconds(const CivilTime& t) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{t.year} /
                        std::chrono::month{static_cast<unsigned>(t.month)} /
                        std::chrono::day{static_cast<unsigned>(t.day)}};
    return static_cast<std::int64_t>(date.time_since_epoch().count()) * kSecondsPerDay +
           t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromSeconds(std::int64_t seconds) {
    using namespace std::chrono;
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t inDay = seconds - days * kSecondsPerDay;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    CivilTime t;
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.hour = static_cast<int>(inDay / 3600);
    t.minute = static_cast<int>(inDay / 60 % 60);
    t.second = static_cast<int>(inDay % 60);
    return t;
}

std::int64_t HostLocalSeconds() {
    const std::tm local = data::LocalFields(std::time(nullptr));
    CivilTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second reads as :59
    return ToSeconds(t);
}

}  // namespace lgcset::sim
