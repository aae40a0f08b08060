// A reply as the frame assembler hands it on, for feeding the operations and the window
// without a line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "protocol/command_codes.h"
#include "protocol/frame_codec.h"

namespace lgcset::support {

inline protocol::ReceivedFrame Reply(protocol::Command command,
                                     const std::vector<std::uint8_t>& payload = {}) {
    protocol::ReceivedFrame frame;
    frame.header = {0xA5, 0, 0, protocol::code(command), 1, 0, 1, 0};
    std::copy(payload.begin(), payload.end(), frame.payload.begin());
    frame.payloadCount = static_cast<std::uint16_t>(payload.size());
    return frame;
}

}  // namespace lgcset::support
