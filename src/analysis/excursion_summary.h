// Each excursion as an auditor reads it: the range of its readings, the time beyond each
// limit within it, whether it went above 40 °C, and an identity that stays put when the
// history is read again, longer.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/excursions.h"
#include "analysis/sensor_setup.h"

namespace lgcset::analysis {

// The same excursion in any history that holds its first reading: one that was open at the
// end of a shorter history and goes on in a longer one keeps its key.
struct ExcursionKey {
    int sensor = 1;
    LimitKind kind = LimitKind::High;
    double start = 0;  // chart seconds of its first reading
    friend bool operator==(const ExcursionKey&, const ExcursionKey&) = default;
    friend auto operator<=>(const ExcursionKey&, const ExcursionKey&) = default;
};

struct ExcursionSummary {
    ExcursionKey key;
    double min = 0;  // of its readings, all beyond the limit
    double max = 0;
    // Within it, by LimitIndex: an excursion beyond High lies beyond Ultra-high for part of
    // its time. Its own limit's is its whole duration.
    std::array<double, kLimits.size()> secondsBeyond{};
    bool above40 = false;  // a reading above 40 °C (104 °F); never on an analog sensor
};

// One sensor's excursions beyond each of its set limits, and their summaries, from its
// readings in time order.
class SensorExcursions {
  public:
    SensorExcursions(int sensor, const SensorSetup& setup);

    void Add(double time, double value);
    // Both by start time, then limit, each summary beside its excursion.
    void Finish(std::vector<Excursion>& excursions, std::vector<ExcursionSummary>& summaries);

  private:
    struct Limit {
        ExcursionTracker tracker;
        std::optional<ExcursionSummary> run;
    };
    void Start(Limit& limit, double time, double value) const;
    void Close(Limit& limit);

    int sensor_;
    std::optional<double> hot_;  // the 40 °C mark in the sensor's unit
    std::vector<Limit> limits_;
    std::array<bool, kLimits.size()> wasBeyond_{};  // the previous reading, by LimitIndex
    std::optional<double> lastTime_;
    std::vector<Excursion> excursions_;
    std::vector<ExcursionSummary> summaries_;
};

}  // namespace lgcset::analysis
