#include "sim/synthetic_readings.h"

#include <cmath>
#include <numbers>

namespace lgcset::sim {

namespace {
constexpr double kDay = 86400.0;

double Wave(std::int64_t seconds, double period, double phase) {
    return std::sin(2.0 * std::numbers::pi * static_cast<double>(seconds) / period + phase);
}

float RoundTo(double value, double step) {
    return static_cast<float>(std::round(value / step) * step);
}
}  // namespace

ChannelLayout LayoutForModel(std::string_view model) {
    const std::string_view prefix = model.substr(0, 4);
    if (prefix == "R481") {
        return {4, ChannelKind::Temperature};
    }
    if (prefix == "R482") {
        return {2, ChannelKind::Analog};
    }
    if (prefix == "R483") {
        return {4, ChannelKind::Analog};
    }
    return {2, ChannelKind::Temperature};
}

float SensorValue(ChannelKind kind, int channel, std::int64_t seconds) {
    // A daily swing (coolest before dawn) plus a slower ripple; each channel a little apart.
    const double phase = -std::numbers::pi / 2.0 + 0.4 * channel;
    const double daily = Wave(seconds, kDay, phase);
    const double ripple = Wave(seconds, 3.3 * 3600.0, 1.1 * channel);
    if (kind == ChannelKind::Analog) {
        return RoundTo(12.0 + 5.0 * daily + 0.6 * ripple + 0.8 * channel, 0.01);
    }
    return RoundTo(21.0 + 6.0 * daily + 0.7 * ripple + 1.5 * channel, 0.1);
}

GpsFix GpsAt(std::int64_t seconds) {
    GpsFix fix;
    fix.longitude = static_cast<std::uint32_t>(113954321.0 + 2000.0 * Wave(seconds, 7200.0, 0.0));
    fix.latitude = static_cast<std::uint32_t>(22540000.0 + 1500.0 * Wave(seconds, 10800.0, 1.0));
    fix.velocity = static_cast<std::uint32_t>(300.0 + 250.0 * Wave(seconds, 1800.0, 0.5));
    fix.direction = static_cast<std::uint32_t>(((seconds / 60 * 37) % 3600 + 3600) % 3600);
    return fix;
}

float GsmSignalAt(std::int64_t seconds) {
    return static_cast<float>(std::round(23.0 + 4.0 * Wave(seconds, 5400.0, 0.3)));
}

}  // namespace lgcset::sim
