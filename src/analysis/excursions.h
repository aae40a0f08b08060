// Excursions of one sensor beyond one alarm limit: runs of consecutive readings of that
// sensor strictly beyond it. A record without the sensor's value is no reading and neither
// ends nor starts a run.
#pragma once

#include <optional>
#include <vector>

#include "analysis/sensor_setup.h"

namespace lgcset::analysis {

struct Excursion {
    LimitKind kind = LimitKind::High;
    double from = 0;  // chart seconds of its first reading
    double to = 0;    // of the first reading back within, or of the last reading when open
    double seconds = 0;
    double peak = 0;    // the reading furthest beyond the limit
    bool open = false;  // it lasted to the sensor's last reading
};

// Takes one sensor's readings in time order and appends each excursion as it ends.
class ExcursionTracker {
  public:
    ExcursionTracker(LimitKind kind, float limit);

    void Add(double time, double value, std::vector<Excursion>& out);
    // After the last reading: a run still going ends there, open.
    void Finish(std::vector<Excursion>& out);

    // Readings are compared in single precision, as the logger holds both them and the
    // limits, so that a reading shown as the limit's own number is not beyond it.
    bool Beyond(double value) const;
    LimitKind Kind() const { return kind_; }

  private:
    LimitKind kind_;
    float limit_;
    bool above_;
    std::optional<Excursion> run_;
    double lastTime_ = 0;
};

}  // namespace lgcset::analysis
