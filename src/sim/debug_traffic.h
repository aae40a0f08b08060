// The GPRS traffic that the logger echoes while its debug mode is on: a modem session that
// checks the signal and the link, sends a data packet to the server over TCP and reads the
// server's acknowledgement, repeated step by step, one exchange per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/synthetic_readings.h"

namespace lgcset::sim {

inline constexpr std::uint8_t kFromServer = 'R';  // received by the logger from its server
inline constexpr std::uint8_t kToServer = 'T';    // sent by the logger to its server

class DebugTraffic {
  public:
    // The payload of the next debug frame: direction letter, then the bytes exchanged.
    // `deviceId` is the logger's 15-character ID, `seconds` its clock.
    std::vector<std::uint8_t> Next(std::int64_t seconds, const std::string& deviceId,
                                   ChannelLayout layout);

    void Restart() { step_ = 0; }

  private:
    std::size_t step_ = 0;
    std::uint16_t packetNumber_ = 0;
};

}  // namespace lgcset::sim
