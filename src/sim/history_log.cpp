#include "sim/history_log.h"

#include <algorithm>

#include "sim/data_items.h"

namespace lgcset::sim {

namespace {
constexpr std::int64_t kMaxRecords = 1'000'000;  // keeps a careless --days from overflowing
}  // namespace

HistoryLog::HistoryLog(ChannelLayout layout, std::int64_t endSeconds, int intervalMinutes, int days,
                       std::optional<std::uint32_t> records, OddItems odd)
    : layout_(layout), odd_(odd), interval_(std::max(1, intervalMinutes) * std::int64_t{60}) {
    const std::int64_t last = FloorDiv(endSeconds, interval_) * interval_;
    const std::int64_t wanted =
        records ? std::int64_t{*records} : std::int64_t{std::max(0, days)} * 86400 / interval_;
    const std::int64_t count = std::clamp<std::int64_t>(wanted, 0, kMaxRecords);
    size_ = static_cast<std::uint32_t>(count);
    first_ = last - (count - 1) * interval_;
}

std::int64_t HistoryLog::TimeOf(std::uint32_t index) const {
    return first_ + static_cast<std::int64_t>(index) * interval_;
}

HistoryLog::Range HistoryLog::Select(const CivilTime& fromDay, const CivilTime& toDay) const {
    CivilTime from = fromDay;
    from.hour = from.minute = from.second = 0;
    CivilTime to = toDay;
    to.hour = 23;
    to.minute = 59;
    to.second = 59;
    if (size_ == 0 || !IsValid(from) || !IsValid(to)) {
        return {};
    }
    const std::int64_t lo =
        std::max<std::int64_t>(0, -FloorDiv(first_ - ToSeconds(from), interval_));
    const std::int64_t hi =
        std::min<std::int64_t>(size_ - 1, FloorDiv(ToSeconds(to) - first_, interval_));
    if (hi < lo) {
        return {};
    }
    return {static_cast<std::uint32_t>(lo), static_cast<std::uint32_t>(hi - lo + 1)};
}

HistoryLog::Content HistoryLog::ContentOf(std::uint32_t index) const {
    // A few irregular records, as a real log has them: now and then a sensor that did not
    // answer, a GPS fix in some records, and rarely a record with no items at all.
    Content c;
    if (index % 97 == 48) {
        return c;
    }
    for (int ch = 0; ch < layout_.count; ++ch) {
        c.sensors[ch] = true;
    }
    if (index % 11 == 5) {
        c.sensors[1] = false;
    }
    c.gps = index % 4 == 0;
    return c;
}

std::size_t HistoryLog::OddItemCount(std::uint32_t index) const {
    std::size_t items = 0;
    if (odd_.unknownTagRecord == index + 1) {
        items += 1;
    }
    if (odd_.unknownSubCodeRecord == index + 1) {
        items += 2;
    }
    return items;
}

std::size_t HistoryLog::RecordSize(std::uint32_t index) const {
    const Content c = ContentOf(index);
    std::size_t items = (c.gps ? 4 : 0) + OddItemCount(index);
    for (bool present : c.sensors) {
        items += present ? 1 : 0;
    }
    return 8 + kItemSize * items;
}

void HistoryLog::AppendRecord(std::uint32_t index, std::vector<std::uint8_t>& out) const {
    const std::int64_t seconds = TimeOf(index);
    const CivilTime t = FromSeconds(seconds);
    out.push_back(0x7F);
    out.push_back(0x7F);
    out.push_back(static_cast<std::uint8_t>(t.year % 100));
    out.push_back(static_cast<std::uint8_t>(t.month));
    out.push_back(static_cast<std::uint8_t>(t.day));
    out.push_back(static_cast<std::uint8_t>(t.hour));
    out.push_back(static_cast<std::uint8_t>(t.minute));
    out.push_back(static_cast<std::uint8_t>(t.second));
    const Content c = ContentOf(index);
    // The odd items come first, so the ones after them show whether decoding went on.
    if (odd_.unknownSubCodeRecord == index + 1) {
        AppendItem(out, kSensorTag, kUnknownSensorSubCode, 1.5f);
        AppendItem(out, kPositionTag, kUnknownPositionSubCode, std::uint32_t{1234});
    }
    if (odd_.unknownTagRecord == index + 1) {
        AppendItem(out, kUnknownTag, 0x00, std::uint32_t{0});
    }
    for (int ch = 0; ch < 4; ++ch) {
        if (c.sensors[ch]) {
            AppendItem(out, kSensorTag, static_cast<std::uint8_t>(ch),
                       SensorValue(layout_.kind, ch, seconds));
        }
    }
    if (c.gps) {
        const GpsFix fix = GpsAt(seconds);
        AppendItem(out, kPositionTag, kLongitude, fix.longitude);
        AppendItem(out, kPositionTag, kLatitude, fix.latitude);
        AppendItem(out, kPositionTag, kVelocity, fix.velocity);
        AppendItem(out, kPositionTag, kDirection, fix.direction);
    }
}

}  // namespace lgcset::sim
