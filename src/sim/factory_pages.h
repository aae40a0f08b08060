// The logger's parameter memory as it leaves the factory: the four settings pages at 1024,
// 2048, 3072 and 4096 hold the configurator's default settings, every other byte is 0xFF.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "sim/synthetic_readings.h"

namespace lgcset::sim {

inline constexpr std::size_t kMemorySize = 65536;
using ParameterMemory = std::array<std::uint8_t, kMemorySize>;

// Fills `memory` with the factory state. `password` (at most four characters) is the
// stored device password; the sensor type of every alarm block is 'C' for a temperature
// model and 'B' for an analog one.
void WriteFactoryMemory(ParameterMemory& memory, ChannelKind kind, std::string_view password,
                        std::string_view deviceId = {});

}  // namespace lgcset::sim
