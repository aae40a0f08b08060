// The highest Mean Kinetic Temperature over any window of a given length (a day for a cold
// chain, thirty days otherwise): what an auditor compares with the storage condition, where
// the MKT of a whole year would hide a hot week.
#pragma once

#include <optional>
#include <span>

#include "analysis/mean_kinetic_temperature.h"
#include "analysis/sensor_setup.h"

namespace lgcset::analysis {

inline constexpr double kDaySeconds = 24 * 60 * 60;

struct TimedReading {
    double time = 0;  // chart seconds
    double value = 0;
};

struct RollingMkt {
    double mkt = 0;
    double window = 0;  // seconds asked for
    // The window's first reading and its end (from + window); the first and last reading
    // when wholeHistory.
    double from = 0;
    double to = 0;
    // The readings span less than the window: the MKT is that of all of them.
    bool wholeHistory = false;
};

// A day for a sensor whose High limit is at most 8 °C (46.4 °F), thirty days otherwise.
double DefaultMktWindow(const SensorLimits& limits, SensorKind kind);

// Readings in °C in time order; the MKT in °C. A window is the readings from one reading's
// time up to, not including, that time plus `window`, and lies within the readings' span;
// of equally high ones, the earliest. Readings that are no number are left out; a window
// holding one at or below absolute zero has no MKT. Nothing without readings, or for a
// window not longer than zero.
std::optional<RollingMkt> HighestRollingMkt(std::span<const TimedReading> celsius, double window,
                                            double activationOverGas = kActivationOverGas);

}  // namespace lgcset::analysis
