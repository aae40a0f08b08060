// The logger's clock against this computer's at the moment it was read, kept with each
// download so that its readings' times can be judged later.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "archive/archive_store.h"
#include "data/device_clock.h"

namespace lgcset::jobs {

struct ClockComparison {
    // The logger's clock less this computer's local time (the logger keeps local time
    // without a zone), and this computer's offset from UTC (seconds east); both unknown
    // when the clock gave no real time.
    std::optional<std::int64_t> offset;
    std::optional<std::int64_t> utcOffset;
    std::string unknown;  // when unknown: why, one sentence
};

// The reply read at `now` (this computer's clock).
ClockComparison CompareClock(const data::ClockReply& reply, std::time_t now);

// The sentence for a clock that could not be read: the line ended before its reply.
inline constexpr std::string_view kClockNotAnswered =
    "The logger's clock could not be read: its offset from this computer is not known.";

// A clock off by more than this is said to be off where its downloads are listed.
inline constexpr std::int64_t kClockOffWarning = 120;

// "UTC+01:00", "UTC-05:30", "UTC+00:00".
std::string UtcOffsetText(std::int64_t seconds);

// "the logger's clock was 5 min 12 s ahead of this computer at the download of
// 2026-03-01 10:15" (the computer's local time then); none for a clock off by no more than
// kClockOffWarning, or not known.
std::optional<std::string> ClockWarning(const archive::DownloadInfo& download);

}  // namespace lgcset::jobs
