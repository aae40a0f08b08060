// The simulated logger's sensors and GPS receiver: smooth, deterministic curves of time, so
// that a reading depends only on the moment it is taken (the same record always reads the
// same) and looks like a real day of measurements.
#pragma once

#include <cstdint>
#include <string_view>

namespace lgcset::sim {

enum class ChannelKind { Temperature, Analog };

struct ChannelLayout {
    int count = 2;
    ChannelKind kind = ChannelKind::Temperature;
};

// The first four characters of the model string choose the layout: "R480" two temperature
// channels, "R481" four, "R482" two analog inputs, "R483" four; anything else is taken as
// the two-temperature-channel logger.
ChannelLayout LayoutForModel(std::string_view model);

// Sensor reading of channel 0..3 at a device time (seconds of the device's wall clock):
// degrees Centigrade with one decimal for a temperature input, mA with two for an analog one.
float SensorValue(ChannelKind kind, int channel, std::int64_t seconds);

// GPS fix in the units of the logger's data items: millionths of a degree, tenths of a
// km/h and tenths of a degree.
struct GpsFix {
    std::uint32_t longitude = 0;
    std::uint32_t latitude = 0;
    std::uint32_t velocity = 0;
    std::uint32_t direction = 0;
};
GpsFix GpsAt(std::int64_t seconds);

// GSM signal quality 0..31, a whole number as the modem reports it.
float GsmSignalAt(std::int64_t seconds);

}  // namespace lgcset::sim
