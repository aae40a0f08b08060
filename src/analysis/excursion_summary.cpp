#include "analysis/excursion_summary.h"

#include <algorithm>
#include <numeric>

namespace lgcset::analysis {
namespace {

std::optional<double> HotMark(SensorKind kind) {
    switch (kind) {
        case SensorKind::Celsius:
            return 40.0;
        case SensorKind::Fahrenheit:
            return 104.0;
        case SensorKind::Analog:
            break;
    }
    return std::nullopt;
}

}  // namespace

SensorExcursions::SensorExcursions(int sensor, const SensorSetup& setup)
    : sensor_(sensor), hot_(HotMark(setup.kind)) {
    for (const LimitDefinition& limit : kLimits)
        if (const auto value = setup.limits[LimitIndex(limit.kind)])
            limits_.push_back({ExcursionTracker(limit.kind, *value), std::nullopt});
}

void SensorExcursions::Start(Limit& limit, double time, double value) const {
    limit.run = ExcursionSummary{};
    limit.run->key = {sensor_, limit.tracker.Kind(), time};
    limit.run->min = limit.run->max = value;
}

void SensorExcursions::Close(Limit& limit) {
    // The tracker has just appended the excursion: its duration is the exact one.
    const Excursion& e = excursions_.back();
    limit.run->secondsBeyond[LimitIndex(e.kind)] = e.seconds;
    summaries_.push_back(*limit.run);
    limit.run.reset();
}

void SensorExcursions::Add(double time, double value) {
    // The time since the previous reading lies beyond every limit that reading was beyond.
    const double step = lastTime_ ? time - *lastTime_ : 0;
    lastTime_ = time;
    std::array<bool, kLimits.size()> beyond{};
    for (const Limit& limit : limits_)
        beyond[LimitIndex(limit.tracker.Kind())] = limit.tracker.Beyond(value);
    for (Limit& limit : limits_) {
        if (limit.run)
            for (std::size_t k = 0; k < kLimits.size(); ++k)
                if (wasBeyond_[k])
                    limit.run->secondsBeyond[k] += step;
        if (beyond[LimitIndex(limit.tracker.Kind())]) {
            if (!limit.run)
                Start(limit, time, value);
            limit.run->min = std::min(limit.run->min, value);
            limit.run->max = std::max(limit.run->max, value);
            limit.run->above40 = limit.run->above40 || (hot_ && value > *hot_);
        }
        const std::size_t before = excursions_.size();
        limit.tracker.Add(time, value, excursions_);
        if (excursions_.size() != before)
            Close(limit);
    }
    wasBeyond_ = beyond;
}

void SensorExcursions::Finish(std::vector<Excursion>& excursions,
                              std::vector<ExcursionSummary>& summaries) {
    for (Limit& limit : limits_) {
        const std::size_t before = excursions_.size();
        limit.tracker.Finish(excursions_);
        if (excursions_.size() != before)
            Close(limit);
    }
    std::vector<std::size_t> order(excursions_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const Excursion& x = excursions_[a];
        const Excursion& y = excursions_[b];
        return x.from < y.from || (x.from == y.from && LimitIndex(x.kind) < LimitIndex(y.kind));
    });
    excursions.clear();
    summaries.clear();
    excursions.reserve(order.size());
    summaries.reserve(order.size());
    for (std::size_t i : order) {
        excursions.push_back(excursions_[i]);
        summaries.push_back(summaries_[i]);
    }
    excursions_.clear();
    summaries_.clear();
}

}  // namespace lgcset::analysis
